// Plugging the programmer in and pulling it out while the window runs.
#include "fakes/interface_record.h"
#include "link/device_events.h"
#include "programmer_fixture.h"

namespace e2e {
namespace {

class DeviceArrival : public ProgrammerTest {
  protected:
    void Notify(std::uint32_t code) {
        const auto record = fakes::MakeInterfaceRecord(fakes::ProgrammerPath);
        window->Logic().WMDeviceChange(code, record.data());
    }
};

TEST_F(DeviceArrival, PluggingInOnTheWelcomePageConnectsAndShowsTheConnectionPage) {
    OpenWindow();
    ASSERT_EQ(Page(), app::Control::TabSheet1);
    auto& device = PlugIn();
    Notify(platform::DeviceArrival);
    EXPECT_EQ(Page(), app::Control::TabSheet1);  // the notice itself only records

    IdleFor(50);

    EXPECT_EQ(Page(), app::Control::TabSheet3);
    EXPECT_TRUE(State().Connected);
    ExpectConnectionShown(true);
    EXPECT_TRUE(Shown("btnBACK"));
    EXPECT_EQ(device.Records().ReceivedValues(), (std::vector<std::uint8_t>{0x7F, 0x00, 0xFF}));

    // Далее goes straight on to the update.
    Click("btnNEXT");
    EXPECT_EQ(Page(), app::Control::TabSheet4);
    EXPECT_EQ(State().Stage, app::StageDone);
}

TEST_F(DeviceArrival, PullingOutClosesThePortAtTheNextIdleAndLeavesThePageAlone) {
    auto& device = PlugIn();
    OpenWindow();
    Connect();
    ASSERT_EQ(PortsOpenOn(device), 1);

    Unplug();
    Notify(platform::DeviceRemoveComplete);
    IdleFor(20);

    EXPECT_FALSE(State().PortOpen);
    EXPECT_FALSE(State().Connected);
    EXPECT_EQ(PortsOpenOn(device), 0);
    // Until the next button press the page still says connected.
    EXPECT_TRUE(Shown("lbConnected"));
    EXPECT_TRUE(Enabled("btnNEXT"));
    Click("btnNEXT");
    EXPECT_EQ(Page(), app::Control::TabSheet3);
    EXPECT_FALSE(Enabled("btnNEXT"));
    EXPECT_TRUE(Enabled("btnConnect"));
}

TEST_F(DeviceArrival, ARemovalDuringAnUpdateWaitsUntilTheUpdateHasReturned) {
    auto& device = PlugIn();
    OpenWindow();
    Connect();
    bool noticed = false;
    WhenBarReaches("BarVerify", 50, [&] {
        noticed = true;
        Notify(platform::DeviceRemoveComplete);
    });
    RunUpdate(true);

    ASSERT_TRUE(noticed);
    // The device stayed, so the update went through; the port is closed only
    // once the window is back in its event loop.
    EXPECT_EQ(State().Stage, app::StageDone);
    EXPECT_TRUE(State().PortOpen);
    EXPECT_EQ(State().DeviceEvent, devlink::DeviceEventRemoved);
    IdleFor(20);
    EXPECT_FALSE(State().PortOpen);
    EXPECT_EQ(State().PortHandle, platform::InvalidHandle);
    EXPECT_EQ(device.Records().Commands().size(), 1 + 2 * 441u);
}

TEST_F(DeviceArrival, AProgrammerAlreadyPluggedInAtStartDoesNothingByItself) {
    auto& device = PlugIn();
    OpenWindow();
    IdleFor(30);
    EXPECT_EQ(Page(), app::Control::TabSheet1);
    EXPECT_TRUE(device.Records().Received().empty());
}

}  // namespace
}  // namespace e2e
