// Keeping the 1 ms timer while the window is hidden: the call and its masks,
// and a refusal that changes nothing.
#include <gtest/gtest.h>

#include "platform/win32/timer_resolution.h"

namespace {

struct Call {
    int count = 0;
    HANDLE process = nullptr;
    PROCESS_INFORMATION_CLASS kind{};
    PROCESS_POWER_THROTTLING_STATE state{};
    DWORD size = 0;
    BOOL result = TRUE;
} call;

BOOL WINAPI Recorded(HANDLE process, PROCESS_INFORMATION_CLASS kind, LPVOID information,
                     DWORD size) {
    ++call.count;
    call.process = process;
    call.kind = kind;
    call.state = *static_cast<const PROCESS_POWER_THROTTLING_STATE*>(information);
    call.size = size;
    return call.result;
}

TEST(TimerResolution, AsksToKeepItWhenHiddenAndTakesARefusalOrAnOldWindows) {
    for (const BOOL result : {TRUE, FALSE}) {
        call = {};
        call.result = result;
        EXPECT_EQ(platform::win32::KeepTimerResolutionWhenHidden(Recorded), result == TRUE);
        EXPECT_EQ(call.count, 1);
        EXPECT_EQ(call.process, GetCurrentProcess());
        EXPECT_EQ(call.kind, ProcessPowerThrottling);
        EXPECT_EQ(call.size, sizeof(PROCESS_POWER_THROTTLING_STATE));
        EXPECT_EQ(call.state.Version, static_cast<ULONG>(PROCESS_POWER_THROTTLING_CURRENT_VERSION));
        EXPECT_EQ(call.state.ControlMask,
                  static_cast<ULONG>(PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION));
        EXPECT_EQ(call.state.StateMask, 0u);
    }
    EXPECT_FALSE(platform::win32::KeepTimerResolutionWhenHidden(nullptr));
}

}  // namespace
