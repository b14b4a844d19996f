// Drives kestrun-updater.exe from outside as a user does and checks what its
// window shows on the way:
//
//   kestrun-win-driver.exe SCENARIO
//
// succeeds and write-refused go through a whole update, pressing
// "Соединение"; the others plug the programmer's cable in or pull it out on
// the test bus (plug_scenarios.h). The updater is the one of the same build
// beside this program (kestrun-updater-x86.exe in the 32-bit one); the
// emulated programmer must be on a COM port. Prints how long the steps took,
// and exits 0 when every check held.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tests/win32/e2e/driver_checks.h"
#include "tests/win32/e2e/plug_scenarios.h"
#include "tests/win32/e2e/shot_request.h"
#include "tests/win32/e2e/updater_window.h"

namespace {

using app::Control;
using e2e::AnyVisible;
using e2e::Await;
using e2e::Expect;
using e2e::ExpectShown;
using e2e::kConnectLimit;
using e2e::kFailure;
using e2e::kStartLimit;
using e2e::kStepLimit;
using e2e::kSuccess;
using e2e::kUpdateLimit;
using e2e::PressAndAwaitPage;
using e2e::UpdaterBesideThisProgram;
using e2e::UpdaterWindow;

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
    return e2e::Outcome();
}

struct Scenario {
    std::string_view name;
    int (*drive)();
};

constexpr Scenario kScenarios[] = {
    {"succeeds", [] { return Drive(true); }},
    {"write-refused", [] { return Drive(false); }},
    {"plug-in", e2e::PlugIn},
    {"unplug-connected", e2e::UnplugConnected},
    {"unplug-updating", e2e::UnplugUpdating},
    {"other-product", e2e::OtherProduct},
};

}  // namespace

int main(int argc, char** argv) {
    const std::string_view name = argc == 2 ? argv[1] : "";
    for (const Scenario& scenario : kScenarios) {
        if (scenario.name != name)
            continue;
        try {
            const int status = scenario.drive();
            std::printf("%s\n", status == 0 ? "PASSED" : "FAILED");
            return status;
        } catch (const std::exception& error) {
            std::printf("FAILED: %s\n", error.what());
            return 1;
        }
    }
    std::fprintf(stderr, "usage: kestrun-win-driver.exe SCENARIO, one of:");
    for (const Scenario& scenario : kScenarios)
        std::fprintf(stderr, " %.*s", static_cast<int>(scenario.name.size()), scenario.name.data());
    std::fprintf(stderr, "\n");
    return 2;
}
