// Drives kestrun-updater.exe from outside as a user does, through a whole
// update, and checks what its window shows on the way:
//
//   kestrun-win-driver.exe succeeds|write-refused
//
// The updater is the one of the same build beside this program
// (kestrun-updater-x86.exe in the 32-bit one); the emulated programmer must be
// on a COM port. Prints how long the update took from the press of Далее to
// its outcome, and exits 0 when the window showed the outcome that the case
// expects and never the other one.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tests/win32/e2e/shot_request.h"
#include "tests/win32/e2e/updater_window.h"

namespace {

using app::Control;
using e2e::Milliseconds;
using e2e::UpdaterWindow;

constexpr Milliseconds kStartLimit{30000};
constexpr Milliseconds kStepLimit{10000};
constexpr Milliseconds kConnectLimit{60000};
constexpr Milliseconds kUpdateLimit{180000};

constexpr std::initializer_list<Control> kSuccess = {Control::lbWriteOK, Control::lbVerifyOK,
                                                     Control::txtWriteOK, Control::ListWriteOK};
constexpr std::initializer_list<Control> kFailure = {Control::lbWriteErr, Control::lbVerifyErr,
                                                     Control::txtWriteFail, Control::ListWriteFail};

int failures = 0;

void Expect(bool holds, const std::string& what) {
    if (!holds) {
        std::printf("FAILED: %s\n", what.c_str());
        ++failures;
    }
}

bool AnyVisible(const UpdaterWindow& window, std::initializer_list<Control> controls) {
    for (Control control : controls) {
        if (window.Visible(control))
            return true;
    }
    return false;
}

void ExpectShown(const UpdaterWindow& window, std::initializer_list<Control> shown,
                 std::initializer_list<Control> hidden) {
    for (Control control : shown)
        Expect(window.Visible(control), std::string(app::ControlName(control)) + " shows");
    for (Control control : hidden)
        Expect(!window.Visible(control), std::string(app::ControlName(control)) + " is hidden");
}

void Await(const std::function<bool()>& done, Milliseconds limit, const std::string& what) {
    if (!UpdaterWindow::WaitUntil(done, limit))
        throw std::runtime_error("gave up waiting for " + what);
}

void PressAndAwaitPage(UpdaterWindow& window, Control button, Control page) {
    window.Press(button);
    Await([&] { return window.Visible(page); }, kStepLimit,
          std::string(app::ControlName(page)) + " after " + std::string(app::ControlName(button)));
    window.Sync();
}

std::wstring UpdaterBesideThisProgram() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path, length);
    return program.substr(0, program.find_last_of(L"\\/") + 1) + L"" KESTRUN_UPDATER_FILE;
}

int Drive(bool expectSuccess) {
    UpdaterWindow window(UpdaterBesideThisProgram(), kStartLimit);
    Expect(window.Visible(Control::TabSheet1), "the welcome page shows first");
    e2e::RequestShot(window, "win-page1-welcome");

    PressAndAwaitPage(window, Control::btnNEXT, Control::TabSheet2);
    PressAndAwaitPage(window, Control::btnNEXT, Control::TabSheet3);
    Expect(!window.Enabled(Control::btnNEXT), "Далее waits for a connection");
    window.Press(Control::btnConnect);
    Await(
        [&] {
            return AnyVisible(window, {Control::lbConnected, Control::lbNotConnected});
        },
        kConnectLimit, "the connection's outcome");
    window.Sync();
    ExpectShown(window, {Control::lbConnected, Control::txtConnOK},
                {Control::lbNotConnected, Control::txtConnFail});
    Expect(window.Enabled(Control::btnNEXT) && !window.Enabled(Control::btnConnect),
           "connected: Далее on, Соединение off");
    e2e::RequestShot(window, "win-page3-connected");

    // The other outcome must never show, not even for a moment.
    const auto other = expectSuccess ? kFailure : kSuccess;
    bool otherShown = false;
    const auto start = std::chrono::steady_clock::now();
    window.Press(Control::btnNEXT);
    Await(
        [&] {
            otherShown = otherShown || AnyVisible(window, other);
            return AnyVisible(window, {Control::txtWriteOK, Control::txtWriteFail});
        },
        kUpdateLimit, "the update's outcome");
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("update: %.3f s from the press of Next to the %s display\n", elapsed.count(),
                window.Visible(Control::txtWriteOK) ? "success" : "failure");
    Await([&] { return window.Enabled(Control::btnBACK); }, kStepLimit, "the update to end");
    window.Sync();
    Expect(!otherShown, "the other outcome never showed");

    if (expectSuccess) {
        ExpectShown(window, kSuccess,
                    {Control::lbWriteErr, Control::lbVerifyErr, Control::txtWriteFail,
                     Control::ListWriteFail, Control::lbWriteOn, Control::lbVerifyOn});
        Expect(
            window.Position(Control::BarWrite) == 100 && window.Position(Control::BarVerify) == 100,
            "both bars full");
        e2e::RequestShot(window, "win-page4-success");
        PressAndAwaitPage(window, Control::btnNEXT, Control::TabSheet5);
        window.Press(Control::btnNEXT);  // OK
    } else {
        ExpectShown(window, {Control::lbWriteErr, Control::txtWriteFail, Control::ListWriteFail},
                    {Control::lbWriteOK, Control::lbVerify, Control::BarVerify, Control::txtWriteOK,
                     Control::ListWriteOK, Control::lbWriteOn});
        Expect(window.Position(Control::BarWrite) < 100, "the write bar stops part-way");
        window.Press(Control::btnESC);
    }
    const std::optional<DWORD> exitCode = window.WaitForExit(kStepLimit);
    Expect(exitCode == 0u, "the updater closes and ends with 0");
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view scenario = argc == 2 ? argv[1] : "";
    if (scenario != "succeeds" && scenario != "write-refused") {
        std::fprintf(stderr, "usage: kestrun-win-driver.exe succeeds|write-refused\n");
        return 2;
    }
    try {
        const int status = Drive(scenario == "succeeds");
        std::printf("%s\n", status == 0 ? "PASSED" : "FAILED");
        return status;
    } catch (const std::exception& error) {
        std::printf("FAILED: %s\n", error.what());
        return 1;
    }
}
