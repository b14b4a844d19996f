#include "platform/posix/comm_timeouts_plan.h"

namespace platform::posix {

namespace {

constexpr std::uint32_t MaxDword = 0xFFFFFFFF;

// Both factors fit in 32 bits, so the product and sum fit in 64 without wrap.
std::optional<std::uint64_t> TotalLimit(std::uint32_t multiplier, std::uint32_t constant,
                                        std::uint32_t count) {
    if (multiplier == 0 && constant == 0)
        return std::nullopt;
    return std::uint64_t{multiplier} * count + constant;
}

}  // namespace

ReadPlan PlanRead(const CommTimeouts& timeouts, std::uint32_t count) {
    ReadPlan plan;
    const std::uint32_t interval = timeouts.ReadIntervalTimeout;
    const std::uint32_t multiplier = timeouts.ReadTotalTimeoutMultiplier;
    const std::uint32_t constant = timeouts.ReadTotalTimeoutConstant;

    if (interval == MaxDword && multiplier == 0 && constant == 0) {
        plan.ending = ReadPlan::Ending::WhatIsThere;
        return plan;
    }
    if (interval == MaxDword && multiplier == MaxDword && constant != 0 && constant != MaxDword) {
        plan.ending = ReadPlan::Ending::FirstArrivals;
        plan.total = constant;
        return plan;
    }
    plan.total = TotalLimit(multiplier, constant, count);
    if (interval != 0)
        plan.interval = interval;
    return plan;
}

std::optional<std::uint64_t> PlanWrite(const CommTimeouts& timeouts, std::uint32_t count) {
    return TotalLimit(timeouts.WriteTotalTimeoutMultiplier, timeouts.WriteTotalTimeoutConstant,
                      count);
}

}  // namespace platform::posix
