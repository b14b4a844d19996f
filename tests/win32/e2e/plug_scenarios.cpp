#include "tests/win32/e2e/plug_scenarios.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tests/win32/e2e/driver_checks.h"
#include "tests/win32/e2e/emulated_programmer.h"
#include "tests/win32/pnp/test_bus.h"

namespace e2e {

namespace {

using app::Control;
using Clock = std::chrono::steady_clock;

constexpr testbus::UsbId kProgrammer{0x10C4, 0xEA60};
constexpr testbus::UsbId kOtherBridge{0x10C4, 0xEA61};
constexpr wchar_t kPort[] = L"COM40";
// Longer than the updater takes from a plug-in to the connection page.
constexpr Milliseconds kNothingHappensWait{3000};
// Wine registers a window for device notices on a thread of its own, a
// moment after the call has returned (Windows, before it returns); a device
// plugged in before then is announced to nobody.
constexpr Milliseconds kNoticesRegistered{1000};

void AwaitNoticesRegistered() {
    Sleep(static_cast<DWORD>(kNoticesRegistered.count()));
}

void PrintTime(const char* what, Clock::time_point since) {
    const std::chrono::duration<double, std::milli> took = Clock::now() - since;
    std::printf("%s: %.1f ms\n", what, took.count());
}

// Plugs the programmer in and waits for the connection page it brings.
void PlugAndAwaitConnection(UpdaterWindow& window) {
    const auto start = Clock::now();
    testbus::Plug(kProgrammer, kPort);
    PrintTime("plug-in: the interface active after", start);
    Await(
        [&] {
            return window.Visible(Control::TabSheet3) &&
                   AnyVisible(window, {Control::lbConnected, Control::lbNotConnected});
        },
        kConnectLimit, "the connection page after the plug-in");
    PrintTime("plug-in: the connection page after", start);
    window.Sync();
    ExpectConnected(window);
}

void ConnectByPlugging(UpdaterWindow& window) {
    Expect(window.Visible(Control::TabSheet1), "the welcome page shows first");
    PlugAndAwaitConnection(window);
}

// The cable pulled out between two blocks: the device loses its power as its
// port goes. (Pulled out in the middle of a block the update may wait the 2 s
// for a data frame's acknowledgement without handling messages, and Wine
// gives up a device notice the window has not taken after 2 s.)
void PullCableOutBetweenBlocks(const EmulatedProgrammer& programmer) {
    programmer.UnplugBetweenCommands();
    testbus::Unplug(kProgrammer);
}

}  // namespace

int PlugIn() {
    UpdaterWindow window(UpdaterBesideThisProgram(), kStartLimit);
    AwaitNoticesRegistered();
    ConnectByPlugging(window);
    CloseUpdater(window);
    return Outcome();
}

int UnplugConnected() {
    const EmulatedProgrammer events;
    UpdaterWindow window(UpdaterBesideThisProgram(), kStartLimit);
    AwaitNoticesRegistered();
    ConnectByPlugging(window);
    const unsigned closes = events.Count("closed");
    const auto start = Clock::now();
    testbus::Unplug(kProgrammer);
    Await([&] { return events.Count("closed") > closes; }, kStepLimit,
          "the port to close after the unplug");
    PrintTime("unplug: the port closed after", start);
    window.Sync();
    ExpectConnected(window);
    CloseUpdater(window);
    return Outcome();
}

namespace {

// Connected by plugging in, then the cable pulled out once the write bar
// reaches 30 %: the failure display, never success, and the port closed only
// once the update has returned, when the window handles the removal.
void PullOutDuringTheUpdate(UpdaterWindow& window, const EmulatedProgrammer& programmer) {
    ConnectByPlugging(window);
    const unsigned closes = programmer.Count("closed");
    bool successShown = false;
    bool closedEarly = false;
    const auto watch = [&] {
        successShown = successShown || AnyVisible(window, kSuccess);
        const bool outcome = AnyVisible(window, {Control::txtWriteOK, Control::txtWriteFail});
        closedEarly = closedEarly || (!outcome && programmer.Count("closed") > closes);
        return outcome;
    };
    window.Press(Control::btnNEXT);
    Await(
        [&] {
            watch();
            return window.Position(Control::BarWrite) >= 30;
        },
        kUpdateLimit, "30 % of the firmware written");
    const auto start = Clock::now();
    PullCableOutBetweenBlocks(programmer);
    Await(watch, kUpdateLimit, "the update's outcome");
    PrintTime("unplug: the failure display after", start);
    Await([&] { return window.Enabled(Control::btnBACK); }, kStepLimit, "the update to end");
    Await([&] { return programmer.Count("closed") > closes; }, kStepLimit,
          "the port to close after the update");
    PrintTime("unplug: the port closed after", start);
    window.Sync();
    Expect(!successShown, "success never showed");
    Expect(!closedEarly, "the port stayed open while the update ran");
    ExpectShown(
        window, {Control::lbWriteErr, Control::txtWriteFail, Control::ListWriteFail},
        {Control::lbWriteOK, Control::txtWriteOK, Control::ListWriteOK, Control::lbWriteOn});
}

}  // namespace

int UnplugUpdating() {
    const EmulatedProgrammer programmer;
    UpdaterWindow window(UpdaterBesideThisProgram(), kStartLimit);
    AwaitNoticesRegistered();
    PullOutDuringTheUpdate(window, programmer);
    CloseUpdater(window);
    return Outcome();
}

int ReplugMidUpdate() {
    const EmulatedProgrammer programmer;
    UpdaterWindow window(UpdaterBesideThisProgram(), kStartLimit);
    AwaitNoticesRegistered();
    PullOutDuringTheUpdate(window, programmer);
    // Plugged back in, the device restarts and the window connects by itself.
    programmer.PlugIn();
    PlugAndAwaitConnection(window);
    UpdateAndAwait(window, true);
    CloseUpdater(window);
    return Outcome();
}

int OtherProduct() {
    const EmulatedProgrammer events;
    UpdaterWindow window(UpdaterBesideThisProgram(), kStartLimit);
    AwaitNoticesRegistered();
    const auto start = Clock::now();
    testbus::Plug(kOtherBridge, kPort);
    PrintTime("plug-in: the interface active after", start);
    Sleep(static_cast<DWORD>(kNothingHappensWait.count()));
    window.Sync();
    Expect(window.Visible(Control::TabSheet1), "the welcome page stays");
    ExpectShown(
        window, {},
        {Control::lbConnected, Control::txtConnOK, Control::lbNotConnected, Control::txtConnFail});
    Expect(events.Count("opened") == 0, "the emulated programmer's port was never opened");
    testbus::Unplug(kOtherBridge);
    // The same notices in the same run do bring the programmer.
    PlugAndAwaitConnection(window);
    CloseUpdater(window);
    return Outcome();
}

}  // namespace e2e
