#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "link/device_events.h"
#include "platform/posix/udev_notification_record.h"

namespace {

using platform::posix::BuildNotificationRecord;
using platform::posix::NotificationRecord;

std::uint32_t U32At(const NotificationRecord& record, std::size_t offset) {
    const auto& b = record.bytes;
    return std::uint32_t{b[offset]} | std::uint32_t{b[offset + 1]} << 8 |
           std::uint32_t{b[offset + 2]} << 16 | std::uint32_t{b[offset + 3]} << 24;
}

const std::string Cp210xPath =
    "\\\\?\\USB#VID_10C4&PID_EA60#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

TEST(UdevNotificationRecord, HeaderAndNameByteForByte) {
    const NotificationRecord record = BuildNotificationRecord(Cp210xPath);
    const auto& b = record.bytes;

    EXPECT_EQ(b.size(), 284u);
    EXPECT_EQ(U32At(record, 0), 28 + Cp210xPath.size() + 1);
    EXPECT_EQ(U32At(record, 4), 5u);
    EXPECT_EQ(U32At(record, 8), 0u);
    const std::uint8_t guid[16] = {0x10, 0xBF, 0xDC, 0xA5, 0x30, 0x65, 0xD2, 0x11,
                                   0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED};
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_EQ(b[12 + i], guid[i]) << "GUID byte " << i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[28]), Cp210xPath.size()), Cp210xPath);
    for (std::size_t i = 28 + Cp210xPath.size(); i < b.size(); ++i)
        ASSERT_EQ(b[i], 0) << "byte " << i << " after the name";
}

// The window's device-change handler reads these records: whatever is built
// here must come back out of its reader unchanged, truncation included.
TEST(UdevNotificationRecord, NameLengthsAtAndPastTheNameArea) {
    const std::size_t lengths[] = {0, 1, Cp210xPath.size(), 254, 255, 256, 400, 5000};
    for (std::size_t length : lengths) {
        SCOPED_TRACE(length);
        std::string path = Cp210xPath;
        path.resize(length, 'x');
        const NotificationRecord record = BuildNotificationRecord(path);

        const std::size_t kept = std::min<std::size_t>(length, 255);
        EXPECT_EQ(U32At(record, 0), 28 + kept + 1);
        EXPECT_EQ(record.bytes[28 + kept], 0);
        EXPECT_EQ(record.bytes[283], 0);
        EXPECT_EQ(devlink::InterfacePathOf(record.data()), path.substr(0, kept));
    }
}

TEST(UdevNotificationRecord, EmbeddedNulEndsThePath) {
    const NotificationRecord record = BuildNotificationRecord(std::string("abc\0def", 7));
    EXPECT_EQ(U32At(record, 0), 28u + 3 + 1);
    EXPECT_EQ(record.bytes[31], 0);
    EXPECT_EQ(record.bytes[32], 0) << "nothing of the text after the NUL";
}

}  // namespace
