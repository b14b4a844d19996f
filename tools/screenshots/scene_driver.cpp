#include "scene_driver.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <utility>

#include "ui/qt/main_window.h"

namespace screenshots {

SceneDriver::SceneDriver(ui::MainWindow& window, QString outputFolder)
    : window_(window), outputFolder_(std::move(outputFolder)) {}

void SceneDriver::Click(app::Control button) {
    auto* widget = qobject_cast<QAbstractButton*>(&window_.View().Widget(button));
    if (widget == nullptr) {
        failures_ << QStringLiteral("%1 is not a button")
                         .arg(QString::fromLatin1(app::ControlName(button).data(),
                                                  app::ControlName(button).size()));
        return;
    }
    if (!widget->isVisible() || !widget->isEnabled()) {
        failures_ << QStringLiteral("%1 cannot be pressed now").arg(widget->objectName());
        return;
    }
    widget->click();
}

void SceneDriver::Settle() {
    // Layout and polish requests are posted events; let them through so the
    // picture shows what the user would see.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void SceneDriver::Shoot(const QString& fileName) {
    Settle();
    const QString path = QDir(outputFolder_).filePath(fileName);
    if (window_.grab().save(path, "PNG")) {
        saved_ << path;
    } else {
        failures_ << QStringLiteral("cannot write %1").arg(path);
    }
}

}  // namespace screenshots
