// The emulated programmer as the runner serves it on the first COM port: the
// lines it prints as things happen ("opened", "closed", "silent", ...), and
// its cable, pulled out and plugged back in through its standard input.
#pragma once

#include <string>
#include <string_view>

namespace e2e {

class EmulatedProgrammer {
  public:
    // Throws when the runner serves no programmer.
    EmulatedProgrammer();

    // How many times it printed `event` so far.
    unsigned Count(std::string_view event) const;

    // The device loses power, and regains it restarting, keeping its memory;
    // each returns once the programmer has done it. Between commands, the
    // device answers the command in progress first.
    void Unplug() const;
    void UnplugBetweenCommands() const;
    void PlugIn() const;

  private:
    void Request(const char* request, std::string_view done) const;

    std::string events_;
    std::string control_;
};

}  // namespace e2e
