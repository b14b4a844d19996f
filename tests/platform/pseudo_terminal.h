// A pseudo-terminal whose master side the test plays, as the far end of a
// serial line. The slave is left closed for the code under test to open.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace platformtest {

class PseudoTerminal {
  public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int Master() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

    // Writes all of `bytes` to the master; throws if that takes over 5 s.
    void Send(const std::vector<std::uint8_t>& bytes);
    // Whatever arrives at the master within `limit`, up to `count` bytes.
    std::vector<std::uint8_t> Receive(std::size_t count, std::chrono::milliseconds limit);
    // Hangs up the line, as a device that went away.
    void CloseMaster();

  private:
    int master_ = -1;
    std::string slavePath_;
};

// Descriptors this process has open, from /proc/self/fd.
int OpenDescriptorCount();

}  // namespace platformtest
