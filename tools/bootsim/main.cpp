// kestrun-bootsim: the emulated programmer on a pseudo-terminal, for trying
// the updater by hand and for the Windows program's tests under Wine.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "tools/bootsim/command_line.h"
#include "tools/bootsim/pty_server.h"

namespace {

void PrintRecord(const bootsim::Journal& journal) {
    const auto commands = journal.Commands();
    std::fprintf(stderr, "syncs answered: %u, commands: %zu\n", journal.SyncsAnswered(),
                 commands.size());
    std::size_t number = 0;
    for (const bootsim::CommandRecord& command : commands) {
        std::fprintf(stderr, "%6zu  0x%02X %-12s", ++number, command.code,
                     bootsim::CommandName(command.code));
        if (command.address) {
            std::fprintf(stderr, "  0x%08X", *command.address);
        } else {
            std::fprintf(stderr, "            ");
        }
        std::fprintf(stderr, "  %s\n", std::string(bootsim::OutcomeName(command.outcome)).c_str());
    }
}

// Standard input as a source of whole lines, read without blocking; once it
// ends (as /dev/null does at once) it is no longer looked at.
class InputLines {
  public:
    // The next whole line that has arrived, if any.
    std::optional<std::string> Next() {
        for (;;) {
            const std::size_t end = pending_.find('\n');
            if (end != std::string::npos) {
                std::string line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                return line;
            }
            pollfd input{0, POLLIN, 0};
            if (ended_ || ::poll(&input, 1, 0) <= 0) {
                return std::nullopt;
            }
            char bytes[256];
            const ssize_t count = ::read(0, bytes, sizeof bytes);
            if (count <= 0) {
                ended_ = count == 0 || errno != EINTR;
                return std::nullopt;
            }
            pending_.append(bytes, static_cast<std::size_t>(count));
        }
    }

  private:
    std::string pending_;
    bool ended_ = false;
};

bool Dump(const bootsim::DeviceMemory& memory, const std::string& path) {
    const auto bytes = memory.Snapshot();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

}  // namespace

int main(int argc, char* argv[]) {
    std::string error;
    const auto line = bootsim::ParseCommandLine(argc, argv, error);
    if (!line) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", argv[0], error.c_str(), argv[0]);
        return 2;
    }
    if (line->help) {
        std::fputs(bootsim::UsageText(argv[0]).c_str(), stdout);
        return 0;
    }

    // Blocked before the serving thread exists, so that only sigtimedwait below
    // ever takes these signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        // The host is another process: watching it disturbs nothing.
        bootsim::Options options = line->options;
        options.watchHost = true;
        bootsim::PtyServer server(options);
        std::printf("%s\n", server.SlavePath().c_str());
        std::fflush(stdout);

        // What a test watching this output waits for, as it happens.
        unsigned opensShown = 0;
        unsigned closesShown = 0;
        bool silenceShown = false;
        InputLines input;
        const timespec look{0, 20'000'000};
        while (sigtimedwait(&stopSignals, nullptr, &look) < 0) {
            while (const auto request = input.Next()) {
                if (*request == "unplug") {
                    server.Unplug();
                    std::printf("unplugged\n");
                } else if (*request == "unplug-between-commands") {
                    server.UnplugBetweenCommands();
                    std::printf("unplugged\n");
                } else if (*request == "plug") {
                    server.PlugIn();
                    silenceShown = false;
                    std::printf("plugged\n");
                } else {
                    std::fprintf(stderr, "%s: unknown request '%s'\n", argv[0], request->c_str());
                }
            }
            for (; opensShown < server.HostOpens(); ++opensShown) {
                std::printf("opened\n");
            }
            for (; closesShown < server.HostCloses(); ++closesShown) {
                std::printf("closed\n");
            }
            if (!silenceShown && server.HungUp()) {
                silenceShown = true;
                std::printf("silent\n");
            }
            std::fflush(stdout);
        }
        server.Stop();

        PrintRecord(server.Records());
        if (!line->dumpPath.empty() && !Dump(server.Memory(), line->dumpPath)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], line->dumpPath.c_str());
            return 1;
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s: %s\n", argv[0], failure.what());
        return 1;
    }
    return 0;
}
