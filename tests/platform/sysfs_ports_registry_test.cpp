#include "platform/posix/sysfs_ports_registry.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/posix/placeholder_ports.h"

#include "serial_port_fixture.h"

namespace platformtest {
namespace {

using platform::DeviceNames;
using platform::PortsClassGuid;
using platform::posix::SysfsPortsRegistry;

class SysfsRegistry : public testing::Test {
  protected:
    std::vector<std::string> FriendlyNames() {
        std::vector<DeviceNames> devices{{"stale", "stale"}};
        EXPECT_TRUE(registry.PresentDevices(PortsClassGuid, devices));
        std::vector<std::string> names;
        for (const DeviceNames& device : devices)
            names.push_back(device.FriendlyName);
        return names;
    }

    device_tree::DeviceTree tree;
    SysfsPortsRegistry registry{tree.SysRoot(), tree.DevRoot()};
};

TEST_F(SysfsRegistry, ListsThePortsWithHardwareBehindThemInPortOrder) {
    EXPECT_TRUE(FriendlyNames().empty());
    tree.AddTty("ttyUSB1", "cp210x");
    tree.AddVirtualTty("tty0");
    tree.AddVirtualTty("ttyS1");
    tree.AddTty("ttyS12", "serial8250");
    tree.AddTty("ttyACM0", "cdc_acm");
    tree.AddTty("ttyS3", "");
    tree.AddTty("ttyUSB0", "ftdi_sio");
    tree.AddTty("ttyUSB32", "cp210x");
    tree.AddTty("ttyAMA0", "uart-pl011");
    // By port number, not by spelling: ttyS3 (COM4) before ttyS12 (COM13).
    EXPECT_EQ(
        FriendlyNames(),
        (std::vector<std::string>{
            "Communications Port (COM4)", "Communications Port (COM13)", "USB Serial Port (COM33)",
            "Silicon Labs CP210x USB to UART Bridge (COM34)", "USB Serial Device (COM65)"}));

    tree.Remove("ttyUSB1");
    EXPECT_EQ(FriendlyNames().size(), 4u);

    std::vector<DeviceNames> devices;
    tree.AddTty("ttyUSB4", "cp210x");
    ASSERT_TRUE(registry.PresentDevices(PortsClassGuid, devices));
    EXPECT_EQ(devices[3].Description, "Silicon Labs CP210x USB to UART Bridge");
}

TEST_F(SysfsRegistry, OtherClassesListNothingAndAMissingClassFolderFails) {
    tree.AddTty("ttyUSB0", "cp210x");
    platform::ClassGuid other = PortsClassGuid;
    other.Data4[7] ^= 1;
    std::vector<DeviceNames> devices{{"stale", "stale"}};
    EXPECT_TRUE(registry.PresentDevices(other, devices));
    EXPECT_TRUE(devices.empty());

    SysfsPortsRegistry nowhere(tree.Root() + "/missing", tree.DevRoot());
    devices = {{"stale", "stale"}};
    EXPECT_FALSE(nowhere.PresentDevices(PortsClassGuid, devices));
    EXPECT_TRUE(devices.empty());
}

TEST_F(SysfsRegistry, ProbeFindsExactlyTheNodesThatOpenAndKeepsNoneOpen) {
    PseudoTerminal pty;
    tree.AddTty("ttyUSB0", "cp210x", pty.SlavePath());
    // Not a serial-core port, so not a placeholder: listed and present.
    tree.AddTty("ttyS1", "serial8250", pty.SlavePath());
    EXPECT_EQ(FriendlyNames().front(), "Communications Port (COM2)");
    tree.AddTty("ttyUSB1", "cp210x", tree.Root() + "/unplugged");
    tree.AddTty("ttyUSB2", "cp210x");
    tree.AddDevNode("ttyACM31", pty.SlavePath());

    const int before = OpenDescriptorCount();
    EXPECT_TRUE(registry.ProbePort(R"(\\.\COM33)"));
    EXPECT_TRUE(registry.ProbePort(R"(\\.\COM2)"));
    EXPECT_TRUE(registry.ProbePort(R"(\\.\COM96)")) << "a node needs no sysfs entry to open";
    for (const char* absent : {R"(\\.\COM34)", R"(\\.\COM35)", R"(\\.\COM1)", R"(\\.\COM97)",
                               R"(\\.\COM033)", "COM33"}) {
        EXPECT_FALSE(registry.ProbePort(absent)) << absent;
    }
    EXPECT_EQ(OpenDescriptorCount(), before);

    // The probe does not claim the port; a claimed port keeps other users'
    // probes out, though root passes the exclusive flag.
    platform::posix::PosixSerial serial(tree.DevRoot());
    const platform::PortHandle port = serial.CreateFileA(R"(\\.\COM33)");
    EXPECT_NE(port, platform::InvalidHandle);
    EXPECT_EQ(registry.ProbePort(R"(\\.\COM33)"), ::geteuid() == 0);
}

TEST_F(SysfsRegistry, ProbeSaysWhyANodeThatIsThereDidNotOpen) {
    std::vector<int> errors;
    SysfsPortsRegistry reporting(tree.SysRoot(), tree.DevRoot(),
                                 [&](const std::string&, int error) { errors.push_back(error); });
    tree.AddDevNode("ttyUSB0", tree.Root());
    EXPECT_FALSE(reporting.ProbePort(R"(\\.\COM33)"));
    EXPECT_FALSE(reporting.ProbePort(R"(\\.\COM34)"));
    EXPECT_EQ(errors, std::vector<int>{EISDIR});
}

// Only a ttyS port whose UART type the serial core knows to be unknown.
TEST(PlaceholderPorts, AreTtySPortsOfUnknownUartType) {
    using platform::posix::IsPlaceholder;
    EXPECT_TRUE(IsPlaceholder("ttyS5", 0));
    EXPECT_FALSE(IsPlaceholder("ttyS5", 4)) << "a 16550A";
    EXPECT_FALSE(IsPlaceholder("ttyS5", std::nullopt)) << "no serial-core port";
    EXPECT_FALSE(IsPlaceholder("ttyUSB0", 0)) << "USB bridges report no type";
}

TEST(DeviceTree, RemovesItsTreeWhenDone) {
    std::string root;
    {
        device_tree::DeviceTree tree;
        tree.AddTty("ttyUSB0", "cp210x", "/dev/null");
        root = tree.Root();
        EXPECT_TRUE(std::filesystem::exists(tree.SysRoot() + "/class/tty/ttyUSB0/device/driver"));
        EXPECT_THROW(tree.AddTty("ttyUSB0", "cp210x"), std::exception);
    }
    EXPECT_FALSE(std::filesystem::exists(root));
}

}  // namespace
}  // namespace platformtest
