#include "platform/posix/port_descriptions.h"

#include <gtest/gtest.h>

namespace platform::posix {
namespace {

TEST(DescriptionForDriver, NamesThePortAsTheWindowsDriverWould) {
    EXPECT_EQ(DescriptionForDriver("cp210x"), "Silicon Labs CP210x USB to UART Bridge");
    EXPECT_EQ(DescriptionForDriver("ftdi_sio"), "USB Serial Port");
    EXPECT_EQ(DescriptionForDriver("cdc_acm"), "USB Serial Device");
    EXPECT_EQ(DescriptionForDriver("serial8250"), "Communications Port");
    EXPECT_EQ(DescriptionForDriver(""), "Communications Port");
    EXPECT_EQ(DescriptionForDriver("CP210X"), "Communications Port");
    EXPECT_EQ(DescriptionForDriver("cp210x_extra"), "Communications Port");
}

TEST(DriverNameFromLink, TakesTheLastPathComponent) {
    EXPECT_EQ(DriverNameFromLink("../../../../../../bus/usb-serial/drivers/cp210x"), "cp210x");
    EXPECT_EQ(DriverNameFromLink("/sys/bus/usb/drivers/cdc_acm/"), "cdc_acm");
    EXPECT_EQ(DriverNameFromLink("ftdi_sio"), "ftdi_sio");
}

TEST(PortsClassDevices, ListsHardwarePortsOfTheTableInPortOrder) {
    const std::vector<TtyEntry> found{
        {"ttyUSB1", true, "cp210x"},  {"tty0", false, ""},          {"ttyS10", true, "serial8250"},
        {"ttyACM0", true, "cdc_acm"}, {"ttyS2", true, ""},          {"ttyUSB0", true, "ftdi_sio"},
        {"ttyS3", false, ""},         {"ttyUSB32", true, "cp210x"}, {"ttyAMA0", true, "uart-pl011"},
        {"console", false, ""},       {"ptmx", false, ""},
    };
    const std::vector<DeviceNames> devices = PortsClassDevices(found);
    ASSERT_EQ(devices.size(), 5u);
    // ttyS2 (COM3) before ttyS10 (COM11): by number, not by spelling.
    EXPECT_EQ(devices[0].FriendlyName, "Communications Port (COM3)");
    EXPECT_EQ(devices[1].FriendlyName, "Communications Port (COM11)");
    EXPECT_EQ(devices[2].FriendlyName, "USB Serial Port (COM33)");
    EXPECT_EQ(devices[3].FriendlyName, "Silicon Labs CP210x USB to UART Bridge (COM34)");
    EXPECT_EQ(devices[3].Description, "Silicon Labs CP210x USB to UART Bridge");
    EXPECT_EQ(devices[4].FriendlyName, "USB Serial Device (COM65)");
    EXPECT_EQ(devices[4].Description, "USB Serial Device");
}

TEST(PortsClassDevices, NothingFoundListsNothing) {
    EXPECT_TRUE(PortsClassDevices({}).empty());
    EXPECT_TRUE(PortsClassDevices({{"tty1", false, ""}, {"ttyS0", false, ""}}).empty());
}

}  // namespace
}  // namespace platform::posix
