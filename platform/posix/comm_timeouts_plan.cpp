#include "platform/posix/comm_timeouts_plan.h"

namespace platform::posix {

namespace {

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
    plan.total =
        TotalLimit(timeouts.ReadTotalTimeoutMultiplier, timeouts.ReadTotalTimeoutConstant, count);
    if (timeouts.ReadIntervalTimeout != 0)
        plan.interval = timeouts.ReadIntervalTimeout;
    return plan;
}

std::optional<std::uint64_t> PlanWrite(const CommTimeouts& timeouts, std::uint32_t count) {
    return TotalLimit(timeouts.WriteTotalTimeoutMultiplier, timeouts.WriteTotalTimeoutConstant,
                      count);
}

}  // namespace platform::posix
