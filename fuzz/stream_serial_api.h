// A serial port whose incoming bytes are a fuzz input. Sleeping costs no
// time: each poll lets the next few bytes of the stream arrive, so a waiting
// loop sees the stream come in the way a slow or fast device would send it.
// A read that starts inside the buffer the target names as the receive
// buffer must end inside it too, and the last read is kept for the targets'
// invariants.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_check.h"
#include "platform/serial_api.h"

namespace fuzzing {

struct LastRead {
    std::uint32_t asked = 0;
    std::uint32_t got = 0;
    std::array<std::uint8_t, 129> bytes{};  // the first bytes of it
};

class StreamSerialApi : public platform::SerialApi {
  public:
    // `bytesPerPoll` 0: the whole stream is waiting from the start.
    StreamSerialApi(std::span<const std::uint8_t> stream, std::size_t bytesPerPoll)
        : stream_(stream), step_(bytesPerPoll), arrived_(bytesPerPoll == 0 ? stream.size() : 0) {}

    // Reads may land only inside `buffer` (whole) or outside it entirely.
    void GuardReadsInto(std::span<const std::uint8_t> buffer) { guard_ = buffer; }

    const LastRead& Last() const { return last_; }
    // The bytes of the last write, up to the largest frame.
    std::span<const std::uint8_t> LastWrite() const {
        return std::span(lastWrite_).first(lastWriteSize_);
    }

    platform::PortHandle CreateFileA(const std::string&) override { return Handle; }
    bool SetupComm(platform::PortHandle, std::uint32_t, std::uint32_t) override { return true; }
    bool GetCommState(platform::PortHandle, platform::LineSettings&) override { return true; }
    bool SetCommState(platform::PortHandle, const platform::LineSettings&) override { return true; }
    bool GetCommTimeouts(platform::PortHandle, platform::CommTimeouts&) override { return true; }
    bool SetCommTimeouts(platform::PortHandle, const platform::CommTimeouts&) override {
        return true;
    }
    bool SetCommMask(platform::PortHandle, std::uint32_t) override { return true; }
    bool ClearCommError(platform::PortHandle, std::uint32_t& inQueue) override {
        inQueue = static_cast<std::uint32_t>(arrived_ - consumed_);
        return true;
    }
    bool ReadFile(platform::PortHandle, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t& bytesRead) override {
        CheckInsideGuard(buffer, count);
        bytesRead = static_cast<std::uint32_t>(std::min<std::size_t>(count, arrived_ - consumed_));
        std::copy_n(stream_.begin() + static_cast<std::ptrdiff_t>(consumed_), bytesRead, buffer);
        consumed_ += bytesRead;
        last_.asked = count;
        last_.got = bytesRead;
        std::copy_n(buffer, std::min<std::size_t>(bytesRead, last_.bytes.size()),
                    last_.bytes.begin());
        return true;
    }
    bool WriteFile(platform::PortHandle, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& bytesWritten) override {
        lastWriteSize_ = std::min<std::size_t>(count, lastWrite_.size());
        std::copy_n(buffer, lastWriteSize_, lastWrite_.begin());
        bytesWritten = count;
        return true;
    }
    bool CloseHandle(platform::PortHandle) override { return true; }
    bool PurgeInput(platform::PortHandle) override {
        consumed_ = arrived_;
        return true;
    }
    void Sleep(std::uint32_t) override { arrived_ = std::min(stream_.size(), arrived_ + step_); }

    static constexpr platform::PortHandle Handle = 3;

  private:
    void CheckInsideGuard(const std::uint8_t* buffer, std::uint32_t count) const {
        const std::uint8_t* begin = guard_.data();
        const std::uint8_t* end = begin + guard_.size();
        if (buffer >= begin && buffer < end)
            FUZZ_CHECK(count <= static_cast<std::size_t>(end - buffer));
    }

    std::span<const std::uint8_t> stream_;
    std::size_t step_;
    std::size_t arrived_;
    std::size_t consumed_ = 0;
    std::span<const std::uint8_t> guard_;
    LastRead last_;
    std::array<std::uint8_t, 130> lastWrite_{};
    std::size_t lastWriteSize_ = 0;
};

}  // namespace fuzzing
