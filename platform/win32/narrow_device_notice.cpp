#include "platform/win32/narrow_device_notice.h"

#include <windows.h>
// <dbt.h> needs <windows.h> before it.
#include <dbt.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwchar>

namespace platform::win32 {

namespace {

static_assert(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) == NoticeRecordHeaderSize);

constexpr std::size_t LongestName = NoticeRecordNameAreaSize - 1;

}  // namespace

const void* NarrowInterfaceNotice(const void* record, NarrowNoticeRecord& narrow) {
    const std::optional<std::uint32_t> found = InterfaceRecordSize(record);
    if (!found)
        return record;
    const std::uint32_t size = *found;
    const auto* bytes = static_cast<const unsigned char*>(record);

    narrow.fill(0);
    const std::size_t header = std::min<std::size_t>(size, NoticeRecordHeaderSize);
    std::memcpy(narrow.data(), bytes, header);

    // The name may lie unaligned in a record copied between processes.
    std::array<wchar_t, LongestName> wide{};
    const std::size_t available =
        size > NoticeRecordHeaderSize ? (size - NoticeRecordHeaderSize) / sizeof(wchar_t) : 0;
    std::memcpy(wide.data(), bytes + NoticeRecordHeaderSize,
                std::min(available, LongestName) * sizeof(wchar_t));
    const std::size_t length = wcsnlen(wide.data(), std::min(available, LongestName));

    // Room for the widest code page: a multibyte one gives more bytes than
    // characters, and a short buffer would fail the whole conversion.
    std::array<char, 4 * LongestName> converted{};
    const int written =
        length == 0 ? 0
                    : ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(length),
                                            converted.data(), static_cast<int>(converted.size()),
                                            nullptr, nullptr);
    const std::size_t kept = std::min(static_cast<std::size_t>(std::max(written, 0)), LongestName);
    std::memcpy(narrow.data() + NoticeRecordHeaderSize, converted.data(), kept);

    const auto narrowSize = static_cast<std::uint32_t>(NoticeRecordHeaderSize + kept + 1);
    std::memcpy(narrow.data(), &narrowSize, sizeof narrowSize);
    return narrow.data();
}

}  // namespace platform::win32
