// What the five Windows time-outs mean for one read or one write.
//
// A read of n bytes ends when n bytes have arrived, or when
// ReadTotalTimeoutMultiplier * n + ReadTotalTimeoutConstant milliseconds have
// passed since it began, or when ReadIntervalTimeout milliseconds pass between
// two received bytes (counted only once the first byte has arrived). A zero
// value switches its limit off; all three read values zero means a read waits
// until its n bytes have come or the line fails.
//
// A write of n bytes ends when all are accepted or after
// WriteTotalTimeoutMultiplier * n + WriteTotalTimeoutConstant milliseconds;
// both 0 means no limit.
//
// Windows gives MAXDWORD in the read values special meanings (return at once
// with what is there, or with the first bytes to come). The device link never
// sets them, so they are not offered: MAXDWORD is just a long time here.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/serial_api.h"

namespace platform::posix {

struct ReadPlan {
    // Milliseconds from the start of the read; empty for no limit.
    std::optional<std::uint64_t> total;
    // Milliseconds allowed between two received bytes; empty for no limit.
    std::optional<std::uint64_t> interval;
};

ReadPlan PlanRead(const CommTimeouts& timeouts, std::uint32_t count);

// Milliseconds a write of `count` bytes may take; empty for no limit.
std::optional<std::uint64_t> PlanWrite(const CommTimeouts& timeouts, std::uint32_t count);

}  // namespace platform::posix
