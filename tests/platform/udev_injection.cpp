#include "udev_injection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/netlink.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "udev_export_db.h"

namespace udevtest {

using platform::posix::UdevProperties;

namespace {

constexpr std::uint32_t UdevGroup = 2;

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

}  // namespace

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

PrivateNetworkNamespace::PrivateNetworkNamespace()
    : original_(open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC)) {
    entered_ = original_ >= 0 && unshare(CLONE_NEWNET) == 0;
}

PrivateNetworkNamespace::~PrivateNetworkNamespace() {
    if (entered_)
        setns(original_, CLONE_NEWNET);
    if (original_ >= 0)
        close(original_);
}

UdevSender::UdevSender()
    : fd_(socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT)) {}

UdevSender::~UdevSender() {
    if (fd_ >= 0)
        close(fd_);
}

bool UdevSender::Send(const std::vector<char>& message) {
    sockaddr_nl group{};
    group.nl_family = AF_NETLINK;
    group.nl_groups = UdevGroup;
    return sendto(fd_, message.data(), message.size(), 0, reinterpret_cast<const sockaddr*>(&group),
                  sizeof group) == static_cast<ssize_t>(message.size());
}

bool UdevSender::Send(UdevProperties properties, const std::string& action) {
    properties["ACTION"] = action;
    properties["SEQNUM"] = std::to_string(++seqnum_);
    return Send(UdevMessage(properties, UdevMonitorMagic));
}

bool Readable(int fd) {
    pollfd watch{fd, POLLIN, 0};
    return poll(&watch, 1, 0) > 0 && (watch.revents & POLLIN) != 0;
}

UdevProperties FixtureTty(const char* node) {
    const auto device = FixtureDevice("udev_tty_export_db.txt", node);
    return device ? device->Properties : UdevProperties{};
}

InjectedEvents::InjectedEvents(platform::posix::UdevDeviceNotifications& notifications) {
    if (!netns_.Entered()) {
        unavailable_ = "needs root: injects udev events in a private network namespace";
    } else if (!notifications.RegisterDeviceNotificationA()) {
        unavailable_ = "no udev monitor can be created here";
    } else if (!sender_.Send(FixtureTty("ttyUSB0"), "change")) {
        unavailable_ = "cannot multicast on the uevent netlink group here";
    } else if (!Readable(notifications.Descriptor())) {
        // Without udevd, libudev listens to udev's group only where /dev is
        // a devtmpfs; elsewhere the probe never arrives.
        unavailable_ = "this libudev monitor does not listen while udevd is not running";
    } else {
        notifications.Dispatch([this](std::uint32_t, const void*) { probeDelivered_ = true; });
    }
}

}  // namespace udevtest
