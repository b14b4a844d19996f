// The device-change handler records; the idle handler acts.
#include "fakes/interface_record.h"
#include "form_fixture.h"
#include "link/device_events.h"

namespace apptest {
namespace {

using fakes::MakeInterfaceRecord;
using platform::DeviceArrival;
using platform::DeviceRemoveComplete;

class DeviceChange : public FormTest {
  protected:
    void Notify(std::uint32_t code, std::string_view path = fakes::ProgrammerPath,
                std::uint32_t type = 5) {
        const auto record = MakeInterfaceRecord(path, type);
        form.WMDeviceChange(code, record.data());
    }
    std::uint8_t Event() const { return form.State().DeviceEvent; }
    void OfferProgrammerByName() {
        registry.devices = {{"Silicon Labs CP210x USB to UART Bridge (COM33)", ""}};
    }
};

TEST_F(DeviceChange, NotificationsOnlyRecord) {
    Notify(platform::DeviceArrival);
    EXPECT_EQ(Event(), devlink::DeviceEventArrived);
    Notify(platform::DeviceRemoveComplete);
    EXPECT_EQ(Event(), devlink::DeviceEventRemoved);
    Notify(platform::DeviceArrival, "\\\\?\\usb#vid_10c4&pid_ea60#0001#{x}");
    EXPECT_EQ(Event(), devlink::DeviceEventArrived);
    EXPECT_TRUE(api.opened.empty());
    EXPECT_EQ(view.ActivePage(), Control::TabSheet1);
}

TEST_F(DeviceChange, OtherDevicesTypesAndCodesChangeNothing) {
    Notify(platform::DeviceArrival, fakes::OtherDevicePath);
    Notify(platform::DeviceArrival, fakes::ProgrammerPath, 3);
    Notify(0x8001);  // a removal query
    Notify(0x8003);  // a pending removal
    Notify(0x0007);
    EXPECT_EQ(Event(), devlink::DeviceEventNone);
    // Codes that are not handled must not even read the record.
    form.WMDeviceChange(0x8001, nullptr);
    EXPECT_EQ(Event(), devlink::DeviceEventNone);
}

TEST_F(DeviceChange, MalformedRecordsAreIgnored) {
    const auto tooSmall = MakeInterfaceRecord(fakes::ProgrammerPath, 5, 8);
    form.WMDeviceChange(platform::DeviceArrival, tooSmall.data());
    // The identity cut off by the record's own size does not match.
    const auto cut = MakeInterfaceRecord(fakes::ProgrammerPath, 5, 28 + 20);
    form.WMDeviceChange(platform::DeviceArrival, cut.data());
    EXPECT_EQ(Event(), devlink::DeviceEventNone);
    // The identity beyond the 256-character name area is not seen.
    const std::string longPath = std::string(256, 'x') + std::string(fakes::ProgrammerPath);
    const auto beyond = MakeInterfaceRecord(longPath, 5, 284);
    form.WMDeviceChange(platform::DeviceArrival, beyond.data());
    EXPECT_EQ(Event(), devlink::DeviceEventNone);
}

TEST_F(DeviceChange, IdleWithNothingPendingDoesNothing) {
    form.ApplicationEvents1Idle();
    EXPECT_TRUE(api.opened.empty());
    EXPECT_EQ(api.sleeps, 0);
}

TEST_F(DeviceChange, ArrivalWithNoNamedPortIsConsumedWithoutProbing) {
    Notify(platform::DeviceArrival);
    form.ApplicationEvents1Idle();
    EXPECT_EQ(Event(), devlink::DeviceEventNone);
    EXPECT_TRUE(registry.probed.empty());
    EXPECT_TRUE(api.opened.empty());
    EXPECT_EQ(view.ActivePage(), Control::TabSheet1);
}

TEST_F(DeviceChange, ArrivalWhosePortDoesNotAnswerShowsNothing) {
    OfferProgrammerByName();
    Notify(platform::DeviceArrival);
    form.ApplicationEvents1Idle();
    EXPECT_EQ(Event(), devlink::DeviceEventNone);
    EXPECT_EQ(api.opened.size(), 2u);  // 115200, then 9600
    EXPECT_FALSE(form.State().PortOpen);
    EXPECT_EQ(view.ActivePage(), Control::TabSheet1);
    for (Control c : {Control::lbNotConnected, Control::txtConnFail})
        EXPECT_FALSE(view.Visible(c));

    // A later arrival searches again.
    Notify(platform::DeviceArrival);
    form.ApplicationEvents1Idle();
    EXPECT_EQ(api.opened.size(), 4u);
}

TEST_F(DeviceChange, ArrivalWaitsWhileAPortIsOpen) {
    PretendConnected();
    OfferProgrammerByName();
    Notify(platform::DeviceArrival);
    Notify(platform::DeviceArrival);
    form.ApplicationEvents1Idle();
    EXPECT_EQ(Event(), devlink::DeviceEventArrived);
    EXPECT_EQ(api.opened.size(), 1u);  // only the pretend connection's own open
}

TEST_F(DeviceChange, RemovalClosesAnOpenPortAtTheNextIdleAndNothingElse) {
    GoToPage(Control::TabSheet3);
    PretendConnected();
    form.btnNEXTClick();
    form.btnBACKClick();
    form.State().Connected = true;
    view.SetVisible(Control::lbConnected, true);
    view.SetEnabled(Control::btnNEXT, true);

    Notify(platform::DeviceRemoveComplete);
    EXPECT_TRUE(form.State().PortOpen);
    form.ApplicationEvents1Idle();
    EXPECT_FALSE(form.State().PortOpen);
    EXPECT_FALSE(form.State().Connected);
    EXPECT_EQ(form.State().PortHandle, platform::InvalidHandle);
    EXPECT_EQ(Event(), devlink::DeviceEventNone);
    EXPECT_EQ(api.closes, 1);
    // Page, indicators and buttons wait for the next button press.
    EXPECT_EQ(view.ActivePage(), Control::TabSheet3);
    EXPECT_TRUE(view.Visible(Control::lbConnected));
    EXPECT_TRUE(view.Enabled(Control::btnNEXT));

    form.btnESCClick();  // nothing left to close
    EXPECT_EQ(api.closes, 1);
    EXPECT_EQ(api.callsAfterClose, 0);
}

TEST_F(DeviceChange, RemovalWithoutAnOpenPortWaitsForOne) {
    Notify(platform::DeviceRemoveComplete);
    form.ApplicationEvents1Idle();
    EXPECT_EQ(Event(), devlink::DeviceEventRemoved);
    PretendConnected();
    form.ApplicationEvents1Idle();
    EXPECT_FALSE(form.State().PortOpen);
    EXPECT_EQ(api.closes, 1);
}

TEST_F(DeviceChange, ArrivalFollowedByRemovalLeavesOnlyTheRemoval) {
    OfferProgrammerByName();
    PretendConnected();
    Notify(platform::DeviceArrival);
    Notify(platform::DeviceRemoveComplete);
    form.ApplicationEvents1Idle();
    EXPECT_FALSE(form.State().PortOpen);
    EXPECT_EQ(Event(), devlink::DeviceEventNone);
    EXPECT_EQ(api.opened.size(), 1u);
}

TEST_F(DeviceChange, IdleNeverActsInsideAnUpdate) {
    GoToPage(Control::TabSheet3);
    PretendConnected();
    bool idleRan = false;
    view.onProcessMessages = [&](int) {
        // A removal notice dispatched while the update lets messages through,
        // and a toolkit that runs idle processing there all the same.
        Notify(platform::DeviceRemoveComplete);
        form.ApplicationEvents1Idle();
        idleRan = true;
        EXPECT_TRUE(form.State().PortOpen);
    };
    form.btnNEXTClick();
    ASSERT_TRUE(idleRan);
    EXPECT_TRUE(form.State().PortOpen);
    EXPECT_EQ(Event(), devlink::DeviceEventRemoved);
    EXPECT_EQ(api.closes, 0);

    form.ApplicationEvents1Idle();  // back in the message loop
    EXPECT_FALSE(form.State().PortOpen);
    EXPECT_EQ(api.closes, 1);
}

}  // namespace
}  // namespace apptest
