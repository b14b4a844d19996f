// A machine with no serial ports at all: every open fails, the Ports class
// is empty. Enough for pictures of the pages before any connection.
#pragma once

#include "scene.h"

namespace screenshots {

class NoPortsSerial final : public platform::SerialApi {
  public:
    platform::PortHandle CreateFileA(const std::string&) override {
        return platform::InvalidHandle;
    }
    bool SetupComm(platform::PortHandle, std::uint32_t, std::uint32_t) override { return false; }
    bool GetCommState(platform::PortHandle, platform::LineSettings&) override { return false; }
    bool SetCommState(platform::PortHandle, const platform::LineSettings&) override {
        return false;
    }
    bool GetCommTimeouts(platform::PortHandle, platform::CommTimeouts&) override { return false; }
    bool SetCommTimeouts(platform::PortHandle, const platform::CommTimeouts&) override {
        return false;
    }
    bool SetCommMask(platform::PortHandle, std::uint32_t) override { return false; }
    bool ClearCommError(platform::PortHandle, std::uint32_t& inQueue) override {
        inQueue = 0;
        return false;
    }
    bool ReadFile(platform::PortHandle, std::uint8_t*, std::uint32_t,
                  std::uint32_t& bytesRead) override {
        bytesRead = 0;
        return false;
    }
    bool WriteFile(platform::PortHandle, const std::uint8_t*, std::uint32_t,
                   std::uint32_t& bytesWritten) override {
        bytesWritten = 0;
        return false;
    }
    bool CloseHandle(platform::PortHandle) override { return false; }
    bool PurgeInput(platform::PortHandle) override { return false; }
    void Sleep(std::uint32_t) override {}
};

class NoPortsRegistry final : public platform::PortsRegistry {
  public:
    bool PresentDevices(const platform::ClassGuid&,
                        std::vector<platform::DeviceNames>& devices) override {
        devices.clear();
        return true;
    }
    bool ProbePort(const std::string&) override { return false; }
};

class NoPortsPlatform final : public ScenePlatform {
  public:
    platform::SerialApi& Serial() override { return serial_; }
    platform::PortsRegistry& Registry() override { return registry_; }

  private:
    NoPortsSerial serial_;
    NoPortsRegistry registry_;
};

}  // namespace screenshots
