// The device side of the serial bootloader protocol, apart from any I/O: it
// takes the host's bytes one at a time, each with the time it arrived, and
// produces the answer bytes, each with the earliest time it may leave.
//
// It follows the published protocol strictly: complements, checksums and
// ranges are checked, and a bad frame gets a NACK. It behaves as the chip's
// own bootloader does where a host might wish otherwise (Options says how).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

#include "tools/bootsim/device_memory.h"
#include "tools/bootsim/journal.h"
#include "tools/bootsim/options.h"

namespace bootsim {

struct Emission {
    std::uint8_t byte = 0;
    std::chrono::steady_clock::time_point notBefore;
};

class ProtocolEngine {
  public:
    using Clock = std::chrono::steady_clock;
    // The rate the host's line is set to now.
    using RateProbe = std::function<std::uint32_t()>;

    ProtocolEngine(const Options& options, DeviceMemory& memory, Journal& journal,
                   RateProbe lineRate);

    // A byte from the host whose last bit arrived at `at`.
    void Receive(std::uint8_t byte, Clock::time_point at);

    // When a half-received frame will be given up, if one is pending.
    std::optional<Clock::time_point> StallDeadline() const;
    // Gives up a frame that has been silent past its deadline.
    void CheckStall(Clock::time_point now);
    // Records a command still in progress as incomplete (the session ends).
    void Finish();
    // Power lost with the cable: the device hears and sends nothing more
    // until Restart(). A command in progress is recorded as incomplete.
    void PowerOff();
    // The same once the command in progress has been answered: the next
    // command's first byte finds the device without power.
    void PowerOffBeforeNextCommand();
    // Power back: the bootloader starts afresh, waiting for its
    // synchronisation; the memory keeps what was written.
    void Restart();

    // The answer bytes produced since the last call, in sending order.
    std::vector<Emission> TakeOutput();

    bool Synchronised() const { return stage_ != Stage::Unsynchronised; }
    // After Options::hangUpAfterWrite: the device no longer hears or answers.
    bool HungUp() const { return stage_ == Stage::Gone; }

  private:
    enum class Stage {
        Unsynchronised,
        Idle,
        CommandFrame,
        AddressFrame,
        ReadCountFrame,
        WriteDataFrame,
        EraseFrame,
        Gone,
    };

    // Between the first byte of a command and its end.
    bool InCommand() const;
    void Emit(std::uint8_t byte, Clock::time_point at);
    void Emit(std::initializer_list<std::uint8_t> bytes, Clock::time_point at);
    // Reads the line rate for a request; false when the device cannot hear it:
    // before synchronising, a rate it is not to answer at; after, any rate
    // but the one it synchronised at.
    bool Hears(Clock::time_point at);
    void EndCommand(Outcome outcome, Clock::time_point at);
    void Strike(FaultAction action, Clock::time_point at);
    const PhaseFault* FaultFor(FaultPhase phase) const;
    // A NACK, and the command is over.
    void Refuse(Clock::time_point at);
    // When a fault is set for this phase of the command, answers as it says
    // and ends the command.
    bool StruckAt(FaultPhase phase, Clock::time_point at);

    void OnSync(Clock::time_point at);
    void OnCommandFrame(Clock::time_point at);
    void OnAddressFrame(Clock::time_point at);
    void OnReadCountFrame(Clock::time_point at);
    void OnWriteDataFrame(Clock::time_point at);
    void OnEraseFrame(Clock::time_point at);
    bool EraseFrameComplete() const;

    const Options options_;
    DeviceMemory& memory_;
    Journal& journal_;
    RateProbe lineRate_;

    Stage stage_ = Stage::Unsynchronised;
    bool powerOffPending_ = false;
    std::uint32_t heardRate_ = 0;  // the line's rate at the last request
    std::uint32_t syncRate_ = 0;   // the rate it synchronised at
    std::vector<std::uint8_t> frame_;
    CommandRecord current_;
    std::uint32_t address_ = 0;
    Clock::time_point lastByteAt_{};

    std::uint32_t syncsIgnored_ = 0;
    std::uint32_t commandsEnded_ = 0;
    std::uint32_t readCommands_ = 0;
    std::uint32_t writeCommands_ = 0;
    std::uint32_t blocksWritten_ = 0;

    std::vector<Emission> output_;
};

}  // namespace bootsim
