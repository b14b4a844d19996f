// A pass-through serial layer that counts the polls' sleeps and times them,
// so a run can tell time spent sleeping from time spent everywhere else.
// Everything else goes straight to the wrapped layer.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/serial_api.h"

namespace bench {

class PollCountingSerial final : public platform::SerialApi {
  public:
    explicit PollCountingSerial(platform::SerialApi& inner) : inner_(inner) {}

    std::uint64_t Sleeps() const { return sleeps_; }
    double SleptSeconds() const { return slept_.count(); }
    void ResetCounts() {
        sleeps_ = 0;
        slept_ = {};
    }

    platform::PortHandle CreateFile(const std::string& path) override {
        return inner_.CreateFile(path);
    }
    bool SetupComm(platform::PortHandle port, std::uint32_t in, std::uint32_t out) override {
        return inner_.SetupComm(port, in, out);
    }
    bool GetCommState(platform::PortHandle port, platform::LineSettings& settings) override {
        return inner_.GetCommState(port, settings);
    }
    bool SetCommState(platform::PortHandle port, const platform::LineSettings& settings) override {
        return inner_.SetCommState(port, settings);
    }
    bool GetCommTimeouts(platform::PortHandle port, platform::CommTimeouts& timeouts) override {
        return inner_.GetCommTimeouts(port, timeouts);
    }
    bool SetCommTimeouts(platform::PortHandle port,
                         const platform::CommTimeouts& timeouts) override {
        return inner_.SetCommTimeouts(port, timeouts);
    }
    bool SetCommMask(platform::PortHandle port, std::uint32_t mask) override {
        return inner_.SetCommMask(port, mask);
    }
    bool ClearCommError(platform::PortHandle port, std::uint32_t& inQueue) override {
        return inner_.ClearCommError(port, inQueue);
    }
    bool ReadFile(platform::PortHandle port, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t& bytesRead) override {
        return inner_.ReadFile(port, buffer, count, bytesRead);
    }
    bool WriteFile(platform::PortHandle port, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& bytesWritten) override {
        return inner_.WriteFile(port, buffer, count, bytesWritten);
    }
    bool CloseHandle(platform::PortHandle port) override { return inner_.CloseHandle(port); }
    bool PurgeInput(platform::PortHandle port) override { return inner_.PurgeInput(port); }
    void Sleep(std::uint32_t milliseconds) override {
        const auto start = std::chrono::steady_clock::now();
        inner_.Sleep(milliseconds);
        slept_ += std::chrono::steady_clock::now() - start;
        ++sleeps_;
    }

  private:
    platform::SerialApi& inner_;
    std::uint64_t sleeps_ = 0;
    std::chrono::duration<double> slept_{};
};

}  // namespace bench
