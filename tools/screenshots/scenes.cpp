#include <QString>

#include "scene.h"
#include "scene_driver.h"
#include "stand_in_platform.h"

namespace screenshots {

namespace {

Scene FirstPages() {
    return {"first-pages", [] { return std::make_unique<NoPortsPlatform>(); },
            [](SceneDriver& driver) {
                driver.Shoot(QStringLiteral("page1-welcome.png"));
                driver.Click(app::Control::btnNEXT);
                driver.Shoot(QStringLiteral("page2-preparation.png"));
                driver.Click(app::Control::btnNEXT);
                driver.Shoot(QStringLiteral("page3-connection.png"));
            }};
}

// With no port on the machine the search fails and the page shows it.
Scene ConnectionFailed() {
    return {"connection-failed", [] { return std::make_unique<NoPortsPlatform>(); },
            [](SceneDriver& driver) {
                driver.Click(app::Control::btnNEXT);
                driver.Click(app::Control::btnNEXT);
                driver.Click(app::Control::btnConnect);
                driver.Shoot(QStringLiteral("page3-not-connected.png"));
            }};
}

}  // namespace

std::vector<Scene> AllScenes() {
    return {FirstPages(), ConnectionFailed()};
}

}  // namespace screenshots
