#include "platform/win32/timer_resolution.h"

// <timeapi.h> declares timeBeginPeriod; it needs <windows.h> before it.
#include <timeapi.h>

namespace platform::win32 {

namespace {
constexpr UINT OneMillisecond = 1;
}

TimerResolution::TimerResolution() : held_(::timeBeginPeriod(OneMillisecond) == TIMERR_NOERROR) {
    KeepTimerResolutionWhenHidden(FindSetProcessInformation());
}

TimerResolution::~TimerResolution() {
    // Every granted timeBeginPeriod needs its own timeEndPeriod.
    if (held_)
        ::timeEndPeriod(OneMillisecond);
}

SetProcessInformationCall FindSetProcessInformation() {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr)
        return nullptr;
    // GetProcAddress returns every function as one generic pointer type.
    return reinterpret_cast<SetProcessInformationCall>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetProcessInformation")));
}

bool KeepTimerResolutionWhenHidden(SetProcessInformationCall call) {
    if (call == nullptr)
        return false;
    // The flag in the control mask and not in the state mask: always honour
    // the process's timer resolution request.
    PROCESS_POWER_THROTTLING_STATE state{};
    state.Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION;
    state.ControlMask = PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION;
    state.StateMask = 0;
    return call(::GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof(state)) != FALSE;
}

}  // namespace platform::win32
