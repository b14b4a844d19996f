// The serial channel on a real pty through the Linux serial layer: what it
// holds open, short reads, large backlogs, a port held by someone else, the
// window's close, and the line rate the device hears.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <ostream>
#include <vector>

#include "image/image_store.h"
#include "link/protocol_buffers.h"
#include "wire_fixture.h"

namespace linkwire {
namespace {

enum class OtherOpen { Opened, Refused, Broken };

void PrintTo(OtherOpen outcome, std::ostream* out) {
    *out << (outcome == OtherOpen::Opened    ? "opened"
             : outcome == OtherOpen::Refused ? "refused"
                                             : "no verdict from the child");
}

// Whether a second program, with a serial layer of its own, can open COM33
// while we do whatever we do with it.
OtherOpen OpenFromAnotherProcess(const std::string& devRoot) {
    const pid_t child = ::fork();
    if (child == 0) {
        platform::posix::PosixSerial other(devRoot);
        const platform::PortHandle port = other.CreateFileA(PortPath);
        const bool opened = port != platform::InvalidHandle;
        // Closing through the layer takes the exclusive mark off the tty
        // again; _exit would leave it behind on the still-living pty.
        if (opened)
            other.CloseHandle(port);
        ::_exit(opened ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return OtherOpen::Broken;
    switch (WEXITSTATUS(status)) {
        case 0:
            return OtherOpen::Opened;
        case 1:
            return OtherOpen::Refused;
        default:
            return OtherOpen::Broken;
    }
}

using ChannelOnPty = LinkOnWire;

TEST_F(ChannelOnPty, OpeningAndClosingLeaveNoDescriptorBehind) {
    Serve();
    const int before = OpenDescriptorCount();

    EXPECT_FALSE(channel.OpenPort("COM34", 115200));
    EXPECT_EQ(state.PortHandle, platform::InvalidHandle);
    EXPECT_EQ(OpenDescriptorCount(), before);

    // The connection's own order: the fast rate, then the slow one on the
    // same port, then the fast one again at the next attempt.
    for (const std::int32_t rate : {115200, 9600, 115200}) {
        SCOPED_TRACE(rate);
        ASSERT_TRUE(Open(rate)) << "the port is free again after each close";
        EXPECT_EQ(OpenDescriptorCount(), before + 1);
        Close();
        EXPECT_EQ(OpenDescriptorCount(), before);
    }
}

TEST_F(ChannelOnPty, ShortReadDeliversWhatCameAndLeavesTheRestOfTheBufferAlone) {
    bootsim::Options options;
    options.cutReadAnswer = 1;
    options.cutReadKeep = 100;  // the ACK and 99 data bytes
    ASSERT_NO_FATAL_FAILURE(Connect(options));
    Preset(0x9000, ControlRichBlock());

    // A Read Memory by hand, so that the cut answer is read rather than only
    // waited for.
    const Bytes frames{0x11, 0xEE, 0x00, 0x00, 0x90, 0x00, 0x90, 0x7F, 0x80};
    ASSERT_TRUE(channel.WriteBytes(frames.data(), static_cast<std::uint16_t>(frames.size())));
    ASSERT_TRUE(channel.WaitForBytes(2000, 102));
    std::array<std::uint8_t, 2> acks{};
    std::uint32_t count = 0;
    ASSERT_TRUE(channel.ReadBytes(acks.data(), 2, count));
    ASSERT_EQ(acks, (std::array<std::uint8_t, 2>{Ack, Ack}));

    std::array<std::uint8_t, 129> answer;
    answer.fill(0xEE);
    count = 12345;
    EXPECT_FALSE(channel.ReadBytes(answer.data(), 129, count));
    EXPECT_EQ(count, 100u);
    EXPECT_EQ(answer[0], Ack);
    const Bytes block = ControlRichBlock();
    EXPECT_TRUE(std::equal(answer.begin() + 1, answer.begin() + 100, block.begin()));
    EXPECT_TRUE(std::all_of(answer.begin() + 100, answer.end(),
                            [](std::uint8_t byte) { return byte == 0xEE; }));
}

TEST_F(ChannelOnPty, DrainEmptiesABacklogLargerThanTheReceiveBuffer) {
    FarEnd device;
    Attach(device.SlavePath());
    ASSERT_TRUE(Open());
    // ACKs, the worst a stale backlog can hold.
    device.Send(Bytes(6000, Ack));

    // The tty hands the backlog over in pieces; wait until it shows all it will.
    ASSERT_TRUE(channel.WaitForBytes(5000, 1));
    std::uint32_t visible = channel.BytesWaiting();
    for (int i = 0, steady = 0; i < 500 && steady < 5; ++i) {
        serial.Sleep(10);
        const std::uint32_t now = channel.BytesWaiting();
        steady = now == visible ? steady + 1 : 0;
        visible = now;
    }
    ASSERT_LT(visible, 6000u) << "premise: the tty holds part of the backlog back";

    channel.DrainInput(RxBuffer);
    EXPECT_EQ(channel.BytesWaiting(), 0u);
    EXPECT_FALSE(channel.WaitForBytes(50, 1)) << "what the tty held back stays gone";

    // The line keeps order: an old byte still on its way would come first.
    device.Send({0x5A});
    ASSERT_TRUE(channel.WaitForBytes(2000, 1));
    std::uint8_t first = 0;
    std::uint32_t count = 0;
    EXPECT_TRUE(channel.ReadBytes(&first, 1, count));
    EXPECT_EQ(first, 0x5A);
    EXPECT_EQ(channel.BytesWaiting(), 0u);
}

TEST_F(ChannelOnPty, AnotherProgramCannotOpenThePortWeHold) {
    Serve();
    ASSERT_TRUE(Open());
    EXPECT_EQ(OpenFromAnotherProcess(tree.DevRoot()), OtherOpen::Refused);
    EXPECT_TRUE(boot.SyncBootloader()) << "the refused attempt left our port working";
    Close();
    EXPECT_EQ(OpenFromAnotherProcess(tree.DevRoot()), OtherOpen::Opened)
        << "the port is free once we closed it";
}

TEST_F(ChannelOnPty, AfterShutdownNothingMoreReachesTheDevice) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    const platform::PortHandle closed = state.PortHandle;
    const int before = OpenDescriptorCount();
    channel.CloseForShutdown();
    EXPECT_EQ(OpenDescriptorCount(), before - 1);

    // The program has one serial layer, which may hand the closed
    // descriptor's number to the next port that it opens.
    devlink::UpdaterState laterState;
    devlink::SerialChannel later(laterState, serial);
    devlink::Bootloader laterBoot(laterState, later, image);
    laterState.PortOpen = later.OpenPort(Port, 115200);
    ASSERT_TRUE(laterState.PortOpen);
    ASSERT_EQ(laterState.PortHandle, closed) << "premise: the number is in use again";

    // The window's close leaves PortOpen as it was; the channel alone must
    // keep the update that is still running off the port.
    ASSERT_TRUE(state.PortOpen);
    const std::uint8_t stray[] = {0x31, 0xCE};
    EXPECT_FALSE(channel.WriteBytes(stray, 2));
    EXPECT_EQ(channel.BytesWaiting(), 0u);
    EXPECT_FALSE(boot.SyncBootloader());
    EXPECT_FALSE(boot.WriteBlock(0x9000));
    EXPECT_FALSE(boot.ReadBlock(0x9000));
    EXPECT_FALSE(channel.OpenPort(Port, 115200));
    EXPECT_EQ(state.PortHandle, closed);
    channel.ClosePort();
    channel.CloseForShutdown();

    EXPECT_TRUE(laterBoot.GetBootloaderInfo()) << "the port opened later is untouched";
    EXPECT_EQ(Received(), (Bytes{0x7F, 0x00, 0xFF}));
}

// ---------------------------------------------------------------------------

using LineRate = LinkOnWire;

TEST_F(LineRate, SyncIsAnsweredOnlyAtTheRateTheDeviceListensAt) {
    bootsim::Options options;
    options.answerOnlyAt = 115200;
    Serve(options);

    ASSERT_TRUE(Open(9600));
    Scribble();
    EXPECT_FALSE(boot.SyncBootloader());
    EXPECT_EQ(RxBuffer[0], 0);
    Close();

    ASSERT_TRUE(Open(115200));
    EXPECT_TRUE(boot.SyncBootloader());
    EXPECT_EQ(sim->Records().ObservedRates(), (std::vector<std::uint32_t>{9600, 115200}));
    EXPECT_EQ(Received(), (Bytes{0x7F, 0x7F}));
}

TEST_F(LineRate, BlockGoesThereAndBackUnalteredOverAPaced9600Line) {
    bootsim::Options options;
    options.paceBaud = 9600;
    options.answerOnlyAt = 9600;
    options.fill = 0x5A;
    Serve(options);
    ASSERT_TRUE(Open(9600));
    ASSERT_TRUE(boot.SyncBootloader());
    const Bytes block = ControlRichBlock();
    std::copy(block.begin(), block.end(), image.Image.begin() + 0x2000);

    EXPECT_TRUE(boot.WriteBlock(0x2000));
    EXPECT_EQ(MemoryAt(0x2000), block) << "no byte translated or swallowed on the way out";
    EXPECT_TRUE(boot.ReadBlock(0x2000));
    EXPECT_EQ(Bytes(RxBuffer.begin() + 1, RxBuffer.begin() + 129), block)
        << "no byte translated or swallowed on the way in";
}

}  // namespace
}  // namespace linkwire
