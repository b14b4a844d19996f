#include "tests/win32/e2e/driver_checks.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace e2e {

namespace {

int failures = 0;

}  // namespace

void Expect(bool holds, const std::string& what) {
    if (!holds) {
        std::printf("FAILED: %s\n", what.c_str());
        ++failures;
    }
}

int Outcome() {
    return failures == 0 ? 0 : 1;
}

bool AnyVisible(const UpdaterWindow& window, std::initializer_list<app::Control> controls) {
    for (app::Control control : controls) {
        if (window.Visible(control))
            return true;
    }
    return false;
}

void ExpectShown(const UpdaterWindow& window, std::initializer_list<app::Control> shown,
                 std::initializer_list<app::Control> hidden) {
    for (app::Control control : shown)
        Expect(window.Visible(control), std::string(app::ControlName(control)) + " shows");
    for (app::Control control : hidden)
        Expect(!window.Visible(control), std::string(app::ControlName(control)) + " is hidden");
}

void Await(const std::function<bool()>& done, Milliseconds limit, const std::string& what) {
    if (!UpdaterWindow::WaitUntil(done, limit))
        throw std::runtime_error("gave up waiting for " + what);
}

void PressAndAwaitPage(UpdaterWindow& window, app::Control button, app::Control page) {
    window.Press(button);
    Await([&] { return window.Visible(page); }, kStepLimit,
          std::string(app::ControlName(page)) + " after " + std::string(app::ControlName(button)));
    window.Sync();
}

void AwaitExit(UpdaterWindow& window) {
    Expect(window.WaitForExit(kStepLimit) == 0u, "the updater closes and ends with 0");
}

void CloseUpdater(UpdaterWindow& window) {
    window.Press(app::Control::btnESC);
    AwaitExit(window);
}

void GoToConnectionPage(UpdaterWindow& window) {
    Expect(window.Visible(app::Control::TabSheet1), "the welcome page shows first");
    PressAndAwaitPage(window, app::Control::btnNEXT, app::Control::TabSheet2);
    PressAndAwaitPage(window, app::Control::btnNEXT, app::Control::TabSheet3);
    Expect(!window.Enabled(app::Control::btnNEXT), "Далее waits for a connection");
}

void ExpectConnected(const UpdaterWindow& window) {
    using app::Control;
    Expect(window.Visible(Control::TabSheet3), "the connection page shows");
    ExpectShown(window, {Control::lbConnected, Control::txtConnOK},
                {Control::lbNotConnected, Control::txtConnFail});
    Expect(window.Enabled(Control::btnNEXT) && !window.Enabled(Control::btnConnect),
           "connected: Далее on, Соединение off");
}

void ConnectByButton(UpdaterWindow& window) {
    using app::Control;
    window.Press(Control::btnConnect);
    Await(
        [&] {
            return AnyVisible(window, {Control::lbConnected, Control::lbNotConnected});
        },
        kConnectLimit, "the connection's outcome");
    window.Sync();
    ExpectConnected(window);
}

void UpdateAndAwait(UpdaterWindow& window, bool expectSuccess,
                    const std::function<void()>& midway) {
    using app::Control;
    // A failure may come after the write and verify rows showed their "ОК".
    const auto other = expectSuccess ? kFailure : kSuccessDisplay;
    bool otherShown = false;
    const auto start = std::chrono::steady_clock::now();
    window.Press(Control::btnNEXT);
    // The page shows a moment before its indicators of an earlier update are
    // hidden; the update's first look at its messages comes after.
    Await([&] { return window.Visible(Control::TabSheet4); }, kStepLimit, "the update page");
    window.Sync();
    bool midwayDone = !midway;
    Await(
        [&] {
            otherShown = otherShown || AnyVisible(window, other);
            if (!midwayDone && window.Position(Control::BarWrite) >= 20) {
                midwayDone = true;
                midway();
            }
            return AnyVisible(window, {Control::txtWriteOK, Control::txtWriteFail});
        },
        kUpdateLimit, "the update's outcome");
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("update: %.3f s from the press of Next to the %s display\n", elapsed.count(),
                window.Visible(Control::txtWriteOK) ? "success" : "failure");
    Await([&] { return window.Enabled(Control::btnBACK); }, kStepLimit, "the update to end");
    window.Sync();
    Expect(!otherShown, "the other outcome never showed");
    Expect(window.Visible(expectSuccess ? Control::txtWriteOK : Control::txtWriteFail),
           expectSuccess ? "the update succeeds" : "the update fails");
}

std::wstring UpdaterBesideThisProgram() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path, length);
    return program.substr(0, program.find_last_of(L"\\/") + 1) + L"" KESTRUN_UPDATER_FILE;
}

}  // namespace e2e
