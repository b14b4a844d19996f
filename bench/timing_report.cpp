#include "bench/timing_report.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>
#include <thread>

#include "bench/wire_model.h"

namespace bench {

double TargetRatio(std::uint32_t baud) {
    return baud == SlowBaud ? 1.02 : 1.15;
}

std::optional<std::uint32_t> BaudFromCommandLine(int argc, char** argv, const char* program) {
    std::uint32_t baud = FastBaud;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--baud" && i + 1 < argc) {
            const std::string value = argv[++i];
            if (value == "115200") {
                baud = FastBaud;
                continue;
            }
            if (value == "9600") {
                baud = SlowBaud;
                continue;
            }
        }
        std::fprintf(stderr, "usage: %s [--baud 115200|9600]\n", program);
        return std::nullopt;
    }
    return baud;
}

int RunBenchmark(int argc, char** argv, const char* program, int (*run)(std::uint32_t baud)) {
    const auto baud = BaudFromCommandLine(argc, argv, program);
    if (!baud)
        return 2;
    try {
        return run(*baud);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", program, e.what());
        return EXIT_FAILURE;
    }
}

void PrintMachine() {
    double load = -1;
    std::ifstream("/proc/loadavg") >> load;
    std::printf("machine:          %u cores, load average %.2f\n",
                std::thread::hardware_concurrency(), load);
}

bool PrintTiming(const TimingFigures& f) {
    const std::uint32_t operations = f.writes + f.reads;
    const std::uint64_t wireBytes = std::uint64_t{operations} * BlockExchangeBytes;
    const double wire = WireSeconds(wireBytes, f.baud);
    const double ratio = f.span.wallSeconds / wire;
    const PollFloor floor = BlockPollFloor(f.writes, f.reads, f.baud, f.sleepPeriod);
    const double target = TargetRatio(f.baud);
    const bool met = ratio <= target;

    std::printf("elapsed:          %.3f s for %u block operations (%u writes, %u reads)\n",
                f.span.wallSeconds, operations, f.writes, f.reads);
    std::printf("wire limit:       %.3f s = %u x %u bytes x %u bits / %u baud\n", wire, operations,
                BlockExchangeBytes, BitsPerByte, f.baud);
    std::printf("ratio:            %.4f (elapsed / wire limit)\n", ratio);
    std::printf(
        "poll-model floor: %.4f (%llu polls of %.4f ms = %.3f s; Sleep(1) averaged over "
        "%d sleeps)\n",
        floor.seconds / wire, static_cast<unsigned long long>(floor.polls), f.sleepPeriod * 1e3,
        floor.seconds, f.sleepSamples);
    std::printf(
        "CPU:              %.3f s process (user+system), %.3f s of it on the updater "
        "thread\n",
        f.span.processCpuSeconds, f.span.threadCpuSeconds);
    std::printf("target:           ratio <= %.2f at %u baud: %s\n", target, f.baud,
                met ? "met" : "NOT met");
    return met;
}

}  // namespace bench
