// Reading device-interface records as the system hands them to the window.
#include "link/device_events.h"

#include <gtest/gtest.h>

#include "fakes/interface_record.h"

namespace {

using fakes::MakeInterfaceRecord;
constexpr std::string_view Cp210xPath = fakes::ProgrammerPath;

TEST(ProgrammerInterface, MatchesTheBridgeIdentityInAnyCase) {
    EXPECT_TRUE(devlink::IsProgrammerInterface(Cp210xPath));
    EXPECT_TRUE(devlink::IsProgrammerInterface("\\\\?\\usb#vid_10c4&pid_ea60#0001#{guid}"));
    EXPECT_FALSE(devlink::IsProgrammerInterface("\\\\?\\USB#VID_10C4&PID_EA61#0001#{guid}"));
    EXPECT_FALSE(devlink::IsProgrammerInterface("\\\\?\\USB#VID_1546&PID_01A7#0001#{guid}"));
    EXPECT_FALSE(devlink::IsProgrammerInterface(""));
}

TEST(InterfaceRecord, PathIsTakenFromByte28ToTheFirstNul) {
    auto r = MakeInterfaceRecord(Cp210xPath);
    EXPECT_EQ(devlink::InterfacePathOf(r.data()), std::string(Cp210xPath));
}

TEST(InterfaceRecord, NeverReadsPastItsSizeOrTheNameArea) {
    // A name area with no NUL: at most 256 characters are taken.
    auto full = MakeInterfaceRecord(std::string(300, 'A'), 5, platform::NoticeRecordSize + 16);
    EXPECT_EQ(devlink::InterfacePathOf(full.data())->size(), 256u);

    // The size field cuts the path short of its NUL.
    auto cut = MakeInterfaceRecord("ABCDEFGH", 5, platform::NoticeRecordHeaderSize + 4);
    EXPECT_EQ(devlink::InterfacePathOf(cut.data()), std::string("ABCD"));

    // A size smaller than the header leaves no path at all.
    auto tiny = MakeInterfaceRecord(Cp210xPath, 5, 20);
    EXPECT_EQ(devlink::InterfacePathOf(tiny.data()), std::string());
    auto broken = MakeInterfaceRecord(Cp210xPath, 5, 4);
    EXPECT_FALSE(devlink::InterfacePathOf(broken.data()).has_value());
}

TEST(InterfaceRecord, OtherDeviceTypesAreNotRead) {
    auto volume = MakeInterfaceRecord(Cp210xPath, 2);
    EXPECT_FALSE(devlink::InterfacePathOf(volume.data()).has_value());
    EXPECT_FALSE(devlink::InterfacePathOf(nullptr).has_value());
}

}  // namespace
