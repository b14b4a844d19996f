#include <gtest/gtest.h>

#include <fcntl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/posix/udev_device_notifications.h"
#include "udev_injection.h"

namespace {

using platform::DeviceArrival;
using platform::DeviceRemoveComplete;
using platform::posix::UdevDeviceNotifications;
using platform::posix::UdevProperties;
using udevtest::Readable;

struct Delivered {
    std::uint32_t code;
    std::string path;
};

std::vector<Delivered> DispatchAll(UdevDeviceNotifications& notifications) {
    std::vector<Delivered> delivered;
    notifications.Dispatch([&](std::uint32_t code, const void* record) {
        delivered.push_back({code, static_cast<const char*>(record) + 28});
    });
    return delivered;
}

TEST(UdevDeviceNotifications, RegistersANonBlockingMonitorWhereUdevIsAvailable) {
    UdevDeviceNotifications notifications;
    EXPECT_EQ(notifications.Descriptor(), -1);
    EXPECT_TRUE(DispatchAll(notifications).empty());
    if (!notifications.RegisterDeviceNotificationA())
        GTEST_SKIP() << "no udev monitor can be created here (no netlink access)";
    const int fd = notifications.Descriptor();
    ASSERT_GE(fd, 0);
    EXPECT_NE(fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << "a read must never wait on the UI thread";
    EXPECT_TRUE(notifications.RegisterDeviceNotificationA());
    EXPECT_EQ(notifications.Descriptor(), fd) << "a second registration keeps the first monitor";
    // Nothing is pending on a machine where no tty comes or goes; the call
    // must come straight back rather than wait for one.
    if (!Readable(fd)) {
        EXPECT_TRUE(DispatchAll(notifications).empty());
    }
}

class UdevInjectedEvents : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!injected_.Unavailable().empty())
            GTEST_SKIP() << injected_.Unavailable();
        if (injected_.ProbeDelivered())
            FAIL() << "a change event was delivered as a notice";
        sender_ = &injected_.Sender();
    }

    static UdevProperties Fixture(const char* node) { return udevtest::FixtureTty(node); }

    UdevDeviceNotifications notifications_;
    udevtest::InjectedEvents injected_{notifications_};
    udevtest::UdevSender* sender_ = nullptr;
};

const std::string Cp210xPath =
    "\\\\?\\USB#VID_10C4&PID_EA60#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

TEST_F(UdevInjectedEvents, ArrivalAndRemovalOfTheProgrammerTtyAreDelivered) {
    const UdevProperties cp210x = Fixture("ttyUSB0");
    ASSERT_FALSE(cp210x.empty());
    ASSERT_TRUE(sender_->Send(cp210x, "add"));
    ASSERT_TRUE(sender_->Send(cp210x, "change"));
    ASSERT_TRUE(sender_->Send(Fixture("ttyS0"), "add"));
    ASSERT_TRUE(sender_->Send(Fixture("ttyACM0"), "add"));
    UdevProperties usbDevice = cp210x;
    usbDevice["SUBSYSTEM"] = "usb";
    ASSERT_TRUE(sender_->Send(usbDevice, "add"));
    ASSERT_TRUE(sender_->Send(cp210x, "remove"));

    const std::vector<Delivered> delivered = DispatchAll(notifications_);
    ASSERT_EQ(delivered.size(), 3u);
    EXPECT_EQ(delivered[0].code, DeviceArrival);
    EXPECT_EQ(delivered[0].path, Cp210xPath);
    EXPECT_EQ(delivered[1].code, DeviceArrival);
    EXPECT_NE(delivered[1].path.find("VID_1546&PID_01A7#ttyACM0#"), std::string::npos);
    EXPECT_EQ(delivered[2].code, DeviceRemoveComplete);
    EXPECT_EQ(delivered[2].path, Cp210xPath);

    EXPECT_FALSE(Readable(notifications_.Descriptor()));
    EXPECT_TRUE(DispatchAll(notifications_).empty());
}

TEST_F(UdevInjectedEvents, ARejectedMessageDoesNotHideTheEventsBehindIt) {
    UdevProperties cp210x = Fixture("ttyUSB0");
    cp210x["ACTION"] = "add";
    cp210x["SEQNUM"] = "1";
    ASSERT_TRUE(sender_->Send(udevtest::UdevMessage(cp210x, 0xdeadbeef)));
    ASSERT_TRUE(sender_->Send(Fixture("ttyUSB0"), "add"));

    const std::vector<Delivered> delivered = DispatchAll(notifications_);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].path, Cp210xPath);
}

}  // namespace
