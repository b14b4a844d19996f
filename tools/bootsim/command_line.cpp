#include "tools/bootsim/command_line.h"

#include <getopt.h>

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <vector>

namespace bootsim {

namespace {

enum OptionId {
    OptBaudPace = 1000,
    OptOnlyAt,
    OptGarbageAtWrongRate,
    OptGarbageByte,
    OptFill,
    OptVersion,
    OptPid,
    OptCommands,
    OptGetCount,
    OptWriteDelay,
    OptFrameTimeout,
    OptResync,
    OptIgnoreSyncs,
    OptFault,
    OptCorruptRead,
    OptStaleAck,
    OptCutRead,
    OptHangUpAfterWrite,
    OptDump,
    OptHelp,
};

const option LongOptions[] = {
    {"baud-pace", required_argument, nullptr, OptBaudPace},
    {"only-at", required_argument, nullptr, OptOnlyAt},
    {"garbage-at-wrong-rate", no_argument, nullptr, OptGarbageAtWrongRate},
    {"garbage-byte", required_argument, nullptr, OptGarbageByte},
    {"fill", required_argument, nullptr, OptFill},
    {"version", required_argument, nullptr, OptVersion},
    {"pid", required_argument, nullptr, OptPid},
    {"commands", required_argument, nullptr, OptCommands},
    {"get-count", required_argument, nullptr, OptGetCount},
    {"write-delay-ms", required_argument, nullptr, OptWriteDelay},
    {"frame-timeout-ms", required_argument, nullptr, OptFrameTimeout},
    {"resync-between-commands", no_argument, nullptr, OptResync},
    {"ignore-syncs", required_argument, nullptr, OptIgnoreSyncs},
    {"fault", required_argument, nullptr, OptFault},
    {"corrupt-read", required_argument, nullptr, OptCorruptRead},
    {"stale-ack", required_argument, nullptr, OptStaleAck},
    {"cut-read", required_argument, nullptr, OptCutRead},
    {"hang-up-after-write", required_argument, nullptr, OptHangUpAfterWrite},
    {"dump", required_argument, nullptr, OptDump},
    {"help", no_argument, nullptr, OptHelp},
    {nullptr, 0, nullptr, 0},
};

// Decimal, or hexadecimal with 0x; the whole text must be the number.
std::optional<std::uint32_t> ParseNumber(std::string_view text, std::uint32_t max) {
    const std::string copy(text);
    if (copy.empty() || copy[0] == '-' || copy[0] == '+') {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(copy.c_str(), &end, 0);
    if (errno != 0 || end != copy.c_str() + copy.size() || value > max) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::optional<PhaseFault> ParseFault(std::string_view text) {
    const auto parts = SplitAt(text, ':');
    if (parts.size() != 4) {
        return std::nullopt;
    }
    PhaseFault fault;
    if (parts[0] == "write") {
        fault.command = CmdWriteMemory;
    } else if (parts[0] == "read") {
        fault.command = CmdReadMemory;
    } else {
        return std::nullopt;
    }
    const auto nth = ParseNumber(parts[1], std::numeric_limits<std::uint32_t>::max());
    if (!nth || *nth == 0) {
        return std::nullopt;
    }
    fault.nth = *nth;
    if (parts[2] == "command") {
        fault.phase = FaultPhase::Command;
    } else if (parts[2] == "address") {
        fault.phase = FaultPhase::Address;
    } else if (parts[2] == "data" || parts[2] == "count") {
        fault.phase = FaultPhase::Data;
    } else {
        return std::nullopt;
    }
    if (parts[3] == "nack") {
        fault.action = FaultAction::Nack;
    } else if (parts[3] == "silence") {
        fault.action = FaultAction::Silence;
    } else if (parts[3] == "garbage") {
        fault.action = FaultAction::Garbage;
    } else {
        return std::nullopt;
    }
    return fault;
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(int argc, char* const argv[], std::string& error) {
    CommandLine line;
    Options& options = line.options;
    constexpr std::uint32_t AnyCount = std::numeric_limits<std::uint32_t>::max();
    const auto bad = [&error](std::string_view name, std::string_view value) {
        error = "invalid value for --" + std::string(name) + ": '" + std::string(value) + "'";
        return std::nullopt;
    };

    optind = 0;  // start afresh, so that a second parse in one process works
    opterr = 0;  // the messages are ours
    for (;;) {
        int index = -1;
        // '+': stop at the first operand instead of reordering argv.
        const int id = ::getopt_long(argc, argv, "+", LongOptions, &index);
        if (id == -1) {
            break;
        }
        if (id == '?' || index < 0) {
            error = "unknown or incomplete option: " + std::string(argv[optind - 1]);
            return std::nullopt;
        }
        const std::string_view name = LongOptions[index].name;
        const std::string_view value = optarg ? optarg : "";
        const auto number = [&](std::uint32_t max) { return ParseNumber(value, max); };

        switch (id) {
            case OptBaudPace:
            case OptOnlyAt: {
                const auto rate = number(AnyCount);
                if (!rate) {
                    return bad(name, value);
                }
                (id == OptBaudPace ? options.paceBaud : options.answerOnlyAt) = *rate;
                break;
            }
            case OptGarbageAtWrongRate:
                options.garbageAtWrongRate = true;
                break;
            case OptGarbageByte:
            case OptFill:
            case OptVersion:
            case OptGetCount: {
                const auto byte = number(0xFF);
                if (!byte) {
                    return bad(name, value);
                }
                const auto b = static_cast<std::uint8_t>(*byte);
                if (id == OptGarbageByte) {
                    options.garbageByte = b;
                } else if (id == OptFill) {
                    options.fill = b;
                } else if (id == OptVersion) {
                    options.version = b;
                } else {
                    options.getCountOverride = b;
                }
                break;
            }
            case OptPid: {
                const auto pid = number(0xFFFF);
                if (!pid) {
                    return bad(name, value);
                }
                options.productId = static_cast<std::uint16_t>(*pid);
                break;
            }
            case OptCommands: {
                options.commands.clear();
                if (value.empty()) {
                    break;
                }
                for (std::string_view code : SplitAt(value, ',')) {
                    const auto byte = ParseNumber(code, 0xFF);
                    if (!byte) {
                        return bad(name, value);
                    }
                    options.commands.push_back(static_cast<std::uint8_t>(*byte));
                }
                if (options.commands.size() > 255) {
                    return bad(name, value);
                }
                break;
            }
            case OptWriteDelay:
            case OptFrameTimeout: {
                const auto ms = number(3'600'000);
                if (!ms) {
                    return bad(name, value);
                }
                if (id == OptWriteDelay) {
                    options.writeDelay = std::chrono::milliseconds(*ms);
                } else {
                    options.frameTimeout = std::chrono::milliseconds(*ms);
                }
                break;
            }
            case OptResync:
                options.resyncBetweenCommands = true;
                break;
            case OptIgnoreSyncs:
            case OptStaleAck:
            case OptHangUpAfterWrite: {
                const auto count = number(AnyCount);
                if (!count) {
                    return bad(name, value);
                }
                (id == OptIgnoreSyncs ? options.ignoreSyncs
                 : id == OptStaleAck  ? options.staleAckAfterCommand
                                      : options.hangUpAfterWrite) = *count;
                break;
            }
            case OptFault: {
                const auto fault = ParseFault(value);
                if (!fault) {
                    return bad(name, value);
                }
                options.phaseFaults.push_back(*fault);
                break;
            }
            case OptCorruptRead: {
                const auto parts = SplitAt(value, ':');
                const auto nth = parts.size() == 2 ? ParseNumber(parts[0], AnyCount) : std::nullopt;
                const auto byte = parts.size() == 2 ? ParseNumber(parts[1], 255) : std::nullopt;
                if (!nth || *nth == 0 || !byte) {
                    return bad(name, value);
                }
                options.readCorruptions.push_back({*nth, static_cast<std::uint8_t>(*byte)});
                break;
            }
            case OptCutRead: {
                const auto parts = SplitAt(value, ':');
                const auto nth = parts.size() <= 2 ? ParseNumber(parts[0], AnyCount) : std::nullopt;
                const auto keep = parts.size() == 2 ? ParseNumber(parts[1], 256)
                                                    : std::optional<std::uint32_t>(100);
                if (!nth || !keep) {
                    return bad(name, value);
                }
                options.cutReadAnswer = *nth;
                options.cutReadKeep = *keep;
                break;
            }
            case OptDump:
                if (value.empty()) {
                    return bad(name, value);
                }
                line.dumpPath = value;
                break;
            case OptHelp:
                line.help = true;
                break;
            default:
                error = "unhandled option";
                return std::nullopt;
        }
    }
    if (optind < argc) {
        error = "unexpected argument: " + std::string(argv[optind]);
        return std::nullopt;
    }
    return line;
}

std::string UsageText(std::string_view program) {
    std::ostringstream text;
    text << "Usage: " << program << " [OPTION]...\n"
         << R"(Emulates the programmer cable with the device's serial bootloader behind it on a
pseudo-terminal. Prints the terminal's path as the first line, serves until
SIGINT or SIGTERM, then prints the commands it handled to standard error.
While serving it prints "opened" when the host opens the terminal, "closed"
each time the host's last descriptor of it closes, and "silent" when a fault
makes the device fall silent.
It behaves as the chip's own bootloader: it waits for the rest of a command
for ever, takes a 0x7F after synchronising as a command code, and keeps the
rate it synchronised at, hearing and answering other rates as other bytes.
A line "unplug" on standard input pulls the cable out (the device loses
power), "unplug-between-commands" does so once the command in progress has
been answered, and "plug" puts it back (the device restarts, keeping its
memory); each is echoed as "unplugged" or "plugged" once done.
Numbers are decimal or 0x-prefixed hexadecimal.

Device:
  --version BYTE            bootloader version reported by Get (default 0x11)
  --commands LIST           comma-separated command codes listed by Get
                            (default 0x00,0x01,0x02,0x11,0x21,0x31,0x43,0x63,0x73,0x82,0x92)
  --get-count N             announce N commands in Get, whatever the list holds
  --pid NUMBER              product ID reported by Get ID (default 0x0410)
  --fill BYTE               initial content of all 128 KiB of memory (default 0xFF)
  --write-delay-ms MS       programming time before Write Memory's final ACK
  --frame-timeout-ms MS     silence after which a half-received frame is dropped
                            (default: never)
  --resync-between-commands answer a 0x7F between commands as a new sync

Line:
  --baud-pace RATE          pace both directions as a wire at RATE would (11 bits
                            per byte); 0 = unpaced (default)
  --only-at RATE            answer only while the host's line is set to RATE
  --garbage-at-wrong-rate   at another rate answer --garbage-byte instead of nothing
  --garbage-byte BYTE       the byte sent as garbage (default 0xA5)

Faults (commands count from 1):
  --ignore-syncs K          leave the first K sync bytes unanswered
  --fault CMD:N:PHASE:ACTION
                            CMD read|write, PHASE command|address|data|count,
                            ACTION nack|silence|garbage: replace that ACK of the
                            N-th such command (repeatable)
  --corrupt-read N:I        invert data byte I (0..127) of the N-th Read Memory
                            answer (repeatable)
  --stale-ack N             send an extra ACK right after the N-th command's answer
  --cut-read N[:KEEP]       stop the N-th Read Memory answer after KEEP bytes,
                            counting its ACK (default 100)
  --hang-up-after-write N   fall silent after the N-th stored block, until the
                            cable is plugged in again

Output:
  --dump FILE               write the 128 KiB of memory to FILE on exit
  --help                    show this text
)";
    return text.str();
}

}  // namespace bootsim
