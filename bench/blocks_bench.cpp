// kestrun-bench-blocks: writes the 441 firmware blocks and reads them back
// through the real serial channel, over a pseudo-terminal, against the
// emulated programmer paced like the wire; prints how long that took beside
// what the wire and the 1 ms polls allow.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "bench/paced_programmer.h"
#include "bench/poll_counting_serial.h"
#include "bench/run_meter.h"
#include "bench/timing_report.h"
#include "bench/wire_model.h"
#include "device_tree/device_tree.h"
#include "image/image_store.h"
#include "link/bootloader.h"
#include "link/protocol_buffers.h"
#include "link/serial_channel.h"
#include "link/updater_state.h"
#include "platform/posix/posix_serial.h"
#include "tools/bootsim/pty_server.h"

namespace {

constexpr std::uint32_t BlockSize = devlink::ProtocolBlockSize;
using image::FirmwareBlocks;
constexpr int SleepSamples = 500;

std::uint32_t BlockAddress(std::uint32_t k) {
    return image::FirmwareBase + BlockSize * k;
}

int Run(std::uint32_t baud) {
    std::printf("kestrun-bench-blocks: %u firmware blocks written, then read back, at %u baud\n",
                FirmwareBlocks, baud);
    bench::PrintMachine();
    static image::DeviceImage image;  // 128 KiB: not on the stack
    image.BuildImage();

    bench::PacedProgrammer programmer(baud);
    bootsim::PtyServer& sim = programmer.sim;
    const device_tree::DeviceTree& tree = programmer.tree;

    platform::posix::PosixSerial posix(tree.DevRoot());
    bench::PollCountingSerial serial(posix);
    devlink::UpdaterState state;
    devlink::SerialChannel channel(state, serial);
    devlink::Bootloader bootloader(state, channel, image);

    const double sleepPeriod = bench::MeasureSleepPeriod(posix, SleepSamples);

    state.PortOpen = channel.OpenPort("COM33", static_cast<std::int32_t>(baud));
    if (!state.PortOpen) {
        std::fprintf(stderr, "cannot open COM33 (%s)\n", sim.SlavePath().c_str());
        return EXIT_FAILURE;
    }
    if (!bootloader.SyncBootloader() || !bootloader.GetBootloaderInfo()) {
        std::fprintf(stderr, "the emulated bootloader did not answer at %u baud\n", baud);
        return EXIT_FAILURE;
    }

    std::uint32_t failed = 0;
    std::uint32_t mismatched = 0;
    serial.ResetCounts();
    const bench::RunMeter meter;
    for (std::uint32_t k = 0; k < FirmwareBlocks; ++k) {
        if (!bootloader.WriteBlock(BlockAddress(k)))
            ++failed;
    }
    for (std::uint32_t k = 0; k < FirmwareBlocks; ++k) {
        const std::uint32_t address = BlockAddress(k);
        if (!bootloader.ReadBlock(address))
            ++failed;
        else if (!std::equal(bootloader.ReadBackBlock().begin(), bootloader.ReadBackBlock().end(),
                             image.Image.begin() + address))
            ++mismatched;
    }
    const bench::SpanFigures span = meter.Elapsed();
    const std::uint64_t polls = serial.Sleeps();
    const double slept = serial.SleptSeconds();
    channel.ClosePort();
    state.PortOpen = false;

    bench::TimingFigures figures;
    figures.baud = baud;
    figures.writes = FirmwareBlocks;
    figures.reads = FirmwareBlocks;
    figures.span = span;
    figures.sleepPeriod = sleepPeriod;
    figures.sleepSamples = SleepSamples;
    bench::PrintTiming(figures);

    const bench::PollFloor floor =
        bench::BlockPollFloor(FirmwareBlocks, FirmwareBlocks, baud, sleepPeriod);
    std::printf("polls taken:      %llu (model: %llu), averaging %.4f ms each\n",
                static_cast<unsigned long long>(polls),
                static_cast<unsigned long long>(floor.polls),
                polls ? slept / static_cast<double>(polls) * 1e3 : 0.0);
    // The same floor with the poll length this run actually had, which the
    // sleeps measured beforehand only estimate.
    if (polls != 0) {
        const double runPoll = slept / static_cast<double>(polls);
        const bench::PollFloor runFloor =
            bench::BlockPollFloor(FirmwareBlocks, FirmwareBlocks, baud, runPoll);
        std::printf(
            "run-poll floor:   %.4f (the same model with this run's own mean poll: %llu polls of "
            "%.4f ms)\n",
            runFloor.seconds /
                bench::WireSeconds(std::uint64_t{2} * FirmwareBlocks * bench::BlockExchangeBytes,
                                   baud),
            static_cast<unsigned long long>(runFloor.polls), runPoll * 1e3);
    }
    std::printf("outside sleeps:   %.3f s (writes, reads, drains, queue looks, compares)\n",
                span.wallSeconds - slept);

    if (failed != 0 || mismatched != 0) {
        std::printf("FAILED: %u block operations failed, %u blocks read back differ\n", failed,
                    mismatched);
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmark(argc, argv, "kestrun-bench-blocks", Run);
}
