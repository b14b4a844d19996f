#include <gtest/gtest.h>

#include <string>

#include "platform/posix/udev_interface_path.h"
#include "udev_export_db.h"

namespace {

using platform::posix::ComposeInterfacePath;
using platform::posix::UdevProperties;
using platform::posix::UsbIds;

constexpr const char* FixtureFile = "udev_tty_export_db.txt";
const std::string Suffix = "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

std::string UsbPath(const std::string& ids, const std::string& serial) {
    return "\\\\?\\USB#" + ids + "#" + serial + Suffix;
}

struct FixtureCase {
    const char* node;
    std::optional<std::string> path;
};

TEST(UdevInterfacePath, FixtureDevices) {
    const FixtureCase cases[] = {
        {"ttyUSB0", UsbPath("VID_10C4&PID_EA60", "0001")},
        // No serial string on this receiver: the node name stands in.
        {"ttyACM0", UsbPath("VID_1546&PID_01A7", "ttyACM0")},
        {"ttyS0", std::nullopt},
    };
    for (const FixtureCase& c : cases) {
        SCOPED_TRACE(c.node);
        const auto device = udevtest::FixtureDevice(FixtureFile, c.node);
        ASSERT_TRUE(device.has_value());
        EXPECT_EQ(ComposeInterfacePath(device->Properties, std::nullopt), c.path);
    }
}

struct PropertyCase {
    const char* what;
    UdevProperties properties;
    std::optional<UsbIds> parent;
    std::optional<std::string> path;
};

TEST(UdevInterfacePath, IdsAndSerialFromProperties) {
    const UsbIds cp210x{0x10C4, 0xEA60};
    const PropertyCase cases[] = {
        {"mixed-case ids",
         {{"ID_VENDOR_ID", "10C4"}, {"ID_MODEL_ID", "eA60"}, {"ID_SERIAL_SHORT", "A1b2"}},
         std::nullopt,
         UsbPath("VID_10C4&PID_EA60", "A1b2")},
        {"leading zeros kept",
         {{"ID_VENDOR_ID", "0403"}, {"ID_MODEL_ID", "6001"}, {"DEVNAME", "/dev/ttyUSB3"}},
         std::nullopt,
         UsbPath("VID_0403&PID_6001", "ttyUSB3")},
        {"no ids: the parent's",
         {{"DEVNAME", "/dev/ttyUSB0"}},
         cp210x,
         UsbPath("VID_10C4&PID_EA60", "ttyUSB0")},
        {"own ids win over the parent's",
         {{"ID_VENDOR_ID", "1546"}, {"ID_MODEL_ID", "01a7"}, {"DEVNAME", "/dev/ttyACM0"}},
         cp210x,
         UsbPath("VID_1546&PID_01A7", "ttyACM0")},
        {"one id missing: the parent's pair",
         {{"ID_VENDOR_ID", "1546"}, {"DEVNAME", "/dev/ttyUSB1"}},
         cp210x,
         UsbPath("VID_10C4&PID_EA60", "ttyUSB1")},
        {"malformed ids are none",
         {{"ID_VENDOR_ID", "0x10c4"}, {"ID_MODEL_ID", "ea60"}},
         std::nullopt,
         std::nullopt},
        {"short id",
         {{"ID_VENDOR_ID", "10c"}, {"ID_MODEL_ID", "ea60"}},
         std::nullopt,
         std::nullopt},
        {"non-hex id",
         {{"ID_VENDOR_ID", "10c4"}, {"ID_MODEL_ID", "ea6g"}},
         std::nullopt,
         std::nullopt},
        {"ids of another bus are not USB",
         {{"ID_BUS", "pci"},
          {"ID_VENDOR_ID", "10c4"},
          {"ID_MODEL_ID", "ea60"},
          {"DEVNAME", "/dev/ttyS4"}},
         std::nullopt,
         std::nullopt},
        {"empty serial: the node name",
         {{"ID_VENDOR_ID", "10c4"},
          {"ID_MODEL_ID", "ea60"},
          {"ID_SERIAL_SHORT", ""},
          {"DEVNAME", "/dev/ttyUSB2"}},
         std::nullopt,
         UsbPath("VID_10C4&PID_EA60", "ttyUSB2")},
        {"no node either: the sysfs name",
         {{"ID_VENDOR_ID", "10c4"},
          {"ID_MODEL_ID", "ea60"},
          {"DEVPATH", "/devices/pci0000:00/usb1/1-2/1-2:1.0/ttyUSB5/tty/ttyUSB5"}},
         std::nullopt,
         UsbPath("VID_10C4&PID_EA60", "ttyUSB5")},
        {"path separators in a serial are neutralised",
         {{"ID_VENDOR_ID", "1546"},
          {"ID_MODEL_ID", "01a7"},
          {"ID_SERIAL_SHORT", "x#VID_10C4&PID_EA60\\ 1"}},
         std::nullopt,
         UsbPath("VID_1546&PID_01A7", "x_VID_10C4_PID_EA60__1")},
    };
    for (const PropertyCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ComposeInterfacePath(c.properties, c.parent), c.path);
    }
}

TEST(UdevInterfacePath, LongSerialStillFitsTheRecordWithItsClassGuid) {
    const UdevProperties properties = {{"ID_VENDOR_ID", "10c4"},
                                       {"ID_MODEL_ID", "ea60"},
                                       {"ID_SERIAL_SHORT", std::string(400, 'S')}};
    const auto path = ComposeInterfacePath(properties, std::nullopt);
    ASSERT_TRUE(path.has_value());
    EXPECT_LE(path->size(), 255u);
    EXPECT_TRUE(path->ends_with(Suffix)) << *path;
    EXPECT_TRUE(path->starts_with("\\\\?\\USB#VID_10C4&PID_EA60#SSSS")) << *path;
}

}  // namespace
