#include "platform/posix/udev_event_translator.h"

namespace platform::posix {

std::optional<std::uint32_t> EventCodeForAction(std::string_view action) {
    if (action == "add")
        return DeviceArrival;
    if (action == "remove")
        return DeviceRemoveComplete;
    return std::nullopt;
}

std::optional<DeviceNotice> UdevEventTranslator::Translate(std::string_view action,
                                                           const UdevProperties& properties,
                                                           const ParentIdsLookup& parentIds) {
    const std::optional<std::uint32_t> code = EventCodeForAction(action);
    if (!code)
        return std::nullopt;

    const auto node = properties.find("DEVNAME");
    const std::string_view devName = node == properties.end() ? std::string_view() : node->second;

    std::optional<UsbIds> ids = UsbIdsFromProperties(properties);
    if (*code == DeviceArrival) {
        if (!ids && parentIds)
            ids = parentIds();
        if (!devName.empty()) {
            // A node name is reused by the next device that gets it, so an
            // arrival always replaces what an earlier one left behind.
            if (ids)
                remembered_.insert_or_assign(std::string(devName), *ids);
            else if (const auto old = remembered_.find(devName); old != remembered_.end())
                remembered_.erase(old);
        }
    } else if (const auto kept = remembered_.find(devName); kept != remembered_.end()) {
        if (!ids)
            ids = kept->second;
        remembered_.erase(kept);
    }

    const std::optional<std::string> path = ComposeInterfacePath(properties, ids);
    if (!path)
        return std::nullopt;
    return DeviceNotice{*code, BuildNotificationRecord(*path)};
}

}  // namespace platform::posix
