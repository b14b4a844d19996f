// Each command of the emulated bootloader over a real pty, byte for byte.
#include <gtest/gtest.h>

#include "session_fixture.h"

namespace bootsim_test {
namespace {

using bootsim::CommandRecord;
using bootsim::Outcome;

using SyncTest = Session;

TEST_F(SyncTest, FirstSyncByteIsAcknowledgedAndNoiseBeforeItIsIgnored) {
    Start();
    EXPECT_TRUE(Exchange({0x00, 0x55}, 1).empty()) << "no answer before the device is synchronised";
    EXPECT_EQ(Exchange({0x7F}, 1), Bytes{Ack});
    EXPECT_EQ(server->Records().SyncsAnswered(), 1u);
    EXPECT_TRUE(server->Records().Commands().empty());
}

TEST_F(SyncTest, SyncByteOnceSynchronisedIsTakenAsACommandCode) {
    Start();
    Synchronise();
    client->Send({0x7F});
    EXPECT_TRUE(client->Collect().empty()) << "the device waits for the code's complement";
    EXPECT_EQ(Exchange({0x7F}, 1), Bytes{Nack})
        << "7F 7F is a command frame with a wrong complement";
    EXPECT_EQ(Exchange({0x7F, 0x80}, 1), Bytes{Nack}) << "7F is no command of the device";
    EXPECT_EQ(server->Records().SyncsAnswered(), 1u);
    EXPECT_EQ(server->Records().Commands(),
              (std::vector<CommandRecord>{{0x7F, std::nullopt, Outcome::Nacked},
                                          {0x7F, std::nullopt, Outcome::Nacked}}));
}

using IdentityTest = Session;

TEST_F(IdentityTest, GetListsVersionAndTheElevenCommands) {
    Start();
    Synchronise();
    EXPECT_EQ(Exchange({0x00, 0xFF}, 15), (Bytes{0x79, 0x0B, 0x11, 0x00, 0x01, 0x02, 0x11, 0x21,
                                                 0x31, 0x43, 0x63, 0x73, 0x82, 0x92, 0x79}));
}

TEST_F(IdentityTest, GetFollowsTheConfiguredVersionAndList) {
    bootsim::Options options;
    options.version = 0x22;
    options.commands = {0x00, 0x11, 0x31};
    Start(options);
    Synchronise();
    EXPECT_EQ(Exchange({0x00, 0xFF}, 7), (Bytes{0x79, 0x03, 0x22, 0x00, 0x11, 0x31, 0x79}));
}

TEST_F(IdentityTest, GetCanAnnounceACountThatDisagreesWithTheList) {
    bootsim::Options options;
    options.getCountOverride = 13;
    Start(options);
    Synchronise();
    const Bytes answer = Exchange({0x00, 0xFF}, 15);
    ASSERT_EQ(answer.size(), 15u);
    EXPECT_EQ(answer[1], 13);
    EXPECT_EQ(answer.back(), Ack) << "the list itself is still the eleven codes";
    EXPECT_TRUE(client->Collect().empty());
}

TEST_F(IdentityTest, GetVersionAndGetIdAnswer) {
    bootsim::Options options;
    options.productId = 0x0440;
    Start(options);
    Synchronise();
    EXPECT_EQ(Exchange({0x01, 0xFE}, 5), (Bytes{0x79, 0x11, 0x00, 0x00, 0x79}));
    EXPECT_EQ(Exchange({0x02, 0xFD}, 5), (Bytes{0x79, 0x01, 0x04, 0x40, 0x79}));
    EXPECT_EQ(server->Records().Commands(),
              (std::vector<CommandRecord>{{0x01, std::nullopt, Outcome::Completed},
                                          {0x02, std::nullopt, Outcome::Completed}}));
}

using CommandFrameTest = Session;

TEST_F(CommandFrameTest, BadComplementOrUnservedCodeIsRefused) {
    bootsim::Options options;
    options.commands = {0x00, 0x01, 0x02, 0x11, 0x21, 0x31};  // no Erase
    Start(options);
    Synchronise();
    EXPECT_EQ(Exchange({0x00, 0x00}, 1), Bytes{Nack}) << "wrong complement";
    EXPECT_EQ(Exchange({0x31, 0xCF}, 1), Bytes{Nack}) << "wrong complement";
    EXPECT_EQ(Exchange({0x44, 0xBB}, 1), Bytes{Nack}) << "not in the list";
    EXPECT_EQ(Exchange({0x43, 0xBC}, 1), Bytes{Nack}) << "emulated but not in this list";
    EXPECT_EQ(Exchange({0x21, 0xDE}, 1), Bytes{Nack}) << "listed but not emulated (Go)";
    EXPECT_EQ(Exchange({0x00, 0xFF}, 1), Bytes{Ack}) << "the device still takes commands";
}

using ReadMemoryTest = Session;

TEST_F(ReadMemoryTest, ReadsTheBlockAtTheAddressFrame) {
    Start();
    const Bytes block = Pattern(128, 3);
    server->Memory().Write(0x9000, block);
    Synchronise();
    EXPECT_EQ(Exchange({0x11, 0xEE}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange({0x00, 0x00, 0x90, 0x00, 0x90}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange({0x7F, 0x80}, 129), Concat({Ack}, block));
    EXPECT_EQ(server->Records().Commands(),
              (std::vector<CommandRecord>{{0x11, 0x9000, Outcome::Completed}}));
}

TEST_F(ReadMemoryTest, ReadsAnyLengthUpToTheEndOfMemory) {
    bootsim::Options options;
    options.fill = 0x00;
    Start(options);
    server->Memory().Write(0x1FF00, Pattern(256, 9));
    Synchronise();
    EXPECT_EQ(ReadBlock(0x1FF00, 256), Pattern(256, 9));
    EXPECT_EQ(ReadBlock(0x1FFFF, 1), Bytes{Pattern(256, 9).back()});
}

TEST_F(ReadMemoryTest, RefusesBadFramesAndRangesOutsideMemory) {
    Start();
    Synchronise();
    EXPECT_EQ(Exchange({0x11, 0xEE}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange({0x00, 0x00, 0x90, 0x00, 0x91}, 1), Bytes{Nack}) << "address checksum";

    EXPECT_EQ(Exchange({0x11, 0xEE}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange(AddressFrame(0x20000), 1), Bytes{Nack}) << "first byte past memory";

    EXPECT_EQ(Exchange({0x11, 0xEE}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange(AddressFrame(0x08000000), 1), Bytes{Nack}) << "far outside memory";

    EXPECT_EQ(Exchange({0x11, 0xEE}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange(AddressFrame(0x1FF81), 1), Bytes{Ack});
    EXPECT_EQ(Exchange(CountFrame(128), 1), Bytes{Nack}) << "block runs past the end";

    EXPECT_EQ(Exchange({0x11, 0xEE}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange(AddressFrame(0x9000), 1), Bytes{Ack});
    EXPECT_EQ(Exchange({0x7F, 0x7F}, 1), Bytes{Nack}) << "count complement";

    const auto commands = server->Records().Commands();
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[0], (CommandRecord{0x11, std::nullopt, Outcome::Nacked}));
    EXPECT_EQ(commands[1], (CommandRecord{0x11, 0x20000, Outcome::Nacked}));
    EXPECT_EQ(commands[3], (CommandRecord{0x11, 0x1FF81, Outcome::Nacked}));
}

using WriteMemoryTest = Session;

TEST_F(WriteMemoryTest, StoresTheBlockAndReadsItBack) {
    Start();
    const Bytes block = Pattern(128, 0x40);
    Synchronise();
    EXPECT_EQ(Exchange({0x31, 0xCE}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange({0x00, 0x00, 0x10, 0x00, 0x10}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange(DataFrame(block), 1), Bytes{Ack});
    EXPECT_EQ(MemoryAt(0x1000, 128), block);
    EXPECT_EQ(MemoryAt(0x0FFF, 1), Bytes{0xFF}) << "nothing before the block changed";
    EXPECT_EQ(MemoryAt(0x1080, 1), Bytes{0xFF}) << "nothing after the block changed";
    EXPECT_EQ(ReadBlock(0x1000, 128), block);
    EXPECT_EQ(server->Records().Commands(),
              (std::vector<CommandRecord>{{0x31, 0x1000, Outcome::Completed},
                                          {0x11, 0x1000, Outcome::Completed}}));
}

TEST_F(WriteMemoryTest, ChecksumCoversTheCountByte) {
    Start();
    Synchronise();
    // All-zero data: the checksum is the count byte alone.
    EXPECT_TRUE(WriteBlock(0x2000, Bytes(128, 0x00)));
    EXPECT_EQ(MemoryAt(0x2000, 128), Bytes(128, 0x00));

    Bytes frame = DataFrame(Bytes(128, 0x11));
    frame.back() ^= 0x7F;  // as if the count byte had been left out of the sum
    EXPECT_EQ(Exchange(CommandFrame(0x31), 1), Bytes{Ack});
    EXPECT_EQ(Exchange(AddressFrame(0x2000), 1), Bytes{Ack});
    EXPECT_EQ(Exchange(frame, 1), Bytes{Nack});
    EXPECT_EQ(MemoryAt(0x2000, 128), Bytes(128, 0x00)) << "a refused block stores nothing";
}

TEST_F(WriteMemoryTest, RefusesABlockThatRunsPastTheEnd) {
    Start();
    Synchronise();
    EXPECT_EQ(Exchange(CommandFrame(0x31), 1), Bytes{Ack});
    EXPECT_EQ(Exchange(AddressFrame(0x1FFC0), 1), Bytes{Ack});
    EXPECT_EQ(Exchange(DataFrame(Pattern(128, 1)), 1), Bytes{Nack});
    EXPECT_EQ(MemoryAt(0x1FFC0, 64), Bytes(64, 0xFF));
    EXPECT_TRUE(WriteBlock(0x1FFC0, Pattern(64, 1))) << "the part that fits is fine";
    EXPECT_EQ(MemoryAt(0x1FFC0, 64), Pattern(64, 1));
}

using EraseTest = Session;

TEST_F(EraseTest, GlobalEraseClearsAllMemory) {
    bootsim::Options options;
    options.fill = 0x00;
    Start(options);
    Synchronise();
    EXPECT_EQ(Exchange({0x43, 0xBC}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange({0xFF, 0x00}, 1), Bytes{Ack});
    const auto memory = server->Memory().Snapshot();
    EXPECT_EQ(std::count(memory.begin(), memory.end(), 0xFF), 0x20000);
}

TEST_F(EraseTest, PageEraseClearsOnlyTheNamedPages) {
    bootsim::Options options;
    options.fill = 0x00;
    Start(options);
    Synchronise();
    EXPECT_EQ(Exchange({0x43, 0xBC}, 1), Bytes{Ack});
    // Two pages, 0x24 and 0x7F: N = 1, checksum 01 ^ 24 ^ 7F.
    EXPECT_EQ(Exchange({0x01, 0x24, 0x7F, 0x5A}, 1), Bytes{Ack});
    EXPECT_EQ(MemoryAt(0x9000, 1024), Bytes(1024, 0xFF));
    EXPECT_EQ(MemoryAt(0x1FC00, 1024), Bytes(1024, 0xFF));
    EXPECT_EQ(MemoryAt(0x8FFF, 1), Bytes{0x00});
    EXPECT_EQ(MemoryAt(0x9400, 1), Bytes{0x00});
}

TEST_F(EraseTest, RefusesBadFramesAndLeavesMemoryAlone) {
    bootsim::Options options;
    options.fill = 0x00;
    Start(options);
    Synchronise();
    EXPECT_EQ(Exchange({0x43, 0xBC}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange({0x00, 0x05, 0x00}, 1), Bytes{Nack}) << "checksum";
    EXPECT_EQ(Exchange({0x43, 0xBC}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange({0x00, 0x80, 0x80}, 1), Bytes{Nack}) << "page 128 does not exist";
    EXPECT_EQ(Exchange({0x43, 0xBC}, 1), Bytes{Ack});
    EXPECT_EQ(Exchange({0xFF, 0x01}, 1), Bytes{Nack}) << "global erase needs 0x00 after 0xFF";
    const auto memory = server->Memory().Snapshot();
    EXPECT_EQ(std::count(memory.begin(), memory.end(), 0x00), 0x20000);
}

}  // namespace
}  // namespace bootsim_test
