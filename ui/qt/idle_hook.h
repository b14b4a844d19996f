// The application's idle event: runs a handler each time the user-interface
// thread's event loop is about to wait for new events.
#pragma once

#include <QObject>
#include <functional>

#include "app/window_guards.h"

namespace ui {

class IdleHook final : public QObject {
    Q_OBJECT
  public:
    // Hooks the event dispatcher of the calling thread, which must have one.
    explicit IdleHook(std::function<void()> onIdle, QObject* parent = nullptr);

    // While disabled, the loop's waits run nothing.
    void SetEnabled(bool enabled) { enabled_ = enabled; }

  private:
    void AboutToBlock();

    std::function<void()> onIdle_;
    bool enabled_ = true;
    app::NotReentered running_;
};

}  // namespace ui
