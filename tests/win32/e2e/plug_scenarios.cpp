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

// The lines the emulated programmer printed after its terminal's path.
class ProgrammerEvents {
  public:
    ProgrammerEvents() {
        const char* file = std::getenv("KESTRUN_PORT_1_EVENTS");
        if (file == nullptr)
            throw std::runtime_error("no KESTRUN_PORT_1_EVENTS: run with the emulated programmer");
        path_ = file;
    }

    unsigned Count(std::string_view event) const {
        std::ifstream file(path_);
        std::string line;
        std::getline(file, line);
        unsigned count = 0;
        while (std::getline(file, line))
            count += line == event ? 1u : 0u;
        return count;
    }

  private:
    std::string path_;
};

void PrintTime(const char* what, Clock::time_point since) {
    const std::chrono::duration<double, std::milli> took = Clock::now() - since;
    std::printf("%s: %.1f ms\n", what, took.count());
}

void ExpectConnected(const UpdaterWindow& window) {
    Expect(window.Visible(Control::TabSheet3), "the connection page shows");
    ExpectShown(window, {Control::lbConnected, Control::txtConnOK},
                {Control::lbNotConnected, Control::txtConnFail});
    Expect(window.Enabled(Control::btnNEXT) && !window.Enabled(Control::btnConnect),
           "connected: Далее on, Соединение off");
}

void ConnectByPlugging(UpdaterWindow& window) {
    Expect(window.Visible(Control::TabSheet1), "the welcome page shows first");
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

}  // namespace

int PlugIn() {
    UpdaterWindow window(UpdaterBesideThisProgram(), kStartLimit);
    AwaitNoticesRegistered();
    ConnectByPlugging(window);
    CloseUpdater(window);
    return Outcome();
}

int UnplugConnected() {
    const ProgrammerEvents events;
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

int UnplugUpdating() {
    const ProgrammerEvents events;
    UpdaterWindow window(UpdaterBesideThisProgram(), kStartLimit);
    AwaitNoticesRegistered();
    ConnectByPlugging(window);
    const unsigned closes = events.Count("closed");
    bool successShown = false;
    bool closedEarly = false;
    const auto watch = [&] {
        successShown = successShown || AnyVisible(window, kSuccess);
        const bool outcome = AnyVisible(window, {Control::txtWriteOK, Control::txtWriteFail});
        closedEarly = closedEarly || (!outcome && events.Count("closed") > closes);
        return outcome;
    };
    window.Press(Control::btnNEXT);
    Await(
        [&] {
            watch();
            return events.Count("silent") > 0;
        },
        kUpdateLimit, "the programmer to fall silent");
    const auto start = Clock::now();
    testbus::Unplug(kProgrammer);
    Await(watch, kUpdateLimit, "the update's outcome");
    PrintTime("unplug: the failure display after", start);
    Await([&] { return window.Enabled(Control::btnBACK); }, kStepLimit, "the update to end");
    Await([&] { return events.Count("closed") > closes; }, kStepLimit,
          "the port to close after the update");
    PrintTime("unplug: the port closed after", start);
    window.Sync();
    Expect(!successShown, "success never showed");
    Expect(!closedEarly, "the port stayed open while the update ran");
    ExpectShown(
        window, {Control::lbWriteErr, Control::txtWriteFail, Control::ListWriteFail},
        {Control::lbWriteOK, Control::txtWriteOK, Control::ListWriteOK, Control::lbWriteOn});
    CloseUpdater(window);
    return Outcome();
}

int OtherProduct() {
    const ProgrammerEvents events;
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
    CloseUpdater(window);
    return Outcome();
}

}  // namespace e2e
