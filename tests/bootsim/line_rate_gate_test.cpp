// The rates the device hears, read from the pty as the host set it: before it
// synchronises, the rate it is told to; after, the rate it synchronised at.
#include <gtest/gtest.h>

#include "session_fixture.h"

namespace bootsim_test {
namespace {

using bootsim::CommandRecord;
using bootsim::Outcome;

using RateGateTest = Session;

TEST_F(RateGateTest, SilentUntilTheHostUsesTheRightRate) {
    bootsim::Options options;
    options.answerOnlyAt = 115200;
    Start(options, B9600);
    client->Send({0x7F});
    EXPECT_TRUE(client->Collect().empty());
    client->Send({0x7F});
    EXPECT_TRUE(client->Collect().empty());

    client->SetSpeed(B115200);
    EXPECT_EQ(Exchange({0x7F}, 1), Bytes{Ack});
    EXPECT_EQ(server->Records().SyncsAnswered(), 1u);
    EXPECT_EQ(server->Records().ObservedRates(), (std::vector<std::uint32_t>{9600, 9600, 115200}));
}

TEST_F(RateGateTest, AnswersGarbageAtTheWrongRateWhenToldTo) {
    bootsim::Options options;
    options.answerOnlyAt = 115200;
    options.garbageAtWrongRate = true;
    Start(options, B9600);
    EXPECT_EQ(Exchange({0x7F}, 1), Bytes{0xA5});
    client->SetSpeed(B115200);
    EXPECT_EQ(Exchange({0x7F}, 1), Bytes{Ack});
}

TEST_F(RateGateTest, CommandAtTheWrongRateIsNotHeardAndDoesNotDerailTheNext) {
    bootsim::Options options;
    options.answerOnlyAt = 115200;
    Start(options);
    Synchronise();
    client->SetSpeed(B9600);
    EXPECT_EQ(Exchange(CommandFrame(0x00), 1), Bytes{0xA5})
        << "refused, the refusal reaching the host as another byte";
    client->SetSpeed(B115200);
    EXPECT_EQ(Exchange(CommandFrame(0x01), 5), (Bytes{0x79, 0x11, 0x00, 0x00, 0x79}));
    EXPECT_EQ(server->Records().Commands(),
              (std::vector<CommandRecord>{{0x00, std::nullopt, Outcome::WrongRate},
                                          {0x01, std::nullopt, Outcome::Completed}}));
}

TEST_F(RateGateTest, KeepsTheRateItSynchronisedAtUntilItRestarts) {
    Start({}, B57600);
    Synchronise();
    ASSERT_TRUE(WriteBlock(0x9000, Bytes(128, 1)));
    client->SetSpeed(B115200);
    EXPECT_EQ(Exchange(CommandFrame(0x11), 1), Bytes{0xA5});
    EXPECT_EQ(Exchange({0x7F, 0x7F}, 1), Bytes{0xA5}) << "no new sync: 7F 7F, refused";
    server->Unplug();
    server->PlugIn();
    Synchronise();
    EXPECT_EQ(ReadBlock(0x9000, 128), Bytes(128, 1)) << "the memory outlives the restart";
    // Sync; then command, address and data frames of each command.
    EXPECT_EQ(server->Records().ObservedRates(),
              (std::vector<std::uint32_t>{57600, 57600, 57600, 57600, 115200, 115200, 115200,
                                          115200, 115200, 115200}));
}

}  // namespace
}  // namespace bootsim_test
