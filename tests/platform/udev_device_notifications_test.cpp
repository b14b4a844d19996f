#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/netlink.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/udev_device_notifications.h"
#include "udev_export_db.h"

namespace {

using platform::DeviceArrival;
using platform::DeviceRemoveComplete;
using platform::posix::UdevDeviceNotifications;
using platform::posix::UdevProperties;

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

bool Readable(int fd) {
    pollfd watch{fd, POLLIN, 0};
    return poll(&watch, 1, 0) > 0 && (watch.revents & POLLIN) != 0;
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

// --- Events injected as udevd sends them --------------------------------------
//
// udevd multicasts each processed event on the uevent netlink family, group 2,
// as a small header followed by the NUL-separated properties. Doing the same
// from a private network namespace feeds the real libudev monitor with no
// udevd running, and without any other program on the machine seeing the fake
// devices.

constexpr std::uint32_t UdevGroup = 2;
constexpr std::uint32_t UdevMonitorMagic = 0xfeedcafe;

// The hash libudev's in-kernel filter matches the subsystem by: MurmurHash2,
// seed 0.
std::uint32_t SubsystemHash(std::string_view text) {
    constexpr std::uint32_t m = 0x5bd1e995;
    std::uint32_t h = static_cast<std::uint32_t>(text.size());
    const auto* data = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t length = text.size();
    for (; length >= 4; data += 4, length -= 4) {
        std::uint32_t k = std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 |
                          std::uint32_t{data[2]} << 16 | std::uint32_t{data[3]} << 24;
        k *= m;
        k ^= k >> 24;
        k *= m;
        h = h * m ^ k;
    }
    switch (length) {
        case 3:
            h ^= std::uint32_t{data[2]} << 16;
            [[fallthrough]];
        case 2:
            h ^= std::uint32_t{data[1]} << 8;
            [[fallthrough]];
        case 1:
            h ^= data[0];
            h *= m;
    }
    h ^= h >> 13;
    h *= m;
    h ^= h >> 15;
    return h;
}

struct UdevWireHeader {
    char prefix[8];
    std::uint32_t magic;  // network order
    std::uint32_t headerSize;
    std::uint32_t propertiesOffset;
    std::uint32_t propertiesLength;
    std::uint32_t subsystemHash;  // network order
    std::uint32_t devtypeHash;    // network order
    std::uint32_t tagBloomHigh;
    std::uint32_t tagBloomLow;
};

std::vector<char> UdevMessage(const UdevProperties& properties, std::uint32_t magic) {
    std::string body;
    for (const auto& [key, value] : properties)
        body += key + "=" + value + '\0';
    UdevWireHeader header{};
    std::memcpy(header.prefix, "libudev", 8);
    header.magic = htonl(magic);
    header.headerSize = sizeof header;
    header.propertiesOffset = sizeof header;
    header.propertiesLength = static_cast<std::uint32_t>(body.size());
    const auto subsystem = properties.find("SUBSYSTEM");
    header.subsystemHash =
        htonl(SubsystemHash(subsystem == properties.end() ? "" : subsystem->second));
    std::vector<char> message(sizeof header + body.size());
    std::memcpy(message.data(), &header, sizeof header);
    std::memcpy(message.data() + sizeof header, body.data(), body.size());
    return message;
}

// Moves this thread into a network namespace of its own, and back on leaving.
class PrivateNetworkNamespace {
  public:
    PrivateNetworkNamespace() : original_(open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC)) {
        entered_ = original_ >= 0 && unshare(CLONE_NEWNET) == 0;
    }
    ~PrivateNetworkNamespace() {
        if (entered_)
            setns(original_, CLONE_NEWNET);
        if (original_ >= 0)
            close(original_);
    }
    PrivateNetworkNamespace(const PrivateNetworkNamespace&) = delete;
    PrivateNetworkNamespace& operator=(const PrivateNetworkNamespace&) = delete;
    bool Entered() const { return entered_; }

  private:
    int original_;
    bool entered_ = false;
};

class UdevSender {
  public:
    UdevSender() : fd_(socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT)) {}
    ~UdevSender() {
        if (fd_ >= 0)
            close(fd_);
    }
    UdevSender(const UdevSender&) = delete;
    UdevSender& operator=(const UdevSender&) = delete;

    bool Send(const std::vector<char>& message) {
        sockaddr_nl group{};
        group.nl_family = AF_NETLINK;
        group.nl_groups = UdevGroup;
        return sendto(fd_, message.data(), message.size(), 0,
                      reinterpret_cast<const sockaddr*>(&group),
                      sizeof group) == static_cast<ssize_t>(message.size());
    }
    bool Send(UdevProperties properties, const std::string& action) {
        properties["ACTION"] = action;
        properties["SEQNUM"] = std::to_string(++seqnum_);
        return Send(UdevMessage(properties, UdevMonitorMagic));
    }

  private:
    int fd_;
    unsigned seqnum_ = 1000;
};

class UdevInjectedEvents : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!netns_.Entered())
            GTEST_SKIP() << "needs root: injects udev events in a private network namespace";
        if (!notifications_.RegisterDeviceNotificationA())
            GTEST_SKIP() << "no udev monitor can be created here";
        sender_.emplace();
        if (!sender_->Send(Fixture("ttyUSB0"), "change"))
            GTEST_SKIP() << "cannot multicast on the uevent netlink group here";
        // Without udevd, libudev listens to udev's group only where /dev is a
        // devtmpfs; elsewhere the probe never arrives.
        if (!Readable(notifications_.Descriptor()))
            GTEST_SKIP() << "this libudev monitor does not listen while udevd is not running";
        if (!DispatchAll(notifications_).empty())
            FAIL() << "a change event was delivered as a notice";
    }

    static UdevProperties Fixture(const char* node) {
        const auto device = udevtest::FixtureDevice("udev_tty_export_db.txt", node);
        return device ? device->Properties : UdevProperties{};
    }

    PrivateNetworkNamespace netns_;
    UdevDeviceNotifications notifications_;
    std::optional<UdevSender> sender_;
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
    ASSERT_TRUE(sender_->Send(UdevMessage(cp210x, 0xdeadbeef)));
    ASSERT_TRUE(sender_->Send(Fixture("ttyUSB0"), "add"));

    const std::vector<Delivered> delivered = DispatchAll(notifications_);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].path, Cp210xPath);
}

}  // namespace
