#include "ui/win32/message_loop.h"

namespace ui::win32 {

int MessageLoop::Run(const std::function<void()>& idle) {
    MSG message{};
    for (;;) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return static_cast<int>(message.wParam);
            Dispatch(message);
        }
        if (idle)
            idle();
        // Wakes for anything already queued too: WaitMessage would sleep
        // through messages that arrived while the idle handler ran, if
        // something in it had looked at the queue.
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void MessageLoop::ProcessPending() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

void MessageLoop::Dispatch(MSG& message) {
    if (filter_ && filter_(message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}  // namespace ui::win32
