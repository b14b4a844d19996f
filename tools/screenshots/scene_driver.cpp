#include "scene_driver.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "ui/qt/main_window.h"

namespace screenshots {

SceneDriver::SceneDriver(ui::MainWindow& window, QString outputFolder)
    : window_(window), outputFolder_(std::move(outputFolder)) {}

QString SceneDriver::Name(app::Control control) const {
    const std::string_view name = app::ControlName(control);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

void SceneDriver::Click(app::Control button) {
    auto* widget = qobject_cast<QAbstractButton*>(&window_.View().Widget(button));
    if (widget == nullptr) {
        failures_ << QStringLiteral("%1 is not a button").arg(Name(button));
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

void SceneDriver::ShootWhenBarReaches(app::Control bar, int position, const QString& fileName,
                                      std::function<void()> check) {
    auto* widget = qobject_cast<QProgressBar*>(&window_.View().Widget(bar));
    if (widget == nullptr) {
        failures_ << QStringLiteral("%1 is not a progress bar").arg(Name(bar));
        return;
    }
    pending_.push_back({fileName, {}, std::move(check)});
    pending_.back().trigger = QObject::connect(
        widget, &QProgressBar::valueChanged, &context_, [this, fileName, position](int value) {
            if (value < position)
                return;
            for (PendingShot& shot : pending_) {
                if (shot.fileName == fileName)
                    QObject::disconnect(shot.trigger);
            }
            // Posted, so that it runs where the click lets the window handle
            // its messages.
            QTimer::singleShot(0, &context_, [this, fileName] { TakePending(fileName); });
        });
}

void SceneDriver::TakePending(const QString& fileName) {
    const auto shot = std::find_if(pending_.begin(), pending_.end(),
                                   [&](const PendingShot& p) { return p.fileName == fileName; });
    if (shot == pending_.end())
        return;
    const std::function<void()> check = std::move(shot->check);
    pending_.erase(shot);
    if (check)
        check();
    Shoot(fileName);
}

void SceneDriver::ExpectShown(app::Control control, bool shown) {
    if (window_.View().Widget(control).isVisible() != shown) {
        failures_ << QStringLiteral("%1 is %2 on screen")
                         .arg(Name(control),
                              shown ? QStringLiteral("not") : QStringLiteral("still"));
    }
}

void SceneDriver::ExpectEnabled(app::Control control, bool enabled) {
    if (window_.View().Widget(control).isEnabled() != enabled) {
        failures_ << QStringLiteral("%1 is %2")
                         .arg(Name(control),
                              enabled ? QStringLiteral("disabled") : QStringLiteral("enabled"));
    }
}

void SceneDriver::ExpectPage(app::Control page) {
    const app::Control active = window_.View().ActivePage();
    if (active != page) {
        failures_ << QStringLiteral("the window shows %1, not %2").arg(Name(active), Name(page));
    }
}

QStringList SceneDriver::Failures() const {
    QStringList all = failures_;
    for (const PendingShot& shot : pending_)
        all << QStringLiteral("%1 was never taken").arg(shot.fileName);
    return all;
}

}  // namespace screenshots
