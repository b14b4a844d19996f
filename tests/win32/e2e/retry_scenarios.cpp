#include "tests/win32/e2e/retry_scenarios.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <optional>

#include "tests/win32/e2e/driver_checks.h"
#include "tests/win32/e2e/updater_window.h"

namespace e2e {

namespace {

using app::Control;

}  // namespace

int TryAgain(FirstTry first) {
    std::optional<UpdaterWindow> window(std::in_place, UpdaterBesideThisProgram(), kStartLimit);
    GoToConnectionPage(*window);
    ConnectByButton(*window);
    switch (first) {
        case FirstTry::BackAndNext:
            PressAndAwaitPage(*window, Control::btnBACK, Control::TabSheet2);
            PressAndAwaitPage(*window, Control::btnNEXT, Control::TabSheet3);
            break;
        case FirstTry::FailedUpdate:
            UpdateAndAwait(*window, false);
            PressAndAwaitPage(*window, Control::btnBACK, Control::TabSheet3);
            break;
        case FirstTry::OtmenaMidUpdate:
            window->Press(Control::btnNEXT);
            Await([&] { return window->Position(Control::BarWrite) >= 10; }, kUpdateLimit,
                  "a tenth of the firmware written");
            window->Press(Control::btnESC);
            AwaitExit(*window);
            window.emplace(UpdaterBesideThisProgram(), kStartLimit);
            GoToConnectionPage(*window);
            break;
        case FirstTry::SuccessThenOk:
            UpdateAndAwait(*window, true);
            PressAndAwaitPage(*window, Control::btnNEXT, Control::TabSheet5);
            window->Press(Control::btnNEXT);  // OK
            AwaitExit(*window);
            window.emplace(UpdaterBesideThisProgram(), kStartLimit);
            GoToConnectionPage(*window);
            break;
    }
    const auto start = std::chrono::steady_clock::now();
    ConnectByButton(*window);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("again: the connection's outcome %.1f ms after the press of Соединение\n",
                took.count());
    UpdateAndAwait(*window, true);
    CloseUpdater(*window);
    return Outcome();
}

}  // namespace e2e
