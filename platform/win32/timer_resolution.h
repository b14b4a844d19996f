// Holds the system timer at 1 ms for as long as the object lives.
//
// Windows' default timer ticks every 15.6 ms, and a Sleep(1) lasts until the
// next tick. Every wait on the device is counted in 1 ms sleeps, so at the
// default tick each time-out and the whole update would run many times
// longer than meant. The program's entry holds one of these while it runs.
#pragma once

namespace platform::win32 {

class TimerResolution {
  public:
    TimerResolution();
    ~TimerResolution();
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;

    // False when the system refused 1 ms; the program then runs slower, not
    // wrongly.
    bool Held() const { return held_; }

  private:
    bool held_ = false;
};

}  // namespace platform::win32
