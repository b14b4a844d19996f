// The user-interface thread's message loop, with the application's idle
// event and the "process pending messages" that a long handler calls.
#pragma once

#include <windows.h>

#include <functional>

namespace ui::win32 {

class MessageLoop {
  public:
    // Sees every message before it is dispatched; true when it has handled it.
    using Filter = std::function<bool(const MSG&)>;

    explicit MessageLoop(Filter filter = {}) : filter_(std::move(filter)) {}

    // Dispatches messages until WM_QUIT and returns its exit code. Each time
    // the queue has emptied it runs `idle` once and then sleeps until the next
    // message, as a toolkit's idle event does.
    int Run(const std::function<void()>& idle);

    // Dispatches the messages that are queued and returns as soon as none is
    // left: it never waits and never runs the idle event. A WM_QUIT met here
    // is put back for the loop that owns it, and ends this call.
    void ProcessPending();

  private:
    void Dispatch(MSG& message);

    Filter filter_;
};

}  // namespace ui::win32
