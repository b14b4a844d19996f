#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/posix/udev_event_translator.h"
#include "udev_export_db.h"

namespace {

using platform::DeviceArrival;
using platform::DeviceRemoveComplete;
using platform::posix::DeviceNotice;
using platform::posix::EventCodeForAction;
using platform::posix::UdevEventTranslator;
using platform::posix::UdevProperties;
using platform::posix::UsbIds;

constexpr const char* FixtureFile = "udev_tty_export_db.txt";

std::string PathOf(const DeviceNotice& notice) {
    return reinterpret_cast<const char*>(&notice.Record.bytes[28]);
}

UdevProperties Fixture(const char* node) {
    const auto device = udevtest::FixtureDevice(FixtureFile, node);
    return device ? device->Properties : UdevProperties{};
}

// A tty whose udev properties carry no USB identity, as when udevd's USB rules
// did not run; only its parent in sysfs knows the ids.
UdevProperties BareTty(const char* node) {
    return {{"DEVNAME", std::string("/dev/") + node}};
}

// Stands for the USB parent's sysfs attributes and counts the reads.
struct ParentIds {
    std::optional<UsbIds> ids;
    int reads = 0;
    UdevEventTranslator::ParentIdsLookup Lookup() {
        return [this] {
            ++reads;
            return ids;
        };
    }
};

TEST(UdevEventCode, OnlyAddAndRemoveAreNotices) {
    const struct {
        const char* action;
        std::optional<std::uint32_t> code;
    } cases[] = {
        {"add", 0x8000u},         {"remove", 0x8004u},      {"change", std::nullopt},
        {"bind", std::nullopt},   {"unbind", std::nullopt}, {"move", std::nullopt},
        {"online", std::nullopt}, {"", std::nullopt},       {"ADD", std::nullopt},
        {"add ", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action);
        EXPECT_EQ(EventCodeForAction(c.action), c.code);
    }
}

TEST(UdevEventTranslator, FixtureArrivalAndRemoval) {
    UdevEventTranslator translator;
    ParentIds parent;
    const UdevProperties cp210x = Fixture("ttyUSB0");
    ASSERT_FALSE(cp210x.empty());

    const auto arrival = translator.Translate("add", cp210x, parent.Lookup());
    ASSERT_TRUE(arrival.has_value());
    EXPECT_EQ(arrival->EventCode, DeviceArrival);
    EXPECT_EQ(PathOf(*arrival),
              "\\\\?\\USB#VID_10C4&PID_EA60#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");

    EXPECT_FALSE(translator.Translate("change", cp210x, parent.Lookup()).has_value());
    EXPECT_FALSE(translator.Translate("unbind", cp210x, parent.Lookup()).has_value());

    const auto removal = translator.Translate("remove", cp210x, parent.Lookup());
    ASSERT_TRUE(removal.has_value());
    EXPECT_EQ(removal->EventCode, DeviceRemoveComplete);
    EXPECT_EQ(PathOf(*removal), PathOf(*arrival));

    EXPECT_EQ(parent.reads, 0) << "the event's own ids make sysfs unnecessary";
}

TEST(UdevEventTranslator, RemovalUsesTheIdsRememberedAtArrivalOfTheSameNode) {
    UdevEventTranslator translator;
    ParentIds programmer{UsbIds{0x10C4, 0xEA60}};
    ParentIds other{UsbIds{0x0403, 0x6001}};
    ParentIds gone;  // by removal the parents have left sysfs

    const auto arrival = translator.Translate("add", BareTty("ttyUSB0"), programmer.Lookup());
    ASSERT_TRUE(arrival.has_value());
    EXPECT_EQ(PathOf(*arrival),
              "\\\\?\\USB#VID_10C4&PID_EA60#ttyUSB0#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    ASSERT_TRUE(translator.Translate("add", BareTty("ttyUSB1"), other.Lookup()));

    const auto removeOther = translator.Translate("remove", BareTty("ttyUSB1"), gone.Lookup());
    ASSERT_TRUE(removeOther.has_value());
    EXPECT_NE(PathOf(*removeOther).find("VID_0403&PID_6001#ttyUSB1#"), std::string::npos);
    const auto removal = translator.Translate("remove", BareTty("ttyUSB0"), gone.Lookup());
    ASSERT_TRUE(removal.has_value());
    EXPECT_EQ(removal->EventCode, DeviceRemoveComplete);
    EXPECT_EQ(PathOf(*removal), PathOf(*arrival));
    EXPECT_EQ(gone.reads, 0) << "sysfs is not asked at removal";

    // The node's ids went with its removal.
    EXPECT_FALSE(translator.Translate("remove", BareTty("ttyUSB0"), gone.Lookup()));
}

TEST(UdevEventTranslator, ANewArrivalOnTheSameNodeReplacesStaleIds) {
    UdevEventTranslator translator;
    ParentIds programmer{UsbIds{0x10C4, 0xEA60}};
    ParentIds other{UsbIds{0x0403, 0x6001}};
    ParentIds unreadable;

    // The programmer's removal was lost (say, a receive-queue overflow); the
    // next device on ttyUSB0 must not be reported as the programmer leaving.
    ASSERT_TRUE(translator.Translate("add", BareTty("ttyUSB0"), programmer.Lookup()));
    ASSERT_TRUE(translator.Translate("add", BareTty("ttyUSB0"), other.Lookup()));
    const auto removal = translator.Translate("remove", BareTty("ttyUSB0"), unreadable.Lookup());
    ASSERT_TRUE(removal.has_value());
    EXPECT_NE(PathOf(*removal).find("VID_0403&PID_6001"), std::string::npos);

    // Same when the newcomer has no identity at all.
    ASSERT_TRUE(translator.Translate("add", BareTty("ttyUSB0"), programmer.Lookup()));
    EXPECT_FALSE(translator.Translate("add", BareTty("ttyUSB0"), unreadable.Lookup()));
    EXPECT_FALSE(translator.Translate("remove", BareTty("ttyUSB0"), unreadable.Lookup()));
}

}  // namespace
