// Wall time and CPU time of one measured span.
#pragma once

#include <chrono>

namespace bench {

struct SpanFigures {
    double wallSeconds = 0;
    // User plus system time of the whole process, every thread included
    // (the emulated programmer runs in a thread of the same process).
    double processCpuSeconds = 0;
    // User plus system time of the thread that started the meter alone.
    double threadCpuSeconds = 0;
};

class RunMeter {
  public:
    // Starts measuring at once.
    RunMeter();
    // What has been spent since the meter was started; call it on the
    // thread that started it.
    SpanFigures Elapsed() const;

  private:
    std::chrono::steady_clock::time_point wallStart_;
    double processCpuStart_ = 0;
    double threadCpuStart_ = 0;
};

}  // namespace bench
