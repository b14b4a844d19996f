// Turns udev tty events into the device-interface notices the window expects.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/udev_interface_path.h"
#include "platform/posix/udev_notification_record.h"

namespace platform::posix {

// "add" is an interface arrival, "remove" a completed removal. Every other
// action (change, bind, unbind, move, ...) is no notice.
std::optional<std::uint32_t> EventCodeForAction(std::string_view action);

struct DeviceNotice {
    std::uint32_t EventCode = 0;
    NotificationRecord Record;
};

class UdevEventTranslator {
  public:
    // Reads the USB parent's ids; asked only on arrival, and only when the
    // event's own properties carry none.
    using ParentIdsLookup = std::function<std::optional<UsbIds>()>;

    // Zero or one notice for one event. On arrival the ids used are kept by
    // device node (DEVNAME), because by the time the node is removed its USB
    // parent has already left sysfs and can no longer be asked.
    std::optional<DeviceNotice> Translate(std::string_view action, const UdevProperties& properties,
                                          const ParentIdsLookup& parentIds);

  private:
    std::map<std::string, UsbIds, std::less<>> remembered_;
};

}  // namespace platform::posix
