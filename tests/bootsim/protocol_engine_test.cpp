// The engine alone, on a made-up clock: what a pty test could only see
// through timing.
#include "tools/bootsim/protocol_engine.h"

#include <gtest/gtest.h>

namespace bootsim {
namespace {

using namespace std::chrono_literals;
using Clock = ProtocolEngine::Clock;
using Bytes = std::vector<std::uint8_t>;

const Clock::time_point T0 = Clock::time_point{} + 100s;

class EngineTest : public ::testing::Test {
  protected:
    void Make(Options options = {}) {
        options_ = std::move(options);
        memory_ = std::make_unique<DeviceMemory>(options_.fill);
        engine_ = std::make_unique<ProtocolEngine>(options_, *memory_, journal_, [this] {
            ++probes_;
            return rate_;
        });
    }

    // Feeds the bytes one per millisecond from `at`; returns the output.
    std::vector<Emission> Feed(const Bytes& bytes, Clock::time_point at) {
        for (std::uint8_t byte : bytes) {
            engine_->Receive(byte, at);
            at += 1ms;
        }
        return engine_->TakeOutput();
    }

    static Bytes Values(const std::vector<Emission>& output) {
        Bytes values;
        for (const Emission& emission : output) {
            values.push_back(emission.byte);
        }
        return values;
    }

    Options options_;
    std::unique_ptr<DeviceMemory> memory_;
    Journal journal_;
    std::unique_ptr<ProtocolEngine> engine_;
    std::uint32_t rate_ = 115200;
    int probes_ = 0;
};

TEST_F(EngineTest, AnswersLeaveNoEarlierThanTheRequestsLastByte) {
    Make();
    const auto sync = Feed({0x7F}, T0);
    ASSERT_EQ(sync.size(), 1u);
    EXPECT_EQ(sync[0].notBefore, T0);

    const auto get = Feed({0x00, 0xFF}, T0 + 1s);
    ASSERT_EQ(get.size(), 15u);
    for (const Emission& emission : get) {
        EXPECT_EQ(emission.notBefore, T0 + 1s + 1ms);
    }
}

TEST_F(EngineTest, WriteDelayPostponesOnlyTheFinalAck) {
    Options options;
    options.writeDelay = 40ms;
    Make(options);
    Feed({0x7F}, T0);
    EXPECT_EQ(Feed({0x31, 0xCE}, T0)[0].notBefore, T0 + 1ms);
    EXPECT_EQ(Feed({0x00, 0x00, 0x90, 0x00, 0x90}, T0)[0].notBefore, T0 + 4ms);
    Bytes frame{0x03, 1, 2, 3, 4};
    frame.push_back(0x03 ^ 1 ^ 2 ^ 3 ^ 4);
    const auto final = Feed(frame, T0);
    ASSERT_EQ(Values(final), Bytes{AckByte});
    EXPECT_EQ(final[0].notBefore, T0 + 5ms + 40ms);
}

TEST_F(EngineTest, AsTheChipAHalfCommandWaitsForEverAndOnlyAKindOneResynchronises) {
    Make();
    Feed({0x7F, 0x31}, T0);
    EXPECT_FALSE(engine_->StallDeadline());
    EXPECT_EQ(Values(Feed({0xCE}, T0 + 1h)), Bytes{0x79});

    Options kind;
    kind.resyncBetweenCommands = true;
    Make(kind);
    rate_ = 9600;
    EXPECT_EQ(Values(Feed({0x7F}, T0)), Bytes{0x79});
    rate_ = 115200;
    EXPECT_EQ(Values(Feed({0x7F}, T0)), Bytes{0x79}) << "a new sync, at the new rate";
    EXPECT_EQ(Values(Feed({0x01, 0xFE}, T0)), (Bytes{0x79, 0x11, 0x00, 0x00, 0x79}));
}

TEST_F(EngineTest, PulledOutBetweenCommandsItAnswersTheCommandInProgressFirst) {
    Make();
    Feed({0x7F, 0x00}, T0);  // half a Get
    engine_->PowerOffBeforeNextCommand();
    EXPECT_EQ(Values(Feed({0xFF}, T0)).size(), 15u);
    EXPECT_FALSE(engine_->HungUp());
    EXPECT_TRUE(Values(Feed({0x01, 0xFE}, T0)).empty());
    EXPECT_TRUE(engine_->HungUp());
}

TEST_F(EngineTest, GapLongerThanTheFrameTimeoutEndsTheFrameEvenWithoutACheck) {
    Options options;
    options.frameTimeout = 100ms;
    Make(options);
    Feed({0x7F}, T0);
    Feed({0x11, 0xEE, 0x00, 0x00}, T0);  // command and half an address
    ASSERT_EQ(engine_->StallDeadline(), T0 + 3ms + 100ms);

    // No CheckStall in between: the gap itself must tell.
    EXPECT_EQ(Values(Feed({0x01, 0xFE}, T0 + 3ms + 101ms)), (Bytes{0x79, 0x11, 0x00, 0x00, 0x79}));
    const auto commands = journal_.Commands();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0], (CommandRecord{0x11, std::nullopt, Outcome::Incomplete}));
    EXPECT_EQ(commands[1].outcome, Outcome::Completed);
}

TEST_F(EngineTest, CheckStallRecordsTheAbandonedCommandWithItsAddress) {
    Options options;
    options.frameTimeout = 100ms;
    Make(options);
    Feed({0x7F}, T0);
    Feed({0x31, 0xCE, 0x00, 0x00, 0x90, 0x00, 0x90, 0x7F, 0x00}, T0);
    engine_->CheckStall(T0 + 8ms + 100ms);
    EXPECT_TRUE(journal_.Commands().empty());
    engine_->CheckStall(T0 + 8ms + 101ms);
    EXPECT_EQ(journal_.Commands(),
              (std::vector<CommandRecord>{{0x31, 0x9000, Outcome::Incomplete}}));
    EXPECT_FALSE(engine_->StallDeadline());
    EXPECT_EQ(Values(Feed({0x00, 0xFF}, T0 + 1s)).size(), 15u);
}

TEST_F(EngineTest, ProbesTheLineOncePerRequestNotPerByte) {
    Make();
    Feed({0x7F}, T0);
    Bytes data(128, 0x00);
    data.insert(data.begin(), 0x7F);
    data.push_back(0x7F);
    Feed({0x31, 0xCE, 0x00, 0x00, 0x90, 0x00, 0x90}, T0);
    Feed(data, T0);
    EXPECT_EQ(probes_, 4);  // sync, command, address, data
    EXPECT_EQ(journal_.ObservedRates(), (std::vector<std::uint32_t>(4, 115200)));
}

TEST_F(EngineTest, FaultCountsOnlyAcceptedCommandsOfItsOwnKind) {
    Options options;
    options.phaseFaults = {{CmdReadMemory, 2, FaultPhase::Command, FaultAction::Nack}};
    options.frameTimeout = 1s;  // so that the Write Memory in between is abandoned
    Make(options);
    Feed({0x7F}, T0);
    EXPECT_EQ(Values(Feed({0x11, 0xEF}, T0)), Bytes{NackByte}) << "a refused frame is no command";
    EXPECT_EQ(Values(Feed({0x11, 0xEE, 0, 0, 0, 0, 0, 0x00, 0xFF}, T0)),
              (Bytes{AckByte, AckByte, AckByte, 0xFF}))
        << "first Read Memory";
    EXPECT_EQ(Values(Feed({0x31, 0xCE}, T0)), Bytes{AckByte}) << "a Write Memory in between";
    EXPECT_EQ(Values(Feed({0x11, 0xEE}, T0 + 5s)), Bytes{NackByte}) << "second Read Memory";

    const auto commands = journal_.Commands();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0].outcome, Outcome::Nacked);
    EXPECT_EQ(commands[1].outcome, Outcome::Completed);
    EXPECT_EQ(commands[2].outcome, Outcome::Incomplete);
    EXPECT_EQ(commands[3].outcome, Outcome::Faulted);
}

}  // namespace
}  // namespace bootsim
