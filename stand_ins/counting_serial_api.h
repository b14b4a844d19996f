// A SerialApi that stands in for a port where a test must count platform
// calls or make one of them fail. It holds one pretend port whose input
// queue the test fills; everything written is kept for inspection.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/serial_api.h"

namespace stand_ins {

class CountingSerialApi : public platform::SerialApi {
  public:
    enum class Step {
        CreateFileA,
        SetupComm,
        GetCommState,
        SetCommState,
        GetCommTimeouts,
        SetCommTimeouts,
        SetCommMask,
        None
    };

    // What the next calls do.
    Step failAt = Step::None;
    std::string presentPath = "\\\\.\\COM33";
    std::deque<std::uint8_t> input;     // bytes "received" and waiting
    std::uint32_t reportedWaiting = 0;  // when non-zero, ClearCommError reports this instead
    bool clearCommErrorFails = false;

    // What happened.
    std::vector<std::string> opened;  // paths asked of CreateFileA
    std::vector<std::uint8_t> written;
    std::vector<std::uint32_t> readSizes;
    int sleeps = 0;
    int queries = 0;
    int purges = 0;
    int closes = 0;
    int openHandles = 0;
    int callsAfterClose = 0;  // any call on a handle already closed
    platform::LineSettings lastSettings{};
    platform::CommTimeouts lastTimeouts{};
    std::uint32_t inQueueSize = 0, outQueueSize = 0, mask = 0;

    static constexpr platform::PortHandle Handle = 7;

    platform::PortHandle CreateFileA(const std::string& path) override {
        opened.push_back(path);
        if (failAt == Step::CreateFileA || path != presentPath)
            return platform::InvalidHandle;
        ++openHandles;
        open_ = true;
        return Handle;
    }
    bool SetupComm(platform::PortHandle h, std::uint32_t in, std::uint32_t out) override {
        Touch(h);
        inQueueSize = in;
        outQueueSize = out;
        return failAt != Step::SetupComm;
    }
    bool GetCommState(platform::PortHandle h, platform::LineSettings& s) override {
        Touch(h);
        s = {9600, 7, 0, 2};  // whatever the port had before
        return failAt != Step::GetCommState;
    }
    bool SetCommState(platform::PortHandle h, const platform::LineSettings& s) override {
        Touch(h);
        lastSettings = s;
        return failAt != Step::SetCommState;
    }
    bool GetCommTimeouts(platform::PortHandle h, platform::CommTimeouts& t) override {
        Touch(h);
        t = {1, 2, 3, 4, 5};
        return failAt != Step::GetCommTimeouts;
    }
    bool SetCommTimeouts(platform::PortHandle h, const platform::CommTimeouts& t) override {
        Touch(h);
        lastTimeouts = t;
        return failAt != Step::SetCommTimeouts;
    }
    bool SetCommMask(platform::PortHandle h, std::uint32_t m) override {
        Touch(h);
        mask = m;
        return failAt != Step::SetCommMask;
    }
    bool ClearCommError(platform::PortHandle h, std::uint32_t& inQueue) override {
        Touch(h);
        ++queries;
        if (clearCommErrorFails)
            return false;
        inQueue = reportedWaiting != 0 ? reportedWaiting : static_cast<std::uint32_t>(input.size());
        return true;
    }
    bool ReadFile(platform::PortHandle h, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t& bytesRead) override {
        Touch(h);
        readSizes.push_back(count);
        bytesRead = 0;
        while (bytesRead < count && !input.empty()) {
            buffer[bytesRead++] = input.front();
            input.pop_front();
        }
        return true;
    }
    bool WriteFile(platform::PortHandle h, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& bytesWritten) override {
        Touch(h);
        written.insert(written.end(), buffer, buffer + count);
        bytesWritten = count;
        return true;
    }
    bool CloseHandle(platform::PortHandle h) override {
        Touch(h);
        ++closes;
        --openHandles;
        open_ = false;
        return true;
    }
    bool PurgeInput(platform::PortHandle h) override {
        Touch(h);
        ++purges;
        input.clear();
        reportedWaiting = 0;
        return true;
    }
    void Sleep(std::uint32_t) override { ++sleeps; }

  private:
    void Touch(platform::PortHandle h) {
        if (h != Handle || !open_)
            ++callsAfterClose;
    }
    bool open_ = false;
};

}  // namespace stand_ins
