// kestrun-screenshots: runs the updater's real window through scenes and
// saves what it shows as PNG files.
//
//   kestrun-screenshots <output folder> [scene ...]
//
// Without scene names every scene runs. Needs a display (xvfb-run will do).
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <exception>
#include <set>
#include <string>

#include "scene.h"
#include "scene_driver.h"
#include "ui/qt/main_window.h"
#include "ui/qt/run_updater.h"

namespace {

int RunScene(QApplication& application, const screenshots::Scene& scene, const QString& folder) {
    std::unique_ptr<screenshots::ScenePlatform> platform = scene.makePlatform();
    QStringList saved;
    QStringList failures;
    ui::RunUpdater(application, platform->Serial(), platform->Registry(), platform->Notifications(),
                   [&](ui::MainWindow& window) {
                       screenshots::SceneDriver driver(window, folder);
                       try {
                           scene.script(driver);
                       } catch (const std::exception& error) {
                           failures << QString::fromUtf8(error.what());
                       }
                       saved << driver.Saved();
                       failures << driver.Failures();
                       window.close();
                   });
    for (const QString& path : saved)
        std::printf("%s: %s\n", scene.name.c_str(), qPrintable(path));
    for (const QString& failure : failures)
        std::fprintf(stderr, "%s: %s\n", scene.name.c_str(), qPrintable(failure));
    return failures.isEmpty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder> [scene ...]\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const std::set<std::string> wanted(argv + 2, argv + argc);
    std::set<std::string> unknown = wanted;

    int failed = 0;
    for (const screenshots::Scene& scene : screenshots::AllScenes()) {
        if (!wanted.empty() && wanted.count(scene.name) == 0)
            continue;
        unknown.erase(scene.name);
        failed += RunScene(application, scene, folder);
    }
    for (const std::string& name : unknown) {
        std::fprintf(stderr, "no scene called %s\n", name.c_str());
        ++failed;
    }
    return failed == 0 ? 0 : 1;
}
