#include "platform/posix/udev_device_notifications.h"

#include <fcntl.h>
#include <libudev.h>
#include <poll.h>

#include <exception>

namespace platform::posix {

namespace {

// A burst of events is handed over in slices, so that a flood of them cannot
// hold the user-interface thread; the socket stays readable and its notifier
// brings us back for the rest.
constexpr int MaxEventsPerDispatch = 64;

UdevProperties PropertiesOf(udev_device* device) {
    UdevProperties properties;
    for (udev_list_entry* entry = udev_device_get_properties_list_entry(device); entry != nullptr;
         entry = udev_list_entry_get_next(entry)) {
        const char* name = udev_list_entry_get_name(entry);
        const char* value = udev_list_entry_get_value(entry);
        if (name != nullptr)
            properties[name] = value != nullptr ? value : "";
    }
    return properties;
}

std::optional<UsbIds> UsbParentIds(udev_device* device) {
    // The parent belongs to the child device and must not be released here.
    udev_device* parent =
        udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
    if (parent == nullptr)
        return std::nullopt;
    const char* vendor = udev_device_get_sysattr_value(parent, "idVendor");
    const char* product = udev_device_get_sysattr_value(parent, "idProduct");
    if (vendor == nullptr || product == nullptr)
        return std::nullopt;
    return ParseUsbIds(vendor, product);
}

bool Readable(int fd) {
    pollfd watch{fd, POLLIN, 0};
    return poll(&watch, 1, 0) > 0 && (watch.revents & POLLIN) != 0;
}

}  // namespace

UdevDeviceNotifications::~UdevDeviceNotifications() {
    Release();
}

bool UdevDeviceNotifications::RegisterDeviceNotificationA() {
    if (monitor_ != nullptr)
        return true;
    udev_ = udev_new();
    if (udev_ == nullptr)
        return false;
    // The "udev" group carries events after udevd has added its properties
    // (the USB ids among them); the raw kernel group would not.
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        Release();
        return false;
    }
    // Dispatch runs on the user-interface thread and must never wait there.
    // libudev opens the socket non-blocking, but nothing in its interface
    // promises that.
    const int fd = udev_monitor_get_fd(monitor_);
    const int flags = fd < 0 ? -1 : fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        Release();
        return false;
    }
    return true;
}

int UdevDeviceNotifications::Descriptor() const {
    return monitor_ != nullptr ? udev_monitor_get_fd(monitor_) : -1;
}

void UdevDeviceNotifications::Dispatch(const Deliver& deliver) {
    if (monitor_ == nullptr)
        return;
    const int fd = udev_monitor_get_fd(monitor_);
    for (int i = 0; i < MaxEventsPerDispatch; ++i) {
        udev_device* device = udev_monitor_receive_device(monitor_);
        if (device == nullptr) {
            // libudev also returns nothing, often with EAGAIN, for a message it
            // rejects (foreign sender, bad signature) or a queue overflow, with
            // more events still waiting behind it. Only the socket can tell.
            if (!Readable(fd))
                return;
            continue;
        }
        std::optional<DeviceNotice> notice;
        try {
            const char* action = udev_device_get_action(device);
            notice = translator_.Translate(action != nullptr ? action : "", PropertiesOf(device),
                                           [device] { return UsbParentIds(device); });
        } catch (const std::exception&) {
            // Out of memory for one event's properties: that notice is lost,
            // the program goes on.
        }
        udev_device_unref(device);
        if (notice && deliver)
            deliver(notice->EventCode, notice->Record.data());
    }
}

void UdevDeviceNotifications::Release() {
    if (monitor_ != nullptr)
        udev_monitor_unref(monitor_);
    if (udev_ != nullptr)
        udev_unref(udev_);
    monitor_ = nullptr;
    udev_ = nullptr;
}

}  // namespace platform::posix
