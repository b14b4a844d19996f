// Holds the system timer at 1 ms for as long as the object lives.
//
// Windows' default timer ticks every 15.6 ms, and a Sleep(1) lasts until the
// next tick. Every wait on the device is counted in 1 ms sleeps, so at the
// default tick each time-out and the whole update would run many times
// longer than meant. The program's entry holds one of these while it runs.
#pragma once

#include <windows.h>

namespace platform::win32 {

class TimerResolution {
  public:
    TimerResolution();
    ~TimerResolution();
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;

  private:
    // False when the system refused 1 ms, which is then not given back; the
    // program runs slower, not wrongly.
    bool held_ = false;
};

// SetProcessInformation, which Windows 8 brought; looked up at run time.
using SetProcessInformationCall = BOOL(WINAPI*)(HANDLE process, PROCESS_INFORMATION_CLASS kind,
                                                LPVOID information, DWORD size);
SetProcessInformationCall FindSetProcessInformation();

// From Windows 11 a process whose windows are minimised or covered is no
// longer promised the resolution it asked for, and an update left behind
// another window would poll at 15.6 ms. This asks to be kept at it all the
// same. False when `call` is missing (older Windows, which never throttle
// the timer) or refuses: the program then runs slower, not wrongly.
bool KeepTimerResolutionWhenHidden(SetProcessInformationCall call);

}  // namespace platform::win32
