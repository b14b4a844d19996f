// The guards both windows keep around the logic's close and idle handlers.
#pragma once

#include <utility>

namespace app {

// The close handler lets go of the port, and every way of closing the window
// (buttons, close box, system menu, end of session, a quit from elsewhere)
// ends in it: it must run once, and nothing may reopen the port after.
class CloseOnce {
  public:
    // True for the first call only: the one that is to run the handler.
    bool Close() { return !std::exchange(closed_, true); }
    bool Closed() const { return closed_; }

  private:
    bool closed_ = false;
};

// A handler that waits pumps messages, and the pump would run the idle
// handler again inside the running one.
class NotReentered {
  public:
    template <typename Handler>
    void Run(Handler&& handler) {
        if (running_)
            return;
        running_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{running_};
        std::forward<Handler>(handler)();
    }

  private:
    bool running_ = false;
};

}  // namespace app
