#include "bench/run_meter.h"

#include <sys/resource.h>

namespace bench {

namespace {

double CpuSeconds(int who) {
    rusage usage{};
    if (::getrusage(who, &usage) != 0)
        return 0;
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

RunMeter::RunMeter()
    : wallStart_(std::chrono::steady_clock::now()),
      processCpuStart_(CpuSeconds(RUSAGE_SELF)),
      threadCpuStart_(CpuSeconds(RUSAGE_THREAD)) {}

SpanFigures RunMeter::Elapsed() const {
    SpanFigures figures;
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallStart_;
    figures.wallSeconds = wall.count();
    figures.processCpuSeconds = CpuSeconds(RUSAGE_SELF) - processCpuStart_;
    figures.threadCpuSeconds = CpuSeconds(RUSAGE_THREAD) - threadCpuStart_;
    return figures;
}

}  // namespace bench
