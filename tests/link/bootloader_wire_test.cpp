// The bootloader exchanges byte for byte as the emulated programmer receives
// them over a real pty, what they leave in the shared buffers, and how they
// fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "image/image_store.h"
#include "wire_fixture.h"

namespace linkwire {
namespace {

using devlink::RxBufferSize;

const Bytes ReadFramesAt9000{0x11, 0xEE, 0x00, 0x00, 0x90, 0x00, 0x90, 0x7F, 0x80};

// ---------------------------------------------------------------------------

using Sync = LinkOnWire;

TEST_F(Sync, SendsTheSyncByteAloneAndTakesTheAck) {
    Serve();
    ASSERT_TRUE(Open());
    Scribble();
    EXPECT_TRUE(boot.SyncBootloader());
    EXPECT_EQ(RxBuffer[0], Ack);
    EXPECT_EQ(Received(), Bytes{0x7F});
    EXPECT_EQ(sim->Records().SyncsAnswered(), 1u);
}

// The ACK, and the NACK of a bootloader still synchronised from an earlier
// connection (it took the previous sync byte for a command's first byte),
// count as synchronised; any other byte, and silence, do not.
TEST_F(Sync, TheAckAndTheNackOfASynchronisedBootloaderCountAndNothingElse) {
    const struct {
        Bytes answer;
        bool synchronised;
    } answers[] = {{{Ack}, true}, {{Nack}, true}, {{0xA5}, false}, {{0x00}, false}, {{}, false}};
    for (const auto& [answer, synchronised] : answers) {
        FarEnd device;
        Attach(device.SlavePath());
        ASSERT_TRUE(Open());
        device.Play({{1, answer}});
        EXPECT_EQ(boot.SyncBootloader(), synchronised) << int(answer.empty() ? -1 : answer[0]);
        EXPECT_EQ(device.Heard(), Bytes{0x7F});
        EXPECT_EQ(RxBuffer[0], answer.empty() ? 0 : answer[0]);
        Close();
        tree.Remove("ttyUSB0");
    }
}

// What the connection meets on a device left synchronised: its first sync
// byte waits for a complement, the second is refused.
TEST_F(Sync, ABootloaderLeftSynchronisedIsFoundAtTheSecondTry) {
    Connect();
    EXPECT_FALSE(boot.SyncBootloader());
    EXPECT_TRUE(boot.SyncBootloader());
    EXPECT_EQ(RxBuffer[0], Nack);
    EXPECT_TRUE(boot.GetBootloaderInfo());
}

// ---------------------------------------------------------------------------

using GetInfo = LinkOnWire;

struct CommandList {
    std::string name;
    Bytes codes;
};

void PrintTo(const CommandList& list, std::ostream* out) {
    *out << list.name;
}

class GetAccepted : public LinkOnWire, public ::testing::WithParamInterface<CommandList> {};

TEST_P(GetAccepted, KeepsCountVersionAndCodesAndClearsTheRest) {
    bootsim::Options options;
    options.commands = GetParam().codes;
    ASSERT_NO_FATAL_FAILURE(Connect(options));
    Scribble();

    EXPECT_TRUE(boot.GetBootloaderInfo());

    const Bytes& codes = options.commands;
    const auto n = static_cast<std::uint8_t>(codes.size());
    EXPECT_EQ(Received(), (Bytes{0x7F, 0x00, 0xFF}));
    EXPECT_EQ(state.CommandCount, n);
    EXPECT_EQ(state.BootloaderVersion, 0x11);
    EXPECT_EQ(Bytes(BootCommands.begin(), BootCommands.begin() + n), codes);
    EXPECT_TRUE(BootCommandsZeroFrom(n));
    const Bytes answer = Join({{Ack, n, 0x11}, codes, {Ack}});
    EXPECT_EQ(Bytes(RxBuffer.begin(), RxBuffer.begin() + n + 4), answer);
    EXPECT_TRUE(AllZero(answer.size(), RxBufferSize));
}

INSTANTIATE_TEST_SUITE_P(Lists, GetAccepted,
                         ::testing::Values(CommandList{"Six", {0x00, 0x01, 0x02, 0x11, 0x21, 0x31}},
                                           // Twelve is the most BootCommands is meant to take.
                                           CommandList{"Twelve",
                                                       {0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x43,
                                                        0x44, 0x63, 0x73, 0x82, 0x92}}),
                         [](const ::testing::TestParamInfo<CommandList>& item) {
                             return item.param.name;
                         });

// The emulated programmer always lists Get itself, so an empty list comes
// from a far end that the test plays.
TEST_F(GetInfo, AnswerWithoutCommandCodesIsAccepted) {
    FarEnd device;
    Attach(device.SlavePath());
    ASSERT_TRUE(Open());
    device.Play({{2, {Ack, 0x00, 0x11, Ack}}});
    Scribble();

    EXPECT_TRUE(boot.GetBootloaderInfo());

    EXPECT_EQ(device.Heard(), (Bytes{0x00, 0xFF}));
    EXPECT_EQ(state.CommandCount, 0);
    EXPECT_EQ(state.BootloaderVersion, 0x11);
    EXPECT_TRUE(BootCommandsZeroFrom(0));
    EXPECT_EQ(Bytes(RxBuffer.begin(), RxBuffer.begin() + 4), (Bytes{Ack, 0x00, 0x11, Ack}));
    EXPECT_TRUE(AllZero(4, RxBufferSize));
}

TEST_F(GetInfo, ThirteenCodesEndTheExchangeRightAfterTheCount) {
    bootsim::Options options;
    // Thirteen codes really follow, so a wait for them would be rewarded:
    // only an exchange that stops after the count leaves them unread.
    options.commands = {0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x43,
                        0x44, 0x63, 0x73, 0x82, 0x92, 0xA1};
    options.getCountOverride = 13;
    ASSERT_NO_FATAL_FAILURE(Connect(options));
    Scribble();

    EXPECT_FALSE(boot.GetBootloaderInfo());

    EXPECT_EQ(state.CommandCount, 13);
    EXPECT_EQ(state.BootloaderVersion, 0xEEEE);
    EXPECT_TRUE(BootCommandsZeroFrom(0));
    EXPECT_EQ(RxBuffer[0], Ack);
    EXPECT_EQ(RxBuffer[1], 13);
    EXPECT_TRUE(AllZero(2, RxBufferSize)) << "nothing after the count is read";

    // The rest of the answer (version, thirteen codes, ACK) stays queued, and
    // the next exchange must not take any of it for its own answer.
    ASSERT_TRUE(channel.WaitForBytes(2000, 15));
    EXPECT_EQ(channel.BytesWaiting(), 15u);
    Preset(0x9000, ControlRichBlock());
    EXPECT_TRUE(boot.ReadBlock(0x9000));
    EXPECT_EQ(BlockInRxBuffer(), ControlRichBlock());
}

TEST_F(GetInfo, AnswerNotClosedByAnAckIsRefused) {
    bootsim::Options options;
    // Eleven codes follow a count of ten: the eleventh stands where the
    // closing ACK belongs.
    options.getCountOverride = 10;
    ASSERT_NO_FATAL_FAILURE(Connect(options));
    Scribble();

    EXPECT_FALSE(boot.GetBootloaderInfo());

    EXPECT_EQ(state.CommandCount, 10);
    EXPECT_EQ(RxBuffer[13], bootsim::CmdReadoutUnprotect);
    EXPECT_EQ(state.BootloaderVersion, 0xEEEE) << "taken only from a properly closed answer";
    EXPECT_TRUE(BootCommandsZeroFrom(0));
}

class GetVersion : public LinkOnWire, public ::testing::WithParamInterface<std::uint8_t> {};

TEST_P(GetVersion, OnlyVersion0x11IsAccepted) {
    bootsim::Options options;
    options.version = GetParam();
    ASSERT_NO_FATAL_FAILURE(Connect(options));
    Scribble();

    const bool known = GetParam() == 0x11;
    EXPECT_EQ(boot.GetBootloaderInfo(), known);

    EXPECT_EQ(state.BootloaderVersion, GetParam());
    EXPECT_EQ(RxBuffer[2], GetParam());
    const auto n = options.commands.size();
    if (known) {
        EXPECT_EQ(Bytes(BootCommands.begin(), BootCommands.begin() + 11), options.commands);
    } else {
        EXPECT_TRUE(BootCommandsZeroFrom(0)) << "codes of an unknown bootloader are not kept";
    }
    EXPECT_EQ(RxBuffer[n + 3], Ack);
    EXPECT_TRUE(AllZero(n + 4, RxBufferSize));
}

INSTANTIATE_TEST_SUITE_P(Versions, GetVersion, ::testing::Values(0x10, 0x11, 0x12),
                         [](const ::testing::TestParamInfo<std::uint8_t>& item) {
                             const char* digits = "0123456789ABCDEF";
                             return std::string("Version") + digits[item.param >> 4] +
                                    digits[item.param & 0xF];
                         });

// ---------------------------------------------------------------------------

using ReadBlockOnWire = LinkOnWire;

TEST_F(ReadBlockOnWire, SendsThreeFramesAndLeavesTheBlockAfterTheAck) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    Bytes high = ControlRichBlock();
    std::reverse(high.begin(), high.end());
    Preset(0x9000, ControlRichBlock());
    Preset(0x16C00, high);
    Scribble();

    EXPECT_TRUE(boot.ReadBlock(0x9000));
    EXPECT_EQ(Received(), Join({{0x7F}, ReadFramesAt9000}));
    EXPECT_EQ(RxBuffer[0], Ack);
    EXPECT_EQ(BlockInRxBuffer(), ControlRichBlock());
    EXPECT_TRUE(AllZero(129, RxBufferSize));

    EXPECT_TRUE(boot.ReadBlock(0x16C00));
    EXPECT_EQ(
        Received(),
        Join({{0x7F}, ReadFramesAt9000, {0x11, 0xEE, 0x00, 0x01, 0x6C, 0x00, 0x6D, 0x7F, 0x80}}));
    EXPECT_EQ(BlockInRxBuffer(), high);
}

// The emulated programmer's NACK of a count frame is the single byte 1F; a
// whole answer led by 1F comes from a far end that the test plays.
TEST_F(ReadBlockOnWire, WholeAnswerLedByANackIsRefused) {
    FarEnd device;
    Attach(device.SlavePath());
    ASSERT_TRUE(Open());
    const Bytes answer = Join({{Nack}, ControlRichBlock()});
    device.Play({{2, {Ack}}, {5, {Ack}}, {2, answer}});
    Scribble();

    EXPECT_FALSE(boot.ReadBlock(0x9000));

    EXPECT_EQ(device.Heard(), ReadFramesAt9000);
    EXPECT_EQ(Received129(), answer) << "all 129 bytes came and were read";
    EXPECT_EQ(channel.BytesWaiting(), 0u);
}

TEST_F(ReadBlockOnWire, AnswerCutShortFailsAndItsRemainsDoNotSpoilTheNextRead) {
    bootsim::Options options;
    options.cutReadAnswer = 1;
    options.cutReadKeep = 100;
    ASSERT_NO_FATAL_FAILURE(Connect(options));
    Preset(0x9000, ControlRichBlock());
    Scribble();

    EXPECT_FALSE(boot.ReadBlock(0x9000));
    EXPECT_EQ(RxBuffer[0], Ack) << "the address ACK, the last byte read";
    EXPECT_TRUE(AllZero(1, RxBufferSize)) << "nothing of a short answer is read";

    ASSERT_TRUE(channel.WaitForBytes(2000, 100));
    EXPECT_EQ(channel.BytesWaiting(), 100u);
    EXPECT_TRUE(boot.ReadBlock(0x9000));
    EXPECT_EQ(BlockInRxBuffer(), ControlRichBlock());
}

// ---------------------------------------------------------------------------

class WriteBlockOnWire : public LinkOnWire {
  protected:
    void SetUp() override {
        bootsim::Options options;
        options.fill = 0x5A;  // neither of the fills a block is made of
        ASSERT_NO_FATAL_FAILURE(Connect(options));
    }
};

TEST_F(WriteBlockOnWire, SendsCommandAddressAndImageBlockAndTheDeviceStoresIt) {
    const struct {
        std::uint32_t address;
        Bytes addressFrame;
    } blocks[] = {
        {0x9000, {0x00, 0x00, 0x90, 0x00, 0x90}},
        {0x1000, {0x00, 0x00, 0x10, 0x00, 0x10}},
        {0x16C00, {0x00, 0x01, 0x6C, 0x00, 0x6D}},
    };
    Bytes sent{0x7F};
    for (const auto& block : blocks) {
        SCOPED_TRACE(block.address);
        Scribble();
        EXPECT_TRUE(boot.WriteBlock(block.address));
        sent =
            Join({sent, {0x31, 0xCE}, block.addressFrame, DataFrameOf(ImageBlock(block.address))});
        EXPECT_EQ(Received(), sent);
        EXPECT_EQ(MemoryAt(block.address), ImageBlock(block.address));
        EXPECT_EQ(RxBuffer[0], Ack);
        EXPECT_TRUE(AllZero(1, RxBufferSize));
    }
}

TEST_F(WriteBlockOnWire, DataFrameEndsWithTheXorOfCountAndBytes) {
    // The image's own erased settings and the gap before the firmware give two
    // of the blocks; the third is laid in by the test.
    ASSERT_EQ(ImageBlock(0x1100), Bytes(128, 0xFF));
    ASSERT_EQ(ImageBlock(0x2000), Bytes(128, 0x00));
    ASSERT_EQ(ImageBlock(0x2080), Bytes(128, 0x00));
    image.Image[0x2080] = 0x01;
    Bytes firstOne(128, 0x00);
    firstOne[0] = 0x01;

    const struct {
        std::uint32_t address;
        Bytes block;
        std::uint8_t checksum;
    } cases[] = {
        {0x2000, Bytes(128, 0x00), 0x7F},
        {0x1100, Bytes(128, 0xFF), 0x7F},
        {0x2080, firstOne, 0x7E},
    };
    for (const auto& block : cases) {
        SCOPED_TRACE(block.address);
        EXPECT_TRUE(boot.WriteBlock(block.address));
        const Bytes heard = Received();
        ASSERT_GE(heard.size(), 130u);
        const Bytes frame(heard.end() - 130, heard.end());
        EXPECT_EQ(frame.front(), 0x7F);
        EXPECT_EQ(Bytes(frame.begin() + 1, frame.end() - 1), block.block);
        EXPECT_EQ(frame.back(), block.checksum);
        EXPECT_EQ(MemoryAt(block.address), block.block);
    }
}

TEST_F(WriteBlockOnWire, BlockReachingPastTheImageIsRefusedWithoutAByteSent) {
    EXPECT_FALSE(boot.WriteBlock(image::ImageSize - 64));
    EXPECT_FALSE(boot.WriteBlock(0xFFFFFF80)) << "an address whose block wraps round";
    EXPECT_EQ(HeardBeforeProbe(), Bytes{0x7F});
    EXPECT_TRUE(boot.WriteBlock(image::ImageSize - 128)) << "the last whole block";
}

// ---------------------------------------------------------------------------

struct FaultCase {
    std::string name;
    std::uint8_t command;
    bootsim::FaultPhase phase;
    bootsim::FaultAction action;
    std::uint8_t lastByteRead;  // RxBuffer[0] afterwards
};

void PrintTo(const FaultCase& fault, std::ostream* out) {
    *out << fault.name;
}

class ExchangeFault : public LinkOnWire, public ::testing::WithParamInterface<FaultCase> {
  protected:
    // What the updater has sent up to and including the frame that the fault
    // answers.
    Bytes SentUpTo(const FaultCase& fault) const {
        const bool write = fault.command == bootsim::CmdWriteMemory;
        Bytes sent{0x7F, fault.command, static_cast<std::uint8_t>(fault.command ^ 0xFF)};
        if (fault.phase == bootsim::FaultPhase::Command)
            return sent;
        sent = Join({sent, {0x00, 0x00, 0x90, 0x00, 0x90}});
        if (fault.phase == bootsim::FaultPhase::Address)
            return sent;
        return Join({sent, write ? DataFrameOf(ImageBlock(0x9000)) : Bytes{0x7F, 0x80}});
    }
};

TEST_P(ExchangeFault, FailsAtOnceAndSendsNothingMoreOfTheCommand) {
    const FaultCase& fault = GetParam();
    bootsim::Options options;
    options.phaseFaults = {{fault.command, 1, fault.phase, fault.action}};
    ASSERT_NO_FATAL_FAILURE(Connect(options));
    Preset(0x9000, ControlRichBlock());
    Scribble();

    const bool done =
        fault.command == bootsim::CmdWriteMemory ? boot.WriteBlock(0x9000) : boot.ReadBlock(0x9000);
    EXPECT_FALSE(done);
    EXPECT_EQ(RxBuffer[0], fault.lastByteRead);
    EXPECT_TRUE(AllZero(1, RxBufferSize));

    EXPECT_EQ(HeardBeforeProbe(), SentUpTo(fault));
    const auto commands = sim->Records().Commands();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].outcome, bootsim::Outcome::Faulted) << "premise: the fault struck";
}

using bootsim::CmdReadMemory;
using bootsim::CmdWriteMemory;
using Action = bootsim::FaultAction;
using Phase = bootsim::FaultPhase;

INSTANTIATE_TEST_SUITE_P(
    Phases, ExchangeFault,
    ::testing::Values(
        FaultCase{"WriteCommandNack", CmdWriteMemory, Phase::Command, Action::Nack, Nack},
        FaultCase{"WriteCommandSilence", CmdWriteMemory, Phase::Command, Action::Silence, 0},
        FaultCase{"WriteAddressNack", CmdWriteMemory, Phase::Address, Action::Nack, Nack},
        FaultCase{"WriteAddressSilence", CmdWriteMemory, Phase::Address, Action::Silence, 0},
        FaultCase{"WriteDataNack", CmdWriteMemory, Phase::Data, Action::Nack, Nack},
        FaultCase{"WriteDataGarbage", CmdWriteMemory, Phase::Data, Action::Garbage, 0xA5},
        FaultCase{"WriteDataSilence", CmdWriteMemory, Phase::Data, Action::Silence, 0},
        FaultCase{"ReadCommandNack", CmdReadMemory, Phase::Command, Action::Nack, Nack},
        FaultCase{"ReadCommandGarbage", CmdReadMemory, Phase::Command, Action::Garbage, 0xA5},
        FaultCase{"ReadCommandSilence", CmdReadMemory, Phase::Command, Action::Silence, 0},
        FaultCase{"ReadAddressNack", CmdReadMemory, Phase::Address, Action::Nack, Nack},
        // The address ACK is awaited before it is read, so byte 0 keeps the
        // command's ACK when nothing comes.
        FaultCase{"ReadAddressSilence", CmdReadMemory, Phase::Address, Action::Silence, Ack},
        // A lone NACK is no 129-byte answer: it is never read.
        FaultCase{"ReadCountNack", CmdReadMemory, Phase::Data, Action::Nack, Ack},
        FaultCase{"ReadCountSilence", CmdReadMemory, Phase::Data, Action::Silence, Ack}),
    [](const ::testing::TestParamInfo<FaultCase>& item) { return item.param.name; });

// ---------------------------------------------------------------------------

// The emulated programmer sends one ACK too many after the Get, so that it is
// already waiting when the next exchange starts.
class StaleInput : public LinkOnWire {
  protected:
    void ConnectWithLateAck(bootsim::Options options = {}) {
        options.staleAckAfterCommand = 1;
        ASSERT_NO_FATAL_FAILURE(Connect(options));
        ASSERT_TRUE(boot.GetBootloaderInfo());
        ASSERT_TRUE(channel.WaitForBytes(2000, 1)) << "premise: the late ACK is waiting";
    }
};

TEST_F(StaleInput, LateAckDoesNotShiftTheBlockOfTheNextRead) {
    ASSERT_NO_FATAL_FAILURE(ConnectWithLateAck());
    Preset(0x9000, ControlRichBlock());
    EXPECT_TRUE(boot.ReadBlock(0x9000));
    EXPECT_EQ(BlockInRxBuffer(), ControlRichBlock());
    EXPECT_TRUE(AllZero(129, RxBufferSize));
}

TEST_F(StaleInput, LateAckCannotStandInForAWithheldCommandAck) {
    bootsim::Options options;
    options.phaseFaults = {{CmdWriteMemory, 1, Phase::Command, Action::Silence}};
    ASSERT_NO_FATAL_FAILURE(ConnectWithLateAck(options));

    EXPECT_FALSE(boot.WriteBlock(0x9000));
    EXPECT_EQ(RxBuffer[0], 0);
    EXPECT_EQ(HeardBeforeProbe(), (Bytes{0x7F, 0x00, 0xFF, 0x31, 0xCE}));
}

TEST_F(StaleInput, LateAckCannotStandInForTheSyncAnswer) {
    ASSERT_NO_FATAL_FAILURE(ConnectWithLateAck());
    // A synchronised bootloader takes 0x7F as the first byte of a command
    // and says nothing.
    EXPECT_FALSE(boot.SyncBootloader());
    EXPECT_EQ(RxBuffer[0], 0);
}

}  // namespace
}  // namespace linkwire
