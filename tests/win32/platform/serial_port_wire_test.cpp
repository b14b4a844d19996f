// The device link through the Windows serial calls, under Wine, on a COM port
// that leads to the emulated programmer: frames, line settings, time-outs,
// purges and a port that is not there.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

#include "image/image_store.h"
#include "link/bootloader.h"
#include "link/port_discovery.h"
#include "link/protocol_buffers.h"
#include "platform/device_path.h"
#include "platform/win32/port_handle.h"
#include "platform/win32/setupapi_ports_registry.h"
#include "platform/win32/win32_serial.h"
#include "served_ports.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using devlink::RxBuffer;
using platform::win32::ToHandle;

// The first firmware block holding both flow-control characters, which a
// driver with XON/XOFF on would take out of the stream.
std::uint32_t BlockWithXonAndXoff() {
    for (std::uint32_t address = image::FirmwareBase; address < image::FirmwareLast;
         address += 128) {
        const auto begin = image::Image.begin() + address;
        if (std::find(begin, begin + 128, 0x11) != begin + 128 &&
            std::find(begin, begin + 128, 0x13) != begin + 128)
            return address;
    }
    return 0;
}

class SerialOnWine : public ::testing::Test {
  protected:
    SerialOnWine() : port(wintest::ServedPort(0)) { image::BuildImage(); }
    ~SerialOnWine() override {
        if (state.PortOpen)
            channel.ClosePort();
    }
    void SetUp() override { ASSERT_FALSE(port.empty()) << "run by run_under_wine.sh --serve"; }

    bool Open(std::int32_t rate = 115200) {
        state.PortOpen = channel.OpenPort(port, rate);
        return state.PortOpen;
    }
    DCB PortDcb() {
        DCB dcb{};
        dcb.DCBlength = sizeof(dcb);
        EXPECT_TRUE(::GetCommState(ToHandle(state.PortHandle), &dcb));
        return dcb;
    }
    void Send(const Bytes& bytes) {
        std::uint32_t written = 0;
        ASSERT_TRUE(serial.WriteFile(state.PortHandle, bytes.data(),
                                     static_cast<std::uint32_t>(bytes.size()), written));
        ASSERT_EQ(written, bytes.size());
    }

    const std::string port;
    platform::win32::Win32Serial serial;
    devlink::UpdaterState state;
    devlink::SerialChannel channel{state, serial};
    devlink::Bootloader boot{state, channel};
};

TEST_F(SerialOnWine, BootloaderExchangesGoThroughByteForByte) {
    ASSERT_TRUE(Open());
    ASSERT_TRUE(boot.SyncBootloader());
    ASSERT_TRUE(boot.GetBootloaderInfo());
    EXPECT_EQ(state.BootloaderVersion, 0x11);
    EXPECT_EQ(Bytes(devlink::BootCommands.begin(), devlink::BootCommands.begin() + 11),
              (Bytes{0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x43, 0x63, 0x73, 0x82, 0x92}));

    const std::uint32_t address = BlockWithXonAndXoff();
    ASSERT_NE(address, 0u);
    ASSERT_TRUE(boot.ReadBlock(address));
    EXPECT_EQ(Bytes(RxBuffer.begin() + 1, RxBuffer.begin() + 129), Bytes(128, 0xFF))
        << "the device's memory before the write";
    ASSERT_TRUE(boot.WriteBlock(address));
    ASSERT_TRUE(boot.ReadBlock(address));
    const auto block = image::Image.begin() + address;
    EXPECT_EQ(Bytes(RxBuffer.begin() + 1, RxBuffer.begin() + 129), Bytes(block, block + 128));
}

TEST_F(SerialOnWine, OpeningSetsTheLineAndTimeOutsAndTurnsXonXoffOff) {
    // What the port holds before: a pseudo-terminal starts with XON/XOFF on.
    const HANDLE before =
        ::CreateFileA(platform::DevicePath(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(before, INVALID_HANDLE_VALUE);
    DCB found{};
    found.DCBlength = sizeof(found);
    ASSERT_TRUE(::GetCommState(before, &found));
    ::CloseHandle(before);

    ASSERT_TRUE(Open());
    const DCB dcb = PortDcb();
    EXPECT_EQ(dcb.BaudRate, 115200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, EVENPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_FALSE(dcb.fOutX);
    EXPECT_FALSE(dcb.fInX);
    EXPECT_EQ(dcb.fOutxCtsFlow, found.fOutxCtsFlow) << "hardware flow control stays as found";
    EXPECT_EQ(dcb.fRtsControl, found.fRtsControl);

    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(::GetCommTimeouts(ToHandle(state.PortHandle), &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 150u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 200u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 100u);
}

// The second served device answers only at 9600 baud, so a connection there
// proves the rate reaches the line.
TEST_F(SerialOnWine, ConnectionFallsBackToTheRateTheDeviceAnswersAt) {
    const std::string slow = wintest::ServedPort(1);
    ASSERT_FALSE(slow.empty());
    platform::win32::SetupApiPortsRegistry registry;
    devlink::PortDiscovery discovery(state, registry, channel, boot);
    discovery.ConnectOnPort(slow);
    EXPECT_TRUE(state.Connected);
    EXPECT_EQ(PortDcb().BaudRate, 9600u);
}

TEST_F(SerialOnWine, ReadsEndAtTheirTimeOutsWithWhatCame) {
    ASSERT_TRUE(Open());
    std::array<std::uint8_t, 32> buffer{};
    std::uint32_t got = 0;

    // Nothing comes: 200 ms plus 1 ms for each byte asked for.
    auto start = Clock::now();
    EXPECT_FALSE(channel.ReadBytes(buffer.data(), 10, got));
    EXPECT_EQ(got, 0u);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(205));

    // The fifteen bytes of the Get answer come, five more are asked for: the
    // read ends short, with the fifteen in place.
    ASSERT_TRUE(boot.SyncBootloader());
    Send({0x00, 0xFF});
    start = Clock::now();
    EXPECT_FALSE(channel.ReadBytes(buffer.data(), 20, got));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(145));
    ASSERT_EQ(got, 15u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 3), (Bytes{0x79, 11, 0x11}));
    EXPECT_EQ(buffer[14], 0x79);
}

TEST_F(SerialOnWine, DrainAndPurgeEmptyTheInputQueue) {
    ASSERT_TRUE(Open());
    ASSERT_TRUE(boot.SyncBootloader());

    Send({0x00, 0xFF});
    ASSERT_TRUE(channel.WaitForBytes(2000, 15));
    EXPECT_EQ(channel.BytesWaiting(), 15u);
    EXPECT_TRUE(serial.PurgeInput(state.PortHandle));
    EXPECT_EQ(channel.BytesWaiting(), 0u);

    Send({0x00, 0xFF});
    ASSERT_TRUE(channel.WaitForBytes(2000, 15));
    channel.DrainInput();
    EXPECT_EQ(channel.BytesWaiting(), 0u);
    // Nothing stale is left to be taken for the next answer.
    EXPECT_TRUE(boot.ReadBlock(image::FirmwareBase));
}

TEST_F(SerialOnWine, APortThatIsNotThereOpensNothing) {
    EXPECT_EQ(serial.CreateFileA(platform::DevicePath("COM199")), platform::InvalidHandle);
    state.PortHandle = 0;
    EXPECT_FALSE(channel.OpenPort("COM199", 115200));
    EXPECT_EQ(state.PortHandle, platform::InvalidHandle);
}

}  // namespace
