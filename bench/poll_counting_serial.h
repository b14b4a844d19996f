// A pass-through serial layer that counts the polls' sleeps and times them,
// so a run can tell time spent sleeping from time spent everywhere else.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/forwarding_serial_api.h"

namespace bench {

class PollCountingSerial final : public platform::ForwardingSerialApi {
  public:
    explicit PollCountingSerial(platform::SerialApi& inner) : ForwardingSerialApi(inner) {}

    std::uint64_t Sleeps() const { return sleeps_; }
    double SleptSeconds() const { return slept_.count(); }
    void ResetCounts() {
        sleeps_ = 0;
        slept_ = {};
    }

    void Sleep(std::uint32_t milliseconds) override {
        const auto start = std::chrono::steady_clock::now();
        ForwardingSerialApi::Sleep(milliseconds);
        slept_ += std::chrono::steady_clock::now() - start;
        ++sleeps_;
    }

  private:
    std::uint64_t sleeps_ = 0;
    std::chrono::duration<double> slept_{};
};

}  // namespace bench
