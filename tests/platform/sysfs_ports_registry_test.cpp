#include "platform/posix/sysfs_ports_registry.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "platform/posix/posix_serial.h"
#include "pseudo_terminal.h"
#include "tests/support/fake_sysfs.h"

namespace platformtest {
namespace {

using platform::DeviceNames;
using platform::posix::PortsClass;
using platform::posix::SysfsPortsRegistry;

std::vector<std::string> FriendlyNames(const std::vector<DeviceNames>& devices) {
    std::vector<std::string> names;
    for (const DeviceNames& device : devices)
        names.push_back(device.FriendlyName);
    return names;
}

class SysfsRegistry : public testing::Test {
  protected:
    testsupport::FakeSysfs tree;
    SysfsPortsRegistry registry{tree.SysRoot(), tree.DevRoot()};
};

TEST_F(SysfsRegistry, ListsThePortsWithHardwareBehindThemInPortOrder) {
    tree.AddTty("ttyUSB1", "cp210x");
    tree.AddVirtualTty("tty0");
    tree.AddVirtualTty("ttyS1");
    tree.AddTty("ttyS12", "serial8250");
    tree.AddTty("ttyACM0", "cdc_acm");
    tree.AddTty("ttyS3", "");
    tree.AddTty("ttyUSB0", "ftdi_sio");
    tree.AddTty("ttyUSB32", "cp210x");
    tree.AddTty("ttyAMA0", "uart-pl011");

    std::vector<DeviceNames> devices;
    ASSERT_TRUE(registry.PresentDevices(PortsClass, devices));
    EXPECT_EQ(
        FriendlyNames(devices),
        (std::vector<std::string>{
            "Communications Port (COM4)", "Communications Port (COM13)", "USB Serial Port (COM33)",
            "Silicon Labs CP210x USB to UART Bridge (COM34)", "USB Serial Device (COM65)"}));
    EXPECT_EQ(devices[3].Description, "Silicon Labs CP210x USB to UART Bridge");
}

TEST_F(SysfsRegistry, FollowsDevicesComingAndGoing) {
    std::vector<DeviceNames> devices;
    ASSERT_TRUE(registry.PresentDevices(PortsClass, devices));
    EXPECT_TRUE(devices.empty());

    tree.AddTty("ttyUSB4", "cp210x");
    ASSERT_TRUE(registry.PresentDevices(PortsClass, devices));
    EXPECT_EQ(FriendlyNames(devices),
              std::vector<std::string>{"Silicon Labs CP210x USB to UART Bridge (COM37)"});

    tree.Remove("ttyUSB4");
    ASSERT_TRUE(registry.PresentDevices(PortsClass, devices));
    EXPECT_TRUE(devices.empty());
}

TEST_F(SysfsRegistry, OtherClassesListNothing) {
    tree.AddTty("ttyUSB0", "cp210x");
    platform::ClassGuid other = PortsClass;
    other.Data4[7] ^= 1;
    std::vector<DeviceNames> devices{{"stale", "stale"}};
    EXPECT_TRUE(registry.PresentDevices(other, devices));
    EXPECT_TRUE(devices.empty());
}

TEST_F(SysfsRegistry, AnUnreadableClassFolderIsRefused) {
    SysfsPortsRegistry nowhere(tree.Root() + "/missing", tree.DevRoot());
    std::vector<DeviceNames> devices{{"stale", "stale"}};
    EXPECT_FALSE(nowhere.PresentDevices(PortsClass, devices));
    EXPECT_TRUE(devices.empty());
}

class SysfsProbe : public SysfsRegistry {
  protected:
    PseudoTerminal pty;
};

TEST_F(SysfsProbe, PresentExactlyWhenTheNodeOpens) {
    tree.AddTty("ttyUSB0", "cp210x", pty.SlavePath());
    tree.AddTty("ttyUSB1", "cp210x", tree.Root() + "/unplugged");
    tree.AddTty("ttyUSB2", "cp210x");
    tree.AddDevNode("ttyACM31", pty.SlavePath());

    const int before = OpenDescriptorCount();
    EXPECT_TRUE(registry.ProbePort(R"(\\.\COM33)"));
    EXPECT_TRUE(registry.ProbePort(R"(\\.\COM96)")) << "a node needs no sysfs entry to open";
    EXPECT_FALSE(registry.ProbePort(R"(\\.\COM34)"));
    EXPECT_FALSE(registry.ProbePort(R"(\\.\COM35)"));
    EXPECT_FALSE(registry.ProbePort(R"(\\.\COM1)"));
    EXPECT_FALSE(registry.ProbePort(R"(\\.\COM97)"));
    EXPECT_FALSE(registry.ProbePort(R"(\\.\COM033)"));
    EXPECT_FALSE(registry.ProbePort("COM33"));
    EXPECT_EQ(OpenDescriptorCount(), before) << "nothing stays open";
}

TEST_F(SysfsProbe, LeavesThePortFreeToClaim) {
    tree.AddTty("ttyUSB0", "cp210x", pty.SlavePath());
    ASSERT_TRUE(registry.ProbePort(R"(\\.\COM33)"));
    platform::posix::PosixSerial serial(tree.DevRoot());
    const platform::PortHandle port = serial.CreateFile(R"(\\.\COM33)");
    EXPECT_NE(port, platform::InvalidHandle);
    // The exclusive claim keeps other users' opens out; only root gets past it.
    EXPECT_EQ(registry.ProbePort(R"(\\.\COM33)"), ::geteuid() == 0);
    EXPECT_TRUE(serial.CloseHandle(port));
}

TEST(FakeSysfs, RemovesItsTreeWhenDone) {
    std::string root;
    {
        testsupport::FakeSysfs tree;
        tree.AddTty("ttyUSB0", "cp210x", "/dev/null");
        root = tree.Root();
        EXPECT_TRUE(std::filesystem::is_symlink(tree.DevRoot() + "/ttyUSB0"));
        EXPECT_TRUE(std::filesystem::exists(tree.SysRoot() + "/class/tty/ttyUSB0/device/driver"));
        EXPECT_THROW(tree.AddTty("ttyUSB0", "cp210x"), std::exception);
    }
    EXPECT_FALSE(std::filesystem::exists(root));
}

}  // namespace
}  // namespace platformtest
