// Finding the programmer's port by the names the system gives its devices,
// and the order in which ports are probed.
#include "link/port_discovery.h"

#include "image/image_store.h"

#include <gtest/gtest.h>

#include "stand_ins/counting_serial_api.h"
#include "stand_ins/fixed_ports_registry.h"

namespace {

struct NameCase {
    const char* name;
    const char* port;
};

class DeviceNameParsing : public ::testing::TestWithParam<NameCase> {};

TEST_P(DeviceNameParsing, YieldsThePortOrNothing) {
    EXPECT_EQ(devlink::PortNameFromDeviceName(GetParam().name), GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DeviceNameParsing,
    ::testing::Values(NameCase{"Silicon Labs CP210x USB to UART Bridge (COM33)", "COM33"},
                      NameCase{"Silicon Labs CP210x Bridge (COM12)", "COM12"},
                      NameCase{"sIlIcOn lAbS cp210X bridge (com12)", "COM12"},
                      NameCase{"Silicon Labs CP210x COM12", "COM12"},
                      NameCase{"Silicon Labs CP2102 Bridge (COM4)", ""},
                      NameCase{"Silicon Labs CP210x (COM7) #23)", "COM723"},
                      NameCase{"COM Silicon Labs CP210x (COM5)", "COM5"},
                      NameCase{"CP210x COM3 Silicon Labs", ""},   // no COM after the vendor's name
                      NameCase{"Silicon Labs CP210x (COM)", ""},  // no digit at all
                      NameCase{"CP210x Bridge Silicon Labs (COM9)",
                               "COM9"},  // CP210X may stand before
                      NameCase{"Silicon Labs CP210x мост (COM8)", "COM8"},
                      NameCase{"USB Serial Port (COM3)", ""}, NameCase{"", ""}));

TEST(DeviceName, FallsBackToTheDescriptionAndStopsAtNul) {
    EXPECT_EQ(devlink::GetDeviceName({"Friendly (COM1)", "Desc"}), "Friendly (COM1)");
    EXPECT_EQ(devlink::GetDeviceName({"", "Desc"}), "Desc");
    EXPECT_EQ(devlink::GetDeviceName({"", ""}), "");
    EXPECT_EQ(devlink::GetDeviceName({std::string("AB\0CD", 5), "Desc"}), "AB");
    EXPECT_EQ(devlink::GetDeviceName({std::string("\0CD", 3), "Desc"}), "Desc");
    EXPECT_EQ(devlink::GetDeviceName({std::string(400, 'x'), ""}).size(), 257u);
}

class Discovery : public ::testing::Test {
  protected:
    stand_ins::CountingSerialApi api;
    stand_ins::FixedPortsRegistry registry;
    devlink::UpdaterState state;
    image::DeviceImage image;
    devlink::SerialChannel channel{state, api};
    devlink::Bootloader bootloader{state, channel, image};
    devlink::PortDiscovery discovery{state, registry, channel, bootloader};
};

TEST_F(Discovery, FirstMatchingDeviceWins) {
    registry.devices = {{"USB Serial Port (COM3)", "USB Serial Port"},
                        {"", "Silicon Labs CP210x USB to UART Bridge (COM40)"},
                        {"Silicon Labs CP210x USB to UART Bridge (COM41)", ""}};
    EXPECT_EQ(discovery.FindProgrammerPort(platform::PortsClassGuid), "COM40");
}

TEST_F(Discovery, RefusedOrEmptyListFindsNothing) {
    registry.refuse = true;
    registry.devices = {{"Silicon Labs CP210x USB to UART Bridge (COM40)", ""}};
    EXPECT_EQ(discovery.FindProgrammerPort(platform::PortsClassGuid), "");
    registry.refuse = false;
    registry.devices.clear();
    EXPECT_EQ(discovery.FindProgrammerPort(platform::PortsClassGuid), "");
}

TEST_F(Discovery, ProbeCoversCom1To250InAscendingOrder) {
    registry.presentPaths = {"\\\\.\\COM7", "\\\\.\\COM3", "\\\\.\\COM250", "\\\\.\\COM251"};
    state.PortList = {"COM99"};
    discovery.ListComPorts();
    ASSERT_EQ(registry.probed.size(), 250u);
    EXPECT_EQ(registry.probed.front(), "\\\\.\\COM1");
    EXPECT_EQ(registry.probed.back(), "\\\\.\\COM250");
    EXPECT_EQ(state.PortList, (std::vector<std::string>{"COM3", "COM7", "COM250"}));
}

TEST_F(Discovery, AnyPortTriesTheHighestFirstWithBothRates) {
    registry.presentPaths = {"\\\\.\\COM3", "\\\\.\\COM7"};
    api.presentPath = "\\\\.\\COM7";  // COM7 opens but never answers; COM3 cannot be opened
    discovery.ConnectAnyPort();
    EXPECT_EQ(api.opened, (std::vector<std::string>{"\\\\.\\COM7", "\\\\.\\COM7", "\\\\.\\COM3",
                                                    "\\\\.\\COM3"}));
    // Two syncs at the fast rate, three at the slow one: five 0x7F bytes.
    EXPECT_EQ(api.written, std::vector<std::uint8_t>(5, 0x7F));
    EXPECT_FALSE(state.Connected);
    EXPECT_FALSE(state.PortOpen);
    EXPECT_EQ(api.openHandles, 0);
}

TEST_F(Discovery, ConnectClosesAPortLeftOpenBeforeItsFirstAttempt) {
    ASSERT_TRUE(channel.OpenPort("COM33", 115200));
    state.PortOpen = true;
    discovery.ConnectOnPort("COM34");  // not present: both opens fail
    EXPECT_EQ(api.closes, 1);
    EXPECT_EQ(api.openHandles, 0);
    EXPECT_FALSE(state.PortOpen);
    EXPECT_FALSE(state.Connected);
    EXPECT_EQ(api.callsAfterClose, 0);
}

TEST_F(Discovery, EmptyProbeLeavesAnOpenPortAlone) {
    ASSERT_TRUE(channel.OpenPort("COM33", 115200));
    state.PortOpen = true;
    state.Connected = true;
    discovery.ConnectAnyPort();
    EXPECT_FALSE(state.Connected);
    EXPECT_TRUE(state.PortOpen);
    EXPECT_EQ(api.closes, 0);
}

}  // namespace
