// Trying again without replugging, as the failure text advises: the device
// stays powered and its bootloader stays synchronised from the first
// connection, as the chip's own does, so a second sync byte is a command code.
#include "platform/posix/udev_device_notifications.h"
#include "programmer_fixture.h"
#include "udev_injection.h"

namespace e2e {
namespace {

using bootsim::FaultAction;
using bootsim::FaultPhase;

// How the first try ends, before the user presses "Соединение" again.
enum class FirstTry {
    BackAndNextWhileConnected,
    FailedUpdateThenBack,  // Назад from the failure display
    OtmenaMidUpdate,       // the program closed, and started again
    SuccessThenOk,         // the program closed by OK, and started again
};

struct Path {
    const char* name;
    bootsim::Options device;
    FirstTry firstTry;
};

void PrintTo(const Path& path, std::ostream* out) {
    *out << path.name;
}

bootsim::Options Refusing(std::uint32_t nthWrite, FaultPhase phase) {
    bootsim::Options options;
    options.phaseFaults.push_back({bootsim::CmdWriteMemory, nthWrite, phase, FaultAction::Nack});
    return options;
}

bootsim::Options Misreading(std::uint32_t nthRead) {
    bootsim::Options options;
    options.readCorruptions.push_back({nthRead, 17});
    return options;
}

bootsim::Options Resynchronising() {
    bootsim::Options options;
    options.resyncBetweenCommands = true;
    return options;
}

const Path kPaths[] = {
    {"BackAndNextWhileConnected", {}, FirstTry::BackAndNextWhileConnected},
    {"AfterAWriteRefused", Refusing(200, FaultPhase::Data), FirstTry::FailedUpdateThenBack},
    {"AfterAReadBackDiffers", Misreading(300), FirstTry::FailedUpdateThenBack},
    {"AfterASettingsBlockRefused", Refusing(FirmwareBlocks + 4, FaultPhase::Command),
     FirstTry::FailedUpdateThenBack},
    {"ProgramStartedAgainAfterOtmena", {}, FirstTry::OtmenaMidUpdate},
    {"ProgramStartedAgainAfterSuccess", {}, FirstTry::SuccessThenOk},
    // A bootloader kinder than the chip answers the sync byte again.
    {"BackAndNextOnAResynchronisingBootloader", Resynchronising(),
     FirstTry::BackAndNextWhileConnected},
};

class EveryPath : public ProgrammerTest, public ::testing::WithParamInterface<Path> {
  protected:
    void TryFirst(FirstTry how) {
        switch (how) {
            case FirstTry::BackAndNextWhileConnected:
                Click("btnBACK");
                Click("btnNEXT");
                return;
            case FirstTry::FailedUpdateThenBack:
                RunUpdate(false);
                ASSERT_TRUE(Shown("txtWriteFail"));
                Click("btnBACK");
                return;
            case FirstTry::OtmenaMidUpdate:
                ClickOtmenaWhenWriteBarReaches(10);
                RunUpdate(false);
                ASSERT_FALSE(window->isVisible());
                break;
            case FirstTry::SuccessThenOk:
                RunUpdate(true);
                ASSERT_EQ(State().Stage, app::StageDone);
                Click("btnNEXT");
                Click("btnNEXT");  // OK
                ASSERT_FALSE(window->isVisible());
                break;
        }
        window.reset();
        OpenWindow();
        GoToConnectionPage();
    }
};

TEST_P(EveryPath, ConnectsAgainAndFinishesTheUpdate) {
    auto& device = PlugIn(GetParam().device);
    OpenWindow();
    Connect();
    ASSERT_NO_FATAL_FAILURE(TryFirst(GetParam().firstTry));
    ASSERT_EQ(Page(), app::Control::TabSheet3);

    Click("btnConnect");
    ExpectConnectionShown(true);
    ASSERT_TRUE(State().Connected);
    RunUpdate(false);

    EXPECT_EQ(State().Stage, app::StageDone);
    EXPECT_FALSE(Shown("txtWriteFail"));
    EXPECT_FALSE(Shown("lbVerifyErr"));
    EXPECT_EQ(device.Memory().Snapshot(), ExpectedMemory(true));
}

INSTANTIATE_TEST_SUITE_P(TryAgain, EveryPath, ::testing::ValuesIn(kPaths),
                         [](const ::testing::TestParamInfo<Path>& path) {
                             return std::string(path.param.name);
                         });

// The cable pulled out mid-update and plugged back in, which restarts the
// device; udev's events reach the window's own monitor as udevd sends them.
class Replug : public ProgrammerTest {
  protected:
    platform::posix::UdevDeviceNotifications notifications;
    udevtest::InjectedEvents udev{notifications};
};

TEST_F(Replug, AfterTheFailureTheProgrammerConnectsByItselfAndTheUpdateFinishes) {
    if (!udev.Unavailable().empty())
        GTEST_SKIP() << udev.Unavailable();
    const auto cp210x = udevtest::FixtureTty("ttyUSB0");
    auto& device = PlugIn();
    window = std::make_unique<ui::MainWindow>(serial, registry, &notifications);
    window->show();
    Connect();
    bool pulled = false;
    WhenBarReaches("BarWrite", 30, [&] {
        pulled = true;
        device.Unplug();
        Unplug();
        udev.Sender().Send(cp210x, "remove");
    });
    RunUpdate(false);
    ASSERT_TRUE(pulled);
    EXPECT_TRUE(Shown("txtWriteFail"));
    IdleFor(50);
    EXPECT_FALSE(State().PortOpen);

    device.PlugIn();
    tree.AddTty("ttyUSB0", "cp210x", device.SlavePath());
    ASSERT_TRUE(udev.Sender().Send(cp210x, "add"));
    for (int i = 0; i < 100 && !State().Connected; ++i)
        IdleFor(20);
    EXPECT_EQ(Page(), app::Control::TabSheet3);
    ExpectConnectionShown(true);
    RunUpdate(false);

    EXPECT_EQ(State().Stage, app::StageDone);
    EXPECT_EQ(device.Memory().Snapshot(), ExpectedMemory(true));
}

}  // namespace
}  // namespace e2e
