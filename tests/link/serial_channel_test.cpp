// The channel's own logic, against a port that counts every platform call.
#include "link/serial_channel.h"

#include <gtest/gtest.h>

#include "link/protocol_buffers.h"
#include "stand_ins/counting_serial_api.h"

namespace {

using Step = stand_ins::CountingSerialApi::Step;

class Channel : public ::testing::Test {
  protected:
    void OpenAndMark() {
        state.PortOpen = channel.OpenPort("COM33", 115200);
        ASSERT_TRUE(state.PortOpen);
    }
    stand_ins::CountingSerialApi api;
    devlink::UpdaterState state;
    devlink::SerialChannel channel{state, api};
    std::array<std::uint8_t, devlink::RxBufferSize> scratch{};
};

TEST_F(Channel, OpenSetsLineAndTimeoutsWhateverThePortHad) {
    ASSERT_TRUE(channel.OpenPort("COM33", 115200));
    EXPECT_EQ(api.opened.back(), "\\\\.\\COM33");
    EXPECT_EQ(state.PortHandle, stand_ins::CountingSerialApi::Handle);
    EXPECT_EQ(api.lastSettings.BaudRate, 115200u);
    EXPECT_EQ(api.lastSettings.ByteSize, 8);
    EXPECT_EQ(api.lastSettings.Parity, platform::EvenParity);
    EXPECT_EQ(api.lastSettings.StopBits, platform::OneStopBit);
    EXPECT_EQ(api.lastTimeouts.ReadIntervalTimeout, 150u);
    EXPECT_EQ(api.lastTimeouts.ReadTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(api.lastTimeouts.ReadTotalTimeoutConstant, 200u);
    EXPECT_EQ(api.lastTimeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(api.lastTimeouts.WriteTotalTimeoutConstant, 100u);
    EXPECT_EQ(api.inQueueSize, 65536u);
    EXPECT_EQ(api.outQueueSize, 8192u);
    EXPECT_EQ(api.mask, 5u);
    // Opening is not connecting: the caller decides what PortOpen becomes.
    EXPECT_FALSE(state.PortOpen);
}

TEST_F(Channel, OpenOfAMissingPortLeavesNothingOpen) {
    EXPECT_FALSE(channel.OpenPort("COM34", 115200));
    EXPECT_EQ(state.PortHandle, platform::InvalidHandle);
    EXPECT_EQ(api.openHandles, 0);
    EXPECT_EQ(api.closes, 0);
}

TEST_F(Channel, OpenFailingAtAnyConfigurationStepClosesAndLeavesThePortFree) {
    for (Step step : {Step::SetupComm, Step::GetCommState, Step::SetCommState,
                      Step::GetCommTimeouts, Step::SetCommTimeouts, Step::SetCommMask}) {
        SCOPED_TRACE(static_cast<int>(step));
        api.failAt = step;
        EXPECT_FALSE(channel.OpenPort("COM33", 115200));
        EXPECT_EQ(api.openHandles, 0);
        api.failAt = Step::None;
        EXPECT_TRUE(channel.OpenPort("COM33", 9600));
        EXPECT_EQ(api.lastSettings.BaudRate, 9600u);
        channel.ClosePort();
        EXPECT_EQ(api.openHandles, 0);
    }
    EXPECT_EQ(api.callsAfterClose, 0);
}

TEST_F(Channel, BytesWaitingOnAClosedPortAsksNothing) {
    api.input = {1, 2, 3};
    EXPECT_EQ(channel.BytesWaiting(), 0u);
    EXPECT_EQ(api.queries, 0);
    OpenAndMark();
    EXPECT_EQ(channel.BytesWaiting(), 3u);
    api.clearCommErrorFails = true;
    EXPECT_EQ(channel.BytesWaiting(), 0u);
}

TEST_F(Channel, WaitCountsPollsNotTime) {
    OpenAndMark();
    EXPECT_FALSE(channel.WaitForBytes(200, 1));
    EXPECT_EQ(api.sleeps, 200);
    EXPECT_EQ(api.queries, 200);

    api.sleeps = api.queries = 0;
    api.input = {0x79};
    EXPECT_TRUE(channel.WaitForBytes(200, 1));
    EXPECT_EQ(api.sleeps, 1);  // even a byte already there costs one sleep
    EXPECT_EQ(api.queries, 1);

    api.sleeps = api.queries = 0;
    EXPECT_FALSE(channel.WaitForBytes(0, 1));
    EXPECT_EQ(api.sleeps, 0);
    EXPECT_EQ(api.queries, 0);

    api.input.clear();
    EXPECT_TRUE(channel.WaitForBytes(5, 0));
    EXPECT_EQ(api.sleeps, 1);
}

TEST_F(Channel, WaitOnAClosedPortRunsOutItsPolls) {
    EXPECT_FALSE(channel.WaitForBytes(50, 1));
    EXPECT_EQ(api.sleeps, 50);
    EXPECT_EQ(api.queries, 0);
}

TEST_F(Channel, ZeroLengthTransfersTouchNothing) {
    OpenAndMark();
    std::uint8_t buffer[4] = {9, 9, 9, 9};
    std::uint32_t got = 77;
    api.input = {1, 2};
    // A zero-length read is a successful read of nothing.
    EXPECT_TRUE(channel.ReadBytes(buffer, 0, got));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(buffer[0], 9);
    EXPECT_EQ(api.input.size(), 2u);
    EXPECT_TRUE(channel.WriteBytes(buffer, 0));
    EXPECT_TRUE(api.written.empty());
}

TEST_F(Channel, ShortReadReportsWhatArrivedAndKeepsTheRest) {
    OpenAndMark();
    std::uint8_t buffer[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    std::uint32_t got = 0;
    api.input = {1, 2, 3};
    EXPECT_FALSE(channel.ReadBytes(buffer, 8, got));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(buffer[2], 3);
    EXPECT_EQ(buffer[3], 0xAA);
}

TEST_F(Channel, DrainReadsWhatIsWaitingAndNothingWhenIdle) {
    OpenAndMark();
    channel.DrainInput(scratch);
    EXPECT_TRUE(api.readSizes.empty());

    api.input.assign(10, 0x5A);
    channel.DrainInput(scratch);
    ASSERT_EQ(api.readSizes.size(), 1u);
    EXPECT_EQ(api.readSizes[0], 10u);
    EXPECT_EQ(channel.BytesWaiting(), 0u);
}

TEST_F(Channel, DrainOfMoreThanTheReceiveBufferNeverReadsPastIt) {
    OpenAndMark();
    api.reportedWaiting = 5000;
    channel.DrainInput(scratch);
    for (std::uint32_t size : api.readSizes)
        EXPECT_LE(size, scratch.size());
    EXPECT_GE(api.purges, 1);
    EXPECT_EQ(channel.BytesWaiting(), 0u);
}

TEST_F(Channel, AfterTheWindowClosedNothingTouchesThePortAgain) {
    OpenAndMark();
    channel.CloseForShutdown();
    EXPECT_EQ(api.closes, 1);
    // The window's close leaves the flag as it was; the channel itself refuses.
    EXPECT_TRUE(state.PortOpen);

    std::uint8_t buffer[2] = {0x7F, 0};
    std::uint32_t got = 0;
    EXPECT_FALSE(channel.WriteBytes(buffer, 1));
    EXPECT_FALSE(channel.ReadBytes(buffer, 1, got));
    EXPECT_EQ(channel.BytesWaiting(), 0u);
    channel.DrainInput(scratch);
    EXPECT_FALSE(channel.WaitForBytes(3, 1));
    channel.ClosePort();
    channel.CloseForShutdown();
    EXPECT_FALSE(channel.OpenPort("COM33", 115200));

    EXPECT_EQ(api.closes, 1);
    EXPECT_EQ(api.callsAfterClose, 0);
    EXPECT_TRUE(api.written.empty());
}

TEST_F(Channel, WindowCloseWithNoPortOpenClosesNothing) {
    channel.CloseForShutdown();
    EXPECT_EQ(api.closes, 0);
    EXPECT_EQ(api.callsAfterClose, 0);
}

}  // namespace
