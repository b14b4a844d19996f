#include "link/device_events.h"

#include <algorithm>
#include <cstring>

#include "link/ascii_text.h"

namespace devlink {

bool IsProgrammerInterface(std::string_view path) {
    return AsciiUpper(path).find(ProgrammerIdentity) != std::string::npos;
}

std::optional<std::string> InterfacePathOf(const void* record) {
    const std::optional<std::uint32_t> found = platform::InterfaceRecordSize(record);
    if (!found)
        return std::nullopt;
    // The size is never trusted beyond the record this handler knows.
    const std::uint32_t size = *found;
    if (size <= platform::NoticeRecordHeaderSize)
        return std::string();

    const std::uint32_t limit =
        std::min(size, platform::NoticeRecordSize) - platform::NoticeRecordHeaderSize;
    const char* name = static_cast<const char*>(record) + platform::NoticeRecordHeaderSize;
    return std::string(name, strnlen(name, limit));
}

}  // namespace devlink
