// Drives kestrun-updater.exe from outside as a user does and checks what its
// window shows on the way:
//
//   kestrun-win-driver.exe SCENARIO
//
// succeeds and write-refused go through a whole update, pressing
// "Соединение"; again-* try again after a first try, as the user would
// without replugging (retry_scenarios.h); the others plug the programmer's
// cable in or pull it out on the test bus (plug_scenarios.h). The updater is
// the one of the same build beside this program (kestrun-updater-x86.exe in
// the 32-bit one); the emulated programmer must be on a COM port. Prints how
// long the steps took, and exits 0 when every check held.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tests/win32/e2e/driver_checks.h"
#include "tests/win32/e2e/foreign_notices.h"
#include "tests/win32/e2e/plug_scenarios.h"
#include "tests/win32/e2e/retry_scenarios.h"
#include "tests/win32/e2e/shot_request.h"
#include "tests/win32/e2e/updater_window.h"

namespace {

using app::Control;
using e2e::Expect;
using e2e::ExpectShown;
using e2e::kStartLimit;
using e2e::kSuccess;
using e2e::PressAndAwaitPage;
using e2e::UpdaterBesideThisProgram;
using e2e::UpdaterWindow;

int Drive(bool expectSuccess) {
    UpdaterWindow window(UpdaterBesideThisProgram(), kStartLimit);
    e2e::RequestShot(window, "win-page1-welcome");
    e2e::GoToConnectionPage(window);
    e2e::ConnectByButton(window);
    e2e::RequestShot(window, "win-page3-connected");
    e2e::UpdateAndAwait(window, expectSuccess);

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
    e2e::AwaitExit(window);
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
    {"again-back-and-next", [] { return e2e::TryAgain(e2e::FirstTry::BackAndNext); }},
    {"again-after-a-failure", [] { return e2e::TryAgain(e2e::FirstTry::FailedUpdate); }},
    {"again-after-otmena", [] { return e2e::TryAgain(e2e::FirstTry::OtmenaMidUpdate); }},
    {"again-after-success", [] { return e2e::TryAgain(e2e::FirstTry::SuccessThenOk); }},
    {"again-after-a-replug", e2e::ReplugMidUpdate},
    {"foreign-notices", e2e::ForeignNotices},
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
