// The kestrun-bootsim program: its options, and one real run.
#include "tools/bootsim/command_line.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "host_frames.h"
#include "pty_client.h"

namespace bootsim_test {
namespace {

using bootsim::FaultAction;
using bootsim::FaultPhase;

std::optional<bootsim::CommandLine> Parse(std::initializer_list<const char*> arguments,
                                          std::string& error) {
    std::vector<std::string> storage{"kestrun-bootsim"};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : storage) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    return bootsim::ParseCommandLine(static_cast<int>(storage.size()), argv.data(), error);
}

TEST(CommandLineTest, EveryOptionReachesItsField) {
    std::string error;
    const auto line = Parse({"--baud-pace",
                             "115200",
                             "--only-at=9600",
                             "--garbage-at-wrong-rate",
                             "--garbage-byte",
                             "0x3C",
                             "--fill",
                             "0",
                             "--version",
                             "0x12",
                             "--pid",
                             "0x0440",
                             "--commands",
                             "0x00,0x11,0x31",
                             "--get-count",
                             "13",
                             "--write-delay-ms",
                             "25",
                             "--frame-timeout-ms",
                             "300",
                             "--ignore-syncs",
                             "2",
                             "--fault",
                             "write:3:address:silence",
                             "--fault",
                             "read:1:count:garbage",
                             "--corrupt-read",
                             "2:127",
                             "--stale-ack",
                             "4",
                             "--cut-read",
                             "5",
                             "--hang-up-after-write",
                             "441",
                             "--dump",
                             "/tmp/memory.bin"},
                            error);
    ASSERT_TRUE(line) << error;
    const bootsim::Options& o = line->options;
    EXPECT_EQ(o.paceBaud, 115200u);
    EXPECT_EQ(o.answerOnlyAt, 9600u);
    EXPECT_TRUE(o.garbageAtWrongRate);
    EXPECT_EQ(o.garbageByte, 0x3C);
    EXPECT_EQ(o.fill, 0x00);
    EXPECT_EQ(o.version, 0x12);
    EXPECT_EQ(o.productId, 0x0440);
    EXPECT_EQ(o.commands, (std::vector<std::uint8_t>{0x00, 0x11, 0x31}));
    EXPECT_EQ(o.getCountOverride, 13);
    EXPECT_EQ(o.writeDelay, std::chrono::milliseconds(25));
    EXPECT_EQ(o.frameTimeout, std::chrono::milliseconds(300));
    EXPECT_EQ(o.ignoreSyncs, 2u);
    ASSERT_EQ(o.phaseFaults.size(), 2u);
    EXPECT_EQ(o.phaseFaults[0].command, bootsim::CmdWriteMemory);
    EXPECT_EQ(o.phaseFaults[0].nth, 3u);
    EXPECT_EQ(o.phaseFaults[0].phase, FaultPhase::Address);
    EXPECT_EQ(o.phaseFaults[0].action, FaultAction::Silence);
    EXPECT_EQ(o.phaseFaults[1].command, bootsim::CmdReadMemory);
    EXPECT_EQ(o.phaseFaults[1].phase, FaultPhase::Data);
    EXPECT_EQ(o.phaseFaults[1].action, FaultAction::Garbage);
    ASSERT_EQ(o.readCorruptions.size(), 1u);
    EXPECT_EQ(o.readCorruptions[0].nth, 2u);
    EXPECT_EQ(o.readCorruptions[0].byteIndex, 127);
    EXPECT_EQ(o.staleAckAfterCommand, 4u);
    EXPECT_EQ(o.cutReadAnswer, 5u);
    EXPECT_EQ(o.cutReadKeep, 100u);
    EXPECT_EQ(o.hangUpAfterWrite, 441u);
    EXPECT_EQ(line->dumpPath, "/tmp/memory.bin");
    EXPECT_FALSE(line->help);
}

TEST(CommandLineTest, RefusesWhatItCannotMeanExactly) {
    for (const auto& arguments : std::vector<std::vector<const char*>>{
             {"--fill", "256"},
             {"--fill", "0x1FF"},
             {"--fill", "-1"},
             {"--fill", "12abc"},
             {"--version", ""},
             {"--baud-pace", "fast"},
             {"--fault", "write:0:address:nack"},
             {"--fault", "erase:1:command:nack"},
             {"--fault", "write:1:checksum:nack"},
             {"--fault", "write:1:address:retry"},
             {"--fault", "write:1:address"},
             {"--corrupt-read", "1"},
             {"--corrupt-read", "1:256"},
             {"--commands", "0x00,,0x11"},
             {"--no-such-option"},
             {"--dump"},
             {"stray-operand"},
         }) {
        std::vector<std::string> storage{"kestrun-bootsim"};
        storage.insert(storage.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : storage) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        std::string error;
        EXPECT_FALSE(
            bootsim::ParseCommandLine(static_cast<int>(storage.size()), argv.data(), error))
            << storage[1];
        EXPECT_FALSE(error.empty()) << storage[1];
    }
}

// The program as a user runs it: path on the first line, serve, stop on
// SIGTERM, dump and record on the way out.
TEST(ProgramTest, ServesUntilTerminatedThenDumpsMemoryAndPrintsTheRecord) {
    char dumpPath[] = "/tmp/bootsim-dump-XXXXXX";
    const int dumpFd = ::mkstemp(dumpPath);
    ASSERT_GE(dumpFd, 0);
    ::close(dumpFd);

    int out[2];
    int err[2];
    ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(err, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::string program = BOOTSIM_PROGRAM;
    std::vector<std::string> storage{program, "--fill", "0x00", "--dump", dumpPath};
    std::vector<char*> argv;
    for (std::string& argument : storage) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    ASSERT_EQ(::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);

    std::string path;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') {
        path.push_back(c);
    }
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << "first line: " << path;
    {
        PtyClient client(path);
        client.Send({0x7F});
        EXPECT_EQ(client.Receive(1), Bytes{0x79});
        client.Send(CommandFrame(0x31));
        EXPECT_EQ(client.Receive(1), Bytes{0x79});
        client.Send(AddressFrame(0x1000));
        EXPECT_EQ(client.Receive(1), Bytes{0x79});
        client.Send(DataFrame(Pattern(128, 0x10)));
        EXPECT_EQ(client.Receive(1), Bytes{0x79});
    }

    ASSERT_EQ(::kill(child, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    std::string errors;
    char buffer[256];
    for (ssize_t n; (n = ::read(err[0], buffer, sizeof buffer)) > 0;) {
        errors.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    ::close(err[0]);
    EXPECT_NE(errors.find("syncs answered: 1, commands: 1"), std::string::npos) << errors;
    EXPECT_NE(errors.find("0x31 Write Memory  0x00001000  completed"), std::string::npos) << errors;

    std::ifstream dump(dumpPath, std::ios::binary);
    const Bytes memory{std::istreambuf_iterator<char>(dump), std::istreambuf_iterator<char>()};
    ::unlink(dumpPath);
    ASSERT_EQ(memory.size(), 0x20000u);
    EXPECT_EQ(Bytes(memory.begin() + 0x1000, memory.begin() + 0x1080), Pattern(128, 0x10));
    EXPECT_EQ(memory[0x0FFF], 0x00);
    EXPECT_EQ(memory[0x1080], 0x00);
}

}  // namespace
}  // namespace bootsim_test
