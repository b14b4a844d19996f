// Reading device-interface records as the system hands them to the window.
#include "link/device_events.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

// A record laid out as the system delivers it: 28-byte header, name area.
std::array<unsigned char, devlink::InterfaceRecordSize + 16> Record(std::string_view path,
                                                                    std::uint32_t deviceType = 5,
                                                                    std::int64_t size = -1) {
    std::array<unsigned char, devlink::InterfaceRecordSize + 16> r{};
    const std::uint32_t fullSize =
        size >= 0
            ? static_cast<std::uint32_t>(size)
            : static_cast<std::uint32_t>(devlink::InterfaceRecordHeaderSize + path.size() + 1);
    std::memcpy(r.data(), &fullSize, 4);
    std::memcpy(r.data() + 4, &deviceType, 4);
    std::memcpy(r.data() + 28, path.data(), std::min<std::size_t>(path.size(), r.size() - 28));
    return r;
}

constexpr const char* Cp210xPath =
    "\\\\?\\USB#VID_10C4&PID_EA60#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

TEST(ProgrammerInterface, MatchesTheBridgeIdentityInAnyCase) {
    EXPECT_TRUE(devlink::IsProgrammerInterface(Cp210xPath));
    EXPECT_TRUE(devlink::IsProgrammerInterface("\\\\?\\usb#vid_10c4&pid_ea60#0001#{guid}"));
    EXPECT_FALSE(devlink::IsProgrammerInterface("\\\\?\\USB#VID_10C4&PID_EA61#0001#{guid}"));
    EXPECT_FALSE(devlink::IsProgrammerInterface("\\\\?\\USB#VID_1546&PID_01A7#0001#{guid}"));
    EXPECT_FALSE(devlink::IsProgrammerInterface(""));
}

TEST(InterfaceRecord, PathIsTakenFromByte28ToTheFirstNul) {
    auto r = Record(Cp210xPath);
    EXPECT_EQ(devlink::InterfacePathOf(r.data()), std::string(Cp210xPath));
}

TEST(InterfaceRecord, NeverReadsPastItsSizeOrTheNameArea) {
    // A name area with no NUL: at most 256 characters are taken.
    auto full = Record(std::string(300, 'A'), 5, devlink::InterfaceRecordSize + 16);
    EXPECT_EQ(devlink::InterfacePathOf(full.data())->size(), 256u);

    // The size field cuts the path short of its NUL.
    auto cut = Record("ABCDEFGH", 5, devlink::InterfaceRecordHeaderSize + 4);
    EXPECT_EQ(devlink::InterfacePathOf(cut.data()), std::string("ABCD"));

    // A size smaller than the header leaves no path at all.
    auto tiny = Record(Cp210xPath, 5, 20);
    EXPECT_EQ(devlink::InterfacePathOf(tiny.data()), std::string());
    auto broken = Record(Cp210xPath, 5, 4);
    EXPECT_FALSE(devlink::InterfacePathOf(broken.data()).has_value());
}

TEST(InterfaceRecord, OtherDeviceTypesAreNotRead) {
    auto volume = Record(Cp210xPath, 2);
    EXPECT_FALSE(devlink::InterfacePathOf(volume.data()).has_value());
    EXPECT_FALSE(devlink::InterfacePathOf(nullptr).has_value());
}

}  // namespace
