// What a scene's script can do to the window.
#pragma once

#include <QString>
#include <QStringList>

#include "app/view.h"

namespace ui {
class MainWindow;
}

namespace screenshots {

class SceneDriver {
  public:
    SceneDriver(ui::MainWindow& window, QString outputFolder);

    // Presses a button the way the user does, running its handler.
    void Click(app::Control button);
    // Saves the window's client area as <outputFolder>/<fileName>.
    void Shoot(const QString& fileName);

    ui::MainWindow& Window() { return window_; }
    const QStringList& Saved() const { return saved_; }
    const QStringList& Failures() const { return failures_; }

  private:
    void Settle();

    ui::MainWindow& window_;
    QString outputFolder_;
    QStringList saved_;
    QStringList failures_;
};

}  // namespace screenshots
