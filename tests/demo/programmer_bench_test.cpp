// The demo's programmer bench driving the real window (offscreen) on the real
// Linux layer: every behaviour chosen on it is what the emulated programmer
// does, and plugging in goes through the window's own notice path.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <ostream>
#include <string>

#include "app/update_stage.h"
#include "device_tree/device_tree.h"
#include "platform/posix/posix_serial.h"
#include "platform/posix/sysfs_ports_registry.h"
#include "tools/bootsim/pty_server.h"
#include "tools/demo/pipe_device_notifications.h"
#include "tools/demo/programmer_bench.h"
#include "tools/demo/programmer_bench_window.h"
#include "ui/qt/main_window.h"

namespace {

using bootsim::Outcome;
using demo::Behaviour;

constexpr std::uint32_t kFirmwareBase = 0x9000;
constexpr std::uint32_t kBlock = 128;

// Whether the device handled a command of this code at this address so.
bool Has(const bootsim::PtyServer& device, Outcome outcome, std::uint8_t code,
         std::uint32_t address) {
    for (const auto& c : device.Records().Commands())
        if (c.code == code && c.address == address && c.outcome == outcome)
            return true;
    return false;
}

class ProgrammerBench : public ::testing::Test {
  protected:
    void SetUp() override {
        window.show();
        benchWindow.show();
    }
    template <typename Kind>
    Kind* BenchControl(const char* name) {
        return benchWindow.findChild<Kind*>(QString::fromLatin1(name));
    }
    // As the user does it: behaviour, block n, the fast pace, then "Plug in".
    void PlugIn(Behaviour behaviour, int block) {
        BenchControl<QComboBox>("behaviour")->setCurrentIndex(static_cast<int>(behaviour));
        BenchControl<QSpinBox>("block")->setValue(block);
        BenchControl<QComboBox>("pace")->setCurrentIndex(static_cast<int>(demo::Pace::Fast));
        BenchControl<QAbstractButton>("plug")->click();
    }
    // Lets the event loop wait (so notices arrive and idle runs) until
    // `done` holds or five seconds have passed.
    static void LoopUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 250 && !done(); ++i) {
            QEventLoop loop;
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }
    app::Control Page() { return window.View().ActivePage(); }
    const devlink::UpdaterState& State() { return window.Logic().State(); }
    void ClickNext() { window.findChild<QAbstractButton*>(QStringLiteral("btnNEXT"))->click(); }

    device_tree::DeviceTree tree;
    demo::PipeDeviceNotifications notices;
    platform::posix::PosixSerial serial{tree.DevRoot()};
    platform::posix::SysfsPortsRegistry registry{tree.SysRoot(), tree.DevRoot()};
    demo::ProgrammerBench bench{tree, notices};
    demo::ProgrammerBenchWindow benchWindow{bench};
    ui::MainWindow window{serial, registry, &notices};
};

struct Case {
    Behaviour behaviour;
    bool connects;
    bool updates;
    // What the device's own record shows of the behaviour, block n = 3.
    std::function<bool(const bootsim::PtyServer&)> seen;
};

// Names the case by its behaviour, in test names and failure messages.
void PrintTo(const Case& c, std::ostream* out) {
    *out << demo::BehaviourNames[static_cast<std::size_t>(c.behaviour)];
}

class EachBehaviour : public ProgrammerBench, public ::testing::WithParamInterface<Case> {};

TEST_P(EachBehaviour, PluggedInOnTheWelcomePageReachesTheProgrammer) {
    const Case& c = GetParam();
    ASSERT_TRUE(window.WatchesDeviceNotices());
    ASSERT_EQ(Page(), app::Control::TabSheet1);
    PlugIn(c.behaviour, 3);
    const auto& device = *bench.Device();
    LoopUntil([&] {
        return State().Connected || (!c.connects && device.Records().ReceivedValues().size() >= 4);
    });

    EXPECT_EQ(State().Connected, c.connects);
    EXPECT_EQ(Page(), c.connects ? app::Control::TabSheet3 : app::Control::TabSheet1);
    if (c.connects) {
        ClickNext();
        EXPECT_EQ(State().Stage == app::StageDone, c.updates);
    }
    EXPECT_TRUE(c.seen(device));
}

INSTANTIATE_TEST_SUITE_P(
    Demo, EachBehaviour,
    ::testing::Values(
        Case{Behaviour::Healthy, true, true,
             [](const bootsim::PtyServer& d) {
                 return Has(d, Outcome::Completed, bootsim::CmdWriteMemory,
                            kFirmwareBase + 440 * kBlock);
             }},
        Case{Behaviour::AnswersOnlyAt9600, true, true,
             [](const bootsim::PtyServer& d) {
                 const auto rates = d.Records().ObservedRates();
                 return !rates.empty() && rates.front() == 115200 && rates.back() == 9600;
             }},
        Case{Behaviour::NackAtWriteBlock, true, false,
             [](const bootsim::PtyServer& d) {
                 return Has(d, Outcome::Faulted, bootsim::CmdWriteMemory,
                            kFirmwareBase + 2 * kBlock);
             }},
        Case{Behaviour::WrongByteInReadBack, true, false,
             [](const bootsim::PtyServer& d) {
                 // The corrupted answer is the fault; no block after it is read.
                 return Has(d, Outcome::Faulted, bootsim::CmdReadMemory,
                            kFirmwareBase + 2 * kBlock) &&
                        !Has(d, Outcome::Completed, bootsim::CmdReadMemory,
                             kFirmwareBase + 3 * kBlock);
             }},
        Case{Behaviour::Silent, false, false,
             [](const bootsim::PtyServer& d) {
                 return d.Records().SyncsAnswered() == 0 && d.Records().ReceivedValues()[0] == 0x7F;
             }},
        Case{Behaviour::HangsUpMidUpdate, true, false, [](const bootsim::PtyServer& d) {
                 return d.HungUp() && Has(d, Outcome::Completed, bootsim::CmdWriteMemory,
                                          kFirmwareBase + 2 * kBlock);
             }}));

TEST_F(ProgrammerBench, UnplugRemovesThePortAndTheWindowClosesItsLine) {
    PlugIn(Behaviour::Healthy, 1);
    LoopUntil([&] { return State().Connected; });
    ASSERT_TRUE(State().PortOpen);
    benchWindow.Refresh();
    EXPECT_NE(BenchControl<QLabel>("report")->text().indexOf(QStringLiteral("Syncs answered: 1")),
              -1);

    BenchControl<QAbstractButton>("plug")->click();
    LoopUntil([&] { return !State().PortOpen; });

    EXPECT_FALSE(State().PortOpen);
    EXPECT_FALSE(bench.PluggedIn());
    EXPECT_EQ(BenchControl<QAbstractButton>("plug")->text(), QStringLiteral("Plug in"));
    EXPECT_NE(BenchControl<QLabel>("report")->text().indexOf(QStringLiteral("(unplugged)")), -1);
}

TEST(BenchPace, LineSpeedIsTheRateTheDeviceListensAt) {
    using demo::OptionsFor;
    EXPECT_EQ(OptionsFor(Behaviour::Healthy, 1, demo::Pace::LineSpeed).paceBaud, 115200u);
    EXPECT_EQ(OptionsFor(Behaviour::AnswersOnlyAt9600, 1, demo::Pace::LineSpeed).paceBaud, 9600u);
    EXPECT_EQ(OptionsFor(Behaviour::Healthy, 1, demo::Pace::Fast).paceBaud, 0u);
}

}  // namespace
