// The life of the pty around the protocol: hosts coming and going, exclusive
// use, the record of what arrived, stopping.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "session_fixture.h"

namespace bootsim_test {
namespace {

using bootsim::CommandRecord;
using bootsim::Outcome;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

using HostLifeTest = Session;

TEST_F(HostLifeTest, DeviceOutlivesTheHostClosingAndReopeningThePort) {
    Start();
    Synchronise();
    for (std::uint8_t round = 0; round < 4; ++round) {
        const std::uint32_t address = 0x9000 + round * 128u;
        ASSERT_TRUE(WriteBlock(address, Pattern(128, round))) << "round " << int{round};
        client.reset();
        std::this_thread::sleep_for(20ms);  // the device sits with no host at all
        client = std::make_unique<PtyClient>(server->SlavePath());
        EXPECT_EQ(ReadBlock(address, 128), Pattern(128, round))
            << "still synchronised and holding the block, round " << int{round};
    }
    EXPECT_EQ(server->Records().SyncsAnswered(), 1u);
}

TEST_F(HostLifeTest, HostCanTakeThePortExclusivelyWithFlock) {
    Start();
    ASSERT_EQ(::flock(client->Fd(), LOCK_EX | LOCK_NB), 0)
        << "the device's own hold on the slave must not block the host's lock";
    const int second = ::open(server->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(second, 0);
    EXPECT_NE(::flock(second, LOCK_EX | LOCK_NB), 0) << "a second host is shut out";
    ::close(second);
    Synchronise();
}

TEST_F(HostLifeTest, CountsTheClosesOfTheHostsLastDescriptor) {
    bootsim::Options options;
    options.watchHost = true;
    Start(options);
    const auto closesBecome = [&](unsigned count) {
        const auto end = Clock::now() + 2s;
        while (server->HostCloses() != count && Clock::now() < end)
            std::this_thread::sleep_for(1ms);
        return server->HostCloses() == count;
    };
    const int second = ::open(server->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(second, 0);
    client.reset();
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(closesBecome(0)) << "another descriptor of the host is still open";
    ::close(second);
    EXPECT_TRUE(closesBecome(1));
    client = std::make_unique<PtyClient>(server->SlavePath());
    client.reset();
    EXPECT_TRUE(closesBecome(2)) << "a reopened port closes again";
    EXPECT_GE(server->HostOpens(), 1u);
}

TEST_F(HostLifeTest, RecordsEveryByteTheHostSentWithItsTime) {
    Start();
    const auto before = Clock::now();
    Synchronise();
    ASSERT_TRUE(WriteBlock(0x1000, Pattern(128, 9)));
    ASSERT_TRUE(ReadBlock(0x1000, 128));
    const auto after = Clock::now();

    const Bytes expected =
        Concat(Concat(Concat({0x7F, 0x31, 0xCE}, AddressFrame(0x1000)), DataFrame(Pattern(128, 9))),
               Concat(Concat({0x11, 0xEE}, AddressFrame(0x1000)), {0x7F, 0x80}));
    EXPECT_EQ(server->Records().ReceivedValues(), expected);

    const auto received = server->Records().Received();
    for (std::size_t i = 0; i < received.size(); ++i) {
        EXPECT_GE(received[i].at, before);
        EXPECT_LE(received[i].at, after) << "byte " << i << " arrived after the last answer";
        if (i > 0) {
            EXPECT_GE(received[i].at, received[i - 1].at);
        }
    }
}

TEST_F(HostLifeTest, StalledFrameIsDroppedAndTheNextCommandStandsAlone) {
    bootsim::Options options;
    options.frameTimeout = 200ms;
    Start(options);
    Synchronise();
    ASSERT_EQ(Exchange(CommandFrame(0x31), 1), Bytes{Ack});
    client->Send({0x00, 0x00});  // two of the five address bytes, then nothing
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(Exchange(CommandFrame(0x01), 5), (Bytes{0x79, 0x11, 0x00, 0x00, 0x79}));
    EXPECT_EQ(server->Records().Commands(),
              (std::vector<CommandRecord>{{0x31, std::nullopt, Outcome::Incomplete},
                                          {0x01, std::nullopt, Outcome::Completed}}));
}

TEST_F(HostLifeTest, StopRecordsTheCommandInProgressAndKeepsTheRecords) {
    Start();
    Synchronise();
    ASSERT_TRUE(WriteBlock(0x9000, Pattern(128, 1)));
    ASSERT_EQ(Exchange(CommandFrame(0x31), 1), Bytes{Ack});
    ASSERT_EQ(Exchange(AddressFrame(0x9080), 1), Bytes{Ack});
    client->Send({0x7F, 0x01, 0x02});
    // Let the server take the bytes in before it is stopped.
    const auto deadline = Clock::now() + 5s;
    while (server->Records().Received().size() < 1 + 137 + 2 + 5 + 3 && Clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    server->Stop();
    server->Stop();  // a second stop is harmless

    EXPECT_EQ(server->Records().Commands(),
              (std::vector<CommandRecord>{{0x31, 0x9000, Outcome::Completed},
                                          {0x31, 0x9080, Outcome::Incomplete}}));
    EXPECT_EQ(MemoryAt(0x9000, 128), Pattern(128, 1));
    EXPECT_EQ(MemoryAt(0x9080, 128), Bytes(128, 0xFF));
}

}  // namespace
}  // namespace bootsim_test
