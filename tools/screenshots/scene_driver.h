// What a scene's script can do to the window.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "app/view.h"

namespace ui {
class MainWindow;
}

namespace screenshots {

class SceneDriver {
  public:
    SceneDriver(ui::MainWindow& window, QString outputFolder);
    SceneDriver(const SceneDriver&) = delete;
    SceneDriver& operator=(const SceneDriver&) = delete;

    // Presses a button the way the user does, running its handler.
    void Click(app::Control button);
    // Saves the window's client area as <outputFolder>/<fileName>.
    void Shoot(const QString& fileName);
    // Arranges a picture for while a click is still running, as during the
    // update: once `bar` first reaches `position`, the picture is taken the
    // next time the window handles its pending messages, so it shows the
    // window as it is painted then; `check`, if given, runs just before it.
    // A picture never taken is a failure.
    void ShootWhenBarReaches(app::Control bar, int position, const QString& fileName,
                             std::function<void()> check = {});

    // Records a failure unless `control` is on screen (or, with
    // shown = false, unless it is not), so a scene cannot quietly save a
    // picture of something other than what its file name says.
    void ExpectShown(app::Control control, bool shown = true);
    void ExpectEnabled(app::Control control, bool enabled = true);
    void ExpectPage(app::Control page);

    ui::MainWindow& Window() { return window_; }
    const QStringList& Saved() const { return saved_; }
    // Failures so far, with the pictures that were arranged but never taken.
    QStringList Failures() const;

  private:
    struct PendingShot {
        QString fileName;
        QMetaObject::Connection trigger;
        std::function<void()> check;
    };

    void TakePending(const QString& fileName);

    void Settle();
    QString Name(app::Control control) const;

    ui::MainWindow& window_;
    QString outputFolder_;
    QStringList saved_;
    QStringList failures_;
    std::vector<PendingShot> pending_;
    // Context of the driver's connections and posted calls, which end with it.
    QObject context_;
};

}  // namespace screenshots
