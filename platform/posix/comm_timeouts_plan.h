// What the five Windows time-outs mean for one read or one write.
//
// A read of n bytes ends when n bytes have arrived, or when
// ReadTotalTimeoutMultiplier * n + ReadTotalTimeoutConstant milliseconds have
// passed since it began, or when ReadIntervalTimeout milliseconds pass between
// two received bytes (counted only once the first byte has arrived). A zero
// value switches its limit off. Windows gives two combinations a meaning of
// their own, kept here:
//  - interval MAXDWORD with both totals 0: return at once with what is there;
//  - interval and multiplier MAXDWORD, constant between 0 and MAXDWORD: return
//    at once with what is there, else with the first bytes to arrive within
//    the constant.
// All three read values 0 means no limit at all: such a read waits until its
// n bytes have come or the line fails. The device link never asks for that.
//
// A write of n bytes ends when all are accepted or after
// WriteTotalTimeoutMultiplier * n + WriteTotalTimeoutConstant milliseconds;
// both 0 means no limit.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/serial_api.h"

namespace platform::posix {

struct ReadPlan {
    enum class Ending {
        AllBytes,       // wait for the count, within the limits below
        WhatIsThere,    // never wait
        FirstArrivals,  // wait within `total` for any bytes, return with them
    };
    Ending ending = Ending::AllBytes;
    // Milliseconds from the start of the read; empty for no limit.
    std::optional<std::uint64_t> total;
    // Milliseconds allowed between two received bytes; empty for no limit.
    std::optional<std::uint64_t> interval;
};

ReadPlan PlanRead(const CommTimeouts& timeouts, std::uint32_t count);

// Milliseconds a write of `count` bytes may take; empty for no limit.
std::optional<std::uint64_t> PlanWrite(const CommTimeouts& timeouts, std::uint32_t count);

}  // namespace platform::posix
