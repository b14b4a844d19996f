// The faults the emulated device can be told to commit.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "session_fixture.h"

namespace bootsim_test {
namespace {

using bootsim::CommandRecord;
using bootsim::FaultAction;
using bootsim::FaultPhase;
using bootsim::Outcome;

constexpr std::uint8_t Garbage = 0xA5;

using SyncFaultTest = Session;

TEST_F(SyncFaultTest, IgnoresTheFirstSyncsAsTold) {
    bootsim::Options options;
    options.ignoreSyncs = 2;
    Start(options);
    client->Send({0x7F});
    EXPECT_TRUE(client->Collect().empty());
    client->Send({0x7F});
    EXPECT_TRUE(client->Collect().empty());
    EXPECT_EQ(Exchange({0x7F}, 1), Bytes{Ack});
    EXPECT_EQ(server->Records().SyncsAnswered(), 1u);
}

// One fault at each frame of the second Write Memory or Read Memory, with
// each of the three wrong answers.
class PhaseFaultTest
    : public Session,
      public ::testing::WithParamInterface<std::tuple<std::uint8_t, FaultPhase, FaultAction>> {};

TEST_P(PhaseFaultTest, StrikesOnlyTheChosenFrameOfTheChosenCommand) {
    const auto [command, phase, action] = GetParam();
    bootsim::Options options;
    options.phaseFaults = {{command, 2, phase, action}};
    Start(options);
    Synchronise();
    const Bytes block = Pattern(128, 0x21);
    server->Memory().Write(0x9080, Bytes(128, 0x00));

    // The first command of the kind is untouched.
    if (command == bootsim::CmdWriteMemory) {
        ASSERT_TRUE(WriteBlock(0x9000, block));
    } else {
        ASSERT_TRUE(ReadBlock(0x9000, 128));
    }

    const Bytes frames[] = {
        CommandFrame(command), AddressFrame(0x9080),
        command == bootsim::CmdWriteMemory ? DataFrame(block) : CountFrame(128)};
    const auto struck = static_cast<std::size_t>(phase);
    for (std::size_t i = 0; i < struck; ++i) {
        ASSERT_EQ(Exchange(frames[i], 1), Bytes{Ack}) << "frame " << i << " before the fault";
    }
    client->Send(frames[struck]);
    const Bytes answer = client->Collect();
    switch (action) {
        case FaultAction::Nack:
            EXPECT_EQ(answer, Bytes{Nack});
            break;
        case FaultAction::Silence:
            EXPECT_TRUE(answer.empty());
            break;
        case FaultAction::Garbage:
            EXPECT_EQ(answer, Bytes{Garbage});
            break;
    }

    EXPECT_EQ(MemoryAt(0x9080, 128), Bytes(128, 0x00)) << "a struck write stores nothing";
    EXPECT_EQ(Exchange(CommandFrame(bootsim::CmdGetVersion), 5).front(), Ack)
        << "the device dropped the struck command and takes the next one";

    const auto commands = server->Records().Commands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].outcome, Outcome::Completed);
    EXPECT_EQ(commands[1].code, command);
    EXPECT_EQ(commands[1].outcome, Outcome::Faulted);
    EXPECT_EQ(commands[1].address.has_value(), phase != FaultPhase::Command);
}

std::string FaultName(
    const ::testing::TestParamInfo<std::tuple<std::uint8_t, FaultPhase, FaultAction>>& info) {
    const char* phases[] = {"Command", "Address", "Data"};
    const char* actions[] = {"Nack", "Silence", "Garbage"};
    return std::string(std::get<0>(info.param) == bootsim::CmdWriteMemory ? "Write" : "Read") +
           phases[static_cast<int>(std::get<1>(info.param))] +
           actions[static_cast<int>(std::get<2>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    EveryFrameAndAnswer, PhaseFaultTest,
    ::testing::Combine(
        ::testing::Values(bootsim::CmdWriteMemory, bootsim::CmdReadMemory),
        ::testing::Values(FaultPhase::Command, FaultPhase::Address, FaultPhase::Data),
        ::testing::Values(FaultAction::Nack, FaultAction::Silence, FaultAction::Garbage)),
    FaultName);

using ReadAnswerFaultTest = Session;

TEST_F(ReadAnswerFaultTest, CorruptsOneDataByteOfTheChosenAnswerOnly) {
    bootsim::Options options;
    options.readCorruptions = {{2, 127}};
    Start(options);
    const Bytes block = Pattern(128, 0x33);
    server->Memory().Write(0x9000, block);
    Synchronise();

    EXPECT_EQ(ReadBlock(0x9000, 128), block);
    const auto corrupted = ReadBlock(0x9000, 128);
    ASSERT_TRUE(corrupted);
    Bytes expected = block;
    expected[127] ^= 0xFF;
    EXPECT_EQ(*corrupted, expected);
    EXPECT_EQ(ReadBlock(0x9000, 128), block);
    EXPECT_EQ(MemoryAt(0x9000, 128), block) << "the memory keeps the right byte";
    EXPECT_EQ(server->Records().Commands()[1].outcome, Outcome::Faulted);
}

TEST_F(ReadAnswerFaultTest, CutsTheChosenAnswerAfterItsFirstHundredBytes) {
    bootsim::Options options;
    options.cutReadAnswer = 1;
    Start(options);
    const Bytes block = Pattern(128, 0x44);
    server->Memory().Write(0x9000, block);
    Synchronise();

    EXPECT_EQ(Exchange(CommandFrame(0x11), 1), Bytes{Ack});
    EXPECT_EQ(Exchange(AddressFrame(0x9000), 1), Bytes{Ack});
    client->Send(CountFrame(128));
    const Bytes answer = client->Receive(129, std::chrono::milliseconds(1000));
    ASSERT_EQ(answer.size(), 100u);
    EXPECT_EQ(answer, Concat({Ack}, Bytes(block.begin(), block.begin() + 99)));
    EXPECT_TRUE(client->Collect().empty());
    EXPECT_EQ(ReadBlock(0x9000, 128), block) << "the next read is whole";
}

using StaleAckTest = Session;

TEST_F(StaleAckTest, AnExtraAckFollowsTheChosenCommandsAnswer) {
    bootsim::Options options;
    options.staleAckAfterCommand = 2;  // the Write Memory below
    Start(options);
    Synchronise();
    EXPECT_EQ(Exchange(CommandFrame(0x01), 5), (Bytes{0x79, 0x11, 0x00, 0x00, 0x79}));
    EXPECT_TRUE(WriteBlock(0x9000, Pattern(128, 5)));
    EXPECT_EQ(client->Collect(), Bytes{Ack}) << "exactly one stale ACK waits";
    EXPECT_EQ(ReadBlock(0x9000, 128), Pattern(128, 5)) << "and it did not upset the device";
    EXPECT_TRUE(client->Collect().empty());
}

using GoneDeviceTest = Session;

TEST_F(GoneDeviceTest, FallsSilentForGoodAfterTheChosenBlock) {
    bootsim::Options options;
    options.hangUpAfterWrite = 2;
    Start(options);
    Synchronise();
    EXPECT_TRUE(WriteBlock(0x9000, Pattern(128, 1)));
    EXPECT_FALSE(server->HungUp());
    EXPECT_TRUE(WriteBlock(0x9080, Pattern(128, 2))) << "the last block is still acknowledged";

    client->Send(CommandFrame(0x31));
    EXPECT_TRUE(client->Collect().empty());
    client->Send(Concat(AddressFrame(0x9100), DataFrame(Pattern(128, 3))));
    client->Send({0x7F});
    client->Send(CommandFrame(0x00));
    EXPECT_TRUE(client->Collect().empty());

    EXPECT_TRUE(server->HungUp());
    EXPECT_EQ(MemoryAt(0x9100, 128), Bytes(128, 0xFF)) << "nothing stored after the hang-up";
    EXPECT_EQ(server->Records().Commands().size(), 2u);
    EXPECT_EQ(server->Records().Received().size(), 1u + 2 * 137 + 2 + 135 + 1 + 2)
        << "what the host sent is still on record";
}

}  // namespace
}  // namespace bootsim_test
