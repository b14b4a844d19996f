// The emulated programmer as a benchmark meets it: paced like the real wire
// at one rate, answering only at that rate, plugged in as a CP210x ttyUSB0
// (COM33) behind a prepared sysfs tree.
#pragma once

#include <cstdint>

#include "device_tree/device_tree.h"
#include "tools/bootsim/pty_server.h"

namespace bench {

class PacedProgrammer {
  public:
    explicit PacedProgrammer(std::uint32_t baud) : sim(OptionsFor(baud)) {
        tree.AddTty("ttyUSB0", "cp210x", sim.SlavePath());
    }

    bootsim::PtyServer sim;
    device_tree::DeviceTree tree;

  private:
    static bootsim::Options OptionsFor(std::uint32_t baud) {
        bootsim::Options options;
        options.paceBaud = baud;
        options.answerOnlyAt = baud;
        return options;
    }
};

}  // namespace bench
