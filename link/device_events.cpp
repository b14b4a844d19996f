#include "link/device_events.h"

#include <algorithm>
#include <cstring>

#include "link/ascii_text.h"

namespace devlink {

namespace {

std::uint32_t ReadU32(const unsigned char* bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

}  // namespace

bool IsProgrammerInterface(std::string_view path) {
    return AsciiUpper(path).find(ProgrammerIdentity) != std::string::npos;
}

std::optional<std::string> InterfacePathOf(const void* record) {
    if (record == nullptr)
        return std::nullopt;
    const auto* bytes = static_cast<const unsigned char*>(record);
    // The common header is size, device type and a reserved word; the size
    // may be smaller than a full interface record but never is it trusted
    // beyond the record this handler knows.
    const std::uint32_t size = ReadU32(bytes);
    if (size < 12)
        return std::nullopt;
    if (ReadU32(bytes + 4) != platform::DeviceTypeInterface)
        return std::nullopt;
    if (size <= platform::NoticeRecordHeaderSize)
        return std::string();

    const std::uint32_t limit =
        std::min(size, platform::NoticeRecordSize) - platform::NoticeRecordHeaderSize;
    const char* name = reinterpret_cast<const char*>(bytes + platform::NoticeRecordHeaderSize);
    return std::string(name, strnlen(name, limit));
}

}  // namespace devlink
