#include "platform/posix/monotonic_deadline.h"

#include <climits>

namespace platform::posix {

Deadline Deadline::After(MonotonicClock::time_point start, std::uint64_t milliseconds) {
    using std::chrono::duration_cast;
    const auto headroom = MonotonicClock::time_point::max() - start;
    const auto headroomMs = duration_cast<std::chrono::milliseconds>(headroom).count();
    if (headroomMs < 0 || milliseconds >= static_cast<std::uint64_t>(headroomMs))
        return Never();
    Deadline deadline;
    deadline.at_ = start + std::chrono::milliseconds(static_cast<std::int64_t>(milliseconds));
    return deadline;
}

Deadline Deadline::Earliest(const Deadline& a, const Deadline& b) {
    if (a.IsNever())
        return b;
    if (b.IsNever())
        return a;
    return *a.at_ <= *b.at_ ? a : b;
}

bool Deadline::HasPassed(MonotonicClock::time_point now) const {
    return at_.has_value() && now >= *at_;
}

int Deadline::PollTimeoutMs(MonotonicClock::time_point now) const {
    if (!at_)
        return -1;
    if (now >= *at_)
        return 0;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*at_ - now).count();
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

timespec AddMilliseconds(timespec start, std::uint32_t milliseconds) {
    constexpr long NanosPerSecond = 1'000'000'000;
    timespec result = start;
    result.tv_sec += static_cast<time_t>(milliseconds / 1000);
    result.tv_nsec += static_cast<long>(milliseconds % 1000) * 1'000'000;
    if (result.tv_nsec >= NanosPerSecond) {
        result.tv_sec += 1;
        result.tv_nsec -= NanosPerSecond;
    }
    return result;
}

timespec NextSleepEnd(timespec previousEnd, timespec now, std::uint32_t milliseconds) {
    const timespec onBeat = AddMilliseconds(previousEnd, milliseconds);
    const bool ahead =
        onBeat.tv_sec > now.tv_sec || (onBeat.tv_sec == now.tv_sec && onBeat.tv_nsec > now.tv_nsec);
    return ahead ? onBeat : AddMilliseconds(now, milliseconds);
}

}  // namespace platform::posix
