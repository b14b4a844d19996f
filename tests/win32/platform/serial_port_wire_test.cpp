// The device link through the Windows serial calls, under Wine, on COM ports
// that lead to the emulated programmer: frames, line settings, rates,
// time-outs, purges and a port that is not there.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/image_store.h"
#include "link/port_discovery.h"
#include "link/protocol_buffers.h"
#include "platform/device_path.h"
#include "platform/win32/port_handle.h"
#include "platform/win32/setupapi_ports_registry.h"
#include "platform/win32/win32_serial.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

// The runner's --serve ports: KESTRUN_PORT_1 answers at any rate, _2 only at 9600.
std::string ServedPort(const char* variable) {
    const char* port = std::getenv(variable);
    return port ? port : "";
}

class LinkOnWine : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(port.empty()) << "run by run_under_wine.sh --serve";
        image.BuildImage();
    }
    void TearDown() override {
        if (state.PortOpen)
            channel.ClosePort();
    }
    bool Open(const std::string& name) { return state.PortOpen = channel.OpenPort(name, 115200); }
    // A Get command, whose answer is fifteen bytes.
    void SendGet() {
        const std::uint8_t get[2] = {0x00, 0xFF};
        std::uint32_t sent = 0;
        ASSERT_TRUE(serial.WriteFile(state.PortHandle, get, 2, sent) && sent == 2);
    }
    Bytes Block() const { return Bytes(boot.ReadBackBlock().begin(), boot.ReadBackBlock().end()); }

    const std::string port = ServedPort("KESTRUN_PORT_1");
    platform::win32::Win32Serial serial;
    platform::win32::SetupApiPortsRegistry registry;
    devlink::UpdaterState state;
    image::DeviceImage image;
    devlink::SerialChannel channel{state, serial};
    devlink::Bootloader boot{state, channel, image};
    devlink::PortDiscovery discovery{state, registry, channel, boot};
};

TEST_F(LinkOnWine, FramesGoThroughByteForByteOnAn8E1LineWithoutXonXoff) {
    ASSERT_TRUE(Open(port));
    platform::LineSettings line;
    ASSERT_TRUE(serial.GetCommState(state.PortHandle, line));
    EXPECT_EQ(line.BaudRate, 115200u);
    EXPECT_EQ((Bytes{line.ByteSize, line.Parity, line.StopBits}),
              (Bytes{8, platform::EvenParity, platform::OneStopBit}));
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    ASSERT_TRUE(::GetCommState(platform::win32::ToHandle(state.PortHandle), &dcb));
    EXPECT_FALSE(dcb.fOutX || dcb.fInX) << "a pseudo-terminal starts with XON/XOFF on";

    // The Get answer carries 0x11 twice, which XON/XOFF would swallow.
    ASSERT_TRUE(boot.SyncBootloader());
    ASSERT_TRUE(boot.GetBootloaderInfo());
    EXPECT_EQ(Bytes(boot.Buffers().BootCommands.begin(), boot.Buffers().BootCommands.begin() + 11),
              (Bytes{0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x43, 0x63, 0x73, 0x82, 0x92}));
    ASSERT_TRUE(boot.ReadBlock(image::FirmwareBase));
    EXPECT_EQ(Block(), Bytes(128, 0xFF)) << "the device's memory before the write";
    ASSERT_TRUE(boot.WriteBlock(image::FirmwareBase));
    ASSERT_TRUE(boot.ReadBlock(image::FirmwareBase));
    const auto written = image.Image.begin() + image::FirmwareBase;
    EXPECT_EQ(Block(), Bytes(written, written + 128));
}

TEST_F(LinkOnWine, TheRateReachesTheLine) {
    discovery.ConnectOnPort(ServedPort("KESTRUN_PORT_2"));
    EXPECT_TRUE(state.Connected);
    EXPECT_EQ(state.PortDcb.BaudRate, 9600u) << "after 115200 went unanswered";
}

TEST_F(LinkOnWine, ReadsEndAtTheirTimeOutsWithWhatCame) {
    ASSERT_TRUE(Open(port));
    std::array<std::uint8_t, 32> buffer{};
    std::uint32_t got = 0;
    // From a silent device after 200 ms and 1 ms for each byte asked for.
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(channel.ReadBytes(buffer.data(), 10, got));
    EXPECT_EQ(got, 0u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(205));
    // 150 ms after the last of the fifteen bytes of a Get answer.
    ASSERT_TRUE(boot.SyncBootloader());
    SendGet();
    start = std::chrono::steady_clock::now();
    EXPECT_FALSE(channel.ReadBytes(buffer.data(), 20, got));
    EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(145));
    EXPECT_EQ(got, 15u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 3), (Bytes{0x79, 11, 0x11}));
}

TEST_F(LinkOnWine, PurgeAndDrainEmptyTheInputQueue) {
    ASSERT_TRUE(Open(port));
    ASSERT_TRUE(boot.SyncBootloader());
    SendGet();
    ASSERT_TRUE(channel.WaitForBytes(2000, 15));
    EXPECT_TRUE(serial.PurgeInput(state.PortHandle));
    EXPECT_EQ(channel.BytesWaiting(), 0u);
    SendGet();
    ASSERT_TRUE(channel.WaitForBytes(2000, 15));
    channel.DrainInput(boot.Buffers().RxBuffer);
    EXPECT_EQ(channel.BytesWaiting(), 0u);
    EXPECT_TRUE(boot.ReadBlock(image::FirmwareBase)) << "nothing stale taken for its answer";
}

TEST_F(LinkOnWine, APortThatIsNotThereOpensNothing) {
    EXPECT_EQ(serial.CreateFileA(platform::DevicePath("COM199")), platform::InvalidHandle);
    EXPECT_FALSE(channel.OpenPort("COM199", 115200));
    EXPECT_EQ(state.PortHandle, platform::InvalidHandle);
}

}  // namespace
