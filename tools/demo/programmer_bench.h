// The programmer's bench behind the demo: one emulated programmer that can be
// plugged in as a CP210x on ttyUSB0 of a private device tree, and unplugged,
// each time with the behaviour and pace chosen on the bench.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/bootsim/options.h"

namespace bootsim {
class PtyServer;
}
namespace device_tree {
class DeviceTree;
}

namespace demo {

class PipeDeviceNotifications;

enum class Behaviour {
    Healthy,
    AnswersOnlyAt9600,
    NackAtWriteBlock,     // refuses firmware block n
    WrongByteInReadBack,  // the n-th block read back has its first byte inverted
    Silent,               // never answers a sync
    HangsUpMidUpdate,     // gone after storing block n
};

inline constexpr std::array<std::string_view, 6> BehaviourNames = {
    "healthy",
    "answers only at 9600",
    "NACK at write block n",
    "wrong byte in read-back of block n",
    "silent",
    "hangs up after write block n",
};

enum class Pace {
    LineSpeed,  // as fast as the wire of the rate the device listens at
    Fast,       // as fast as the pseudo-terminal goes
};

// The emulated programmer's settings for a behaviour; `block` is n, 1-based.
bootsim::Options OptionsFor(Behaviour behaviour, std::uint32_t block, Pace pace);

class ProgrammerBench {
  public:
    ProgrammerBench(device_tree::DeviceTree& tree, PipeDeviceNotifications& notices);
    ~ProgrammerBench();
    ProgrammerBench(const ProgrammerBench&) = delete;
    ProgrammerBench& operator=(const ProgrammerBench&) = delete;

    // The programmer with these settings (unplugging the one in first), then
    // the arrival notice. The device starts afresh, as one powered through
    // the cable does, its memory as the last unplug left it.
    void PlugIn(Behaviour behaviour, std::uint32_t block, Pace pace);
    // The port disappears, the removal notice follows, the device is gone.
    void Unplug();

    bool PluggedIn() const { return device_ != nullptr; }
    // The programmer plugged in, or null.
    const bootsim::PtyServer* Device() const { return device_.get(); }

    // What the programmer received so far (or before it was unplugged):
    // counts, the last commands with their addresses, blocks written.
    std::string Report() const;

  private:
    device_tree::DeviceTree& tree_;
    PipeDeviceNotifications& notices_;
    std::unique_ptr<bootsim::PtyServer> device_;
    std::vector<std::uint8_t> memory_;  // the device's, while unplugged
    std::string lastReport_ = "Nothing plugged in yet.";
};

}  // namespace demo
