// kestrun-bench-responsiveness: how long the window goes without handling its
// messages during a whole update, and how much of a core the update takes.
//
// The update runs as the user runs it (window logic, the real Linux serial
// layer over a prepared sysfs tree, the emulated programmer paced like the
// wire); the recording view stamps the time of each message pump. The
// longest gap between two pumps of the firmware passes should stay within
// one block's exchange; the settings pass pumps no messages at all, so its
// length is printed on its own. Exits non-zero when the update fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/Update_Main.h"
#include "app/update_stage.h"
#include "bench/paced_programmer.h"
#include "bench/run_meter.h"
#include "bench/timing_report.h"
#include "bench/wire_model.h"
#include "image/image_store.h"
#include "platform/posix/posix_serial.h"
#include "platform/posix/sysfs_ports_registry.h"
#include "stand_ins/recording_view.h"

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

// A gap is one block's exchange, which the poll model gives exactly; a few
// polls more allow for the scheduler waking the thread late.
constexpr double SlackPolls = 3;
constexpr int SleepSamples = 500;
constexpr double CpuShareTarget = 0.05;
constexpr std::size_t ExpectedPumps = 1 + 2 * std::size_t{image::FirmwareBlocks};

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

int Run(std::uint32_t baud) {
    std::printf("kestrun-bench-responsiveness: message pumps during a whole update at %u baud\n",
                baud);
    bench::PrintMachine();
    bench::PacedProgrammer programmer(baud);
    platform::posix::PosixSerial serial(programmer.tree.DevRoot());
    platform::posix::SysfsPortsRegistry registry(programmer.tree.SysRoot(),
                                                 programmer.tree.DevRoot());
    stand_ins::RecordingView view;
    app::TForm1 form(view, serial, registry, nullptr);
    view.onClose = [&form] { form.FormClose(); };

    const double pollSeconds = bench::MeasureSleepPeriod(serial, SleepSamples);
    const double blockMs = 1000 * std::max(bench::BlockPollFloor(1, 0, baud, pollSeconds).seconds,
                                           bench::BlockPollFloor(0, 1, baud, pollSeconds).seconds);
    const double gapTargetMs = blockMs + SlackPolls * 1000 * pollSeconds;

    form.FormCreate();
    form.btnNEXTClick();
    form.btnNEXTClick();
    form.btnConnectClick();
    if (!form.State().Connected) {
        std::fprintf(stderr, "the emulated programmer did not answer\n");
        return EXIT_FAILURE;
    }

    std::vector<Clock::time_point> pumps;
    pumps.reserve(ExpectedPumps + 16);
    view.onProcessMessages = [&pumps](int) { pumps.push_back(Clock::now()); };
    view.Get(app::Control::cbKeepUser).checked = false;  // the settings pass runs too

    const auto start = Clock::now();
    const bench::RunMeter meter;
    form.btnNEXTClick();  // the update runs inside this press
    const bench::SpanFigures span = meter.Elapsed();
    const auto end = Clock::now();

    if (form.State().Stage != app::StageDone || pumps.size() != ExpectedPumps) {
        std::fprintf(stderr, "update did not finish (stage %u, %zu pumps)\n", form.State().Stage,
                     pumps.size());
        return EXIT_FAILURE;
    }

    std::vector<double> gaps;
    for (std::size_t i = 1; i < pumps.size(); ++i)
        gaps.push_back(Millis(pumps[i] - pumps[i - 1]).count());
    const auto longestAt = std::max_element(gaps.begin(), gaps.end());
    const double longest = *longestAt;
    const auto over = std::count_if(gaps.begin(), gaps.end(),
                                    [blockMs](double gap) { return gap > blockMs + 1; });
    const double beforeFirst = Millis(pumps.front() - start).count();
    const double settingsPass = Millis(end - pumps.back()).count();
    const double share = span.threadCpuSeconds / span.wallSeconds;

    std::printf("update:           %.2f s wall, %zu message pumps\n", span.wallSeconds,
                pumps.size());
    std::printf("one block's exchange by the poll model: %.2f ms (poll period %.3f ms)\n", blockMs,
                1000 * pollSeconds);
    std::printf(
        "gap between pumps: median %.2f ms, 99th percentile %.2f ms, longest %.2f ms "
        "(target <= one block + %.0f polls = %.2f ms: %s)\n",
        Percentile(gaps, 0.5), Percentile(gaps, 0.99), longest, SlackPolls, gapTargetMs,
        longest <= gapTargetMs ? "met" : "MISSED");
    std::printf("gaps over one block + 1 ms: %td of %zu; the longest after pump %td\n", over,
                gaps.size(), longestAt - gaps.begin() + 1);
    std::printf(
        "before the first pump: %.2f ms; settings pass (16 blocks, no pumps by design): "
        "%.1f ms\n",
        beforeFirst, settingsPass);
    std::printf(
        "updater thread CPU: %.3f s of %.2f s = %.1f %% of a core (target <= %.0f %%: "
        "%s); whole process incl. emulator %.1f %%\n",
        span.threadCpuSeconds, span.wallSeconds, 100 * share, 100 * CpuShareTarget,
        share <= CpuShareTarget ? "met" : "MISSED",
        100 * span.processCpuSeconds / span.wallSeconds);
    form.FormClose();
    return EXIT_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmark(argc, argv, "kestrun-bench-responsiveness", Run);
}
