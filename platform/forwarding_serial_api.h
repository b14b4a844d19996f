// A SerialApi that hands every call to another one, so that a stand-in which
// watches or changes one call (counting sleeps, refusing an open) overrides
// only that call.
#pragma once

#include "platform/serial_api.h"

namespace platform {

class ForwardingSerialApi : public SerialApi {
  public:
    explicit ForwardingSerialApi(SerialApi& inner) : inner_(inner) {}

    PortHandle CreateFileA(const std::string& path) override { return inner_.CreateFileA(path); }
    bool SetupComm(PortHandle port, std::uint32_t inQueue, std::uint32_t outQueue) override {
        return inner_.SetupComm(port, inQueue, outQueue);
    }
    bool GetCommState(PortHandle port, LineSettings& settings) override {
        return inner_.GetCommState(port, settings);
    }
    bool SetCommState(PortHandle port, const LineSettings& settings) override {
        return inner_.SetCommState(port, settings);
    }
    bool GetCommTimeouts(PortHandle port, CommTimeouts& timeouts) override {
        return inner_.GetCommTimeouts(port, timeouts);
    }
    bool SetCommTimeouts(PortHandle port, const CommTimeouts& timeouts) override {
        return inner_.SetCommTimeouts(port, timeouts);
    }
    bool SetCommMask(PortHandle port, std::uint32_t mask) override {
        return inner_.SetCommMask(port, mask);
    }
    bool ClearCommError(PortHandle port, std::uint32_t& inQueue) override {
        return inner_.ClearCommError(port, inQueue);
    }
    bool ReadFile(PortHandle port, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t& bytesRead) override {
        return inner_.ReadFile(port, buffer, count, bytesRead);
    }
    bool WriteFile(PortHandle port, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& bytesWritten) override {
        return inner_.WriteFile(port, buffer, count, bytesWritten);
    }
    bool CloseHandle(PortHandle port) override { return inner_.CloseHandle(port); }
    bool PurgeInput(PortHandle port) override { return inner_.PurgeInput(port); }
    void Sleep(std::uint32_t milliseconds) override { inner_.Sleep(milliseconds); }

  protected:
    SerialApi& Inner() { return inner_; }

  private:
    SerialApi& inner_;
};

}  // namespace platform
