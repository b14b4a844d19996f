#include "platform/win32/timer_resolution.h"

#include <windows.h>
// <timeapi.h> declares timeBeginPeriod; it needs <windows.h> before it.
#include <timeapi.h>

namespace platform::win32 {

namespace {
constexpr UINT OneMillisecond = 1;
}

TimerResolution::TimerResolution() : held_(::timeBeginPeriod(OneMillisecond) == TIMERR_NOERROR) {}

TimerResolution::~TimerResolution() {
    // Every granted timeBeginPeriod needs its own timeEndPeriod.
    if (held_)
        ::timeEndPeriod(OneMillisecond);
}

}  // namespace platform::win32
