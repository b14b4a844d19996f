// What the emulated device saw and did, for tests to inspect while it serves
// and after it stopped. Every accessor is safe from any thread and returns a
// copy.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace bootsim {

enum class Outcome {
    Completed,   // acknowledged to the end and carried out
    Nacked,      // refused by the protocol: bad complement, checksum, range or code
    Faulted,     // an injected fault decided the answer
    Incomplete,  // the host stopped sending in the middle of the command
    WrongRate,   // made while the line was at a rate the device does not hear
};

std::string_view OutcomeName(Outcome outcome);

struct CommandRecord {
    std::uint8_t code = 0;
    std::optional<std::uint32_t> address;  // once a valid address frame came
    Outcome outcome = Outcome::Completed;

    bool operator==(const CommandRecord&) const = default;
};

struct ReceivedByte {
    std::uint8_t value = 0;
    std::chrono::steady_clock::time_point at;  // when the device read it
};

class Journal {
  public:
    void AddCommand(const CommandRecord& record);
    void AddReceived(std::uint8_t value, std::chrono::steady_clock::time_point at);
    void AddObservedRate(std::uint32_t rate);
    void CountSync();

    // In the order the commands ended.
    std::vector<CommandRecord> Commands() const;
    std::vector<ReceivedByte> Received() const;
    // Just the values of Received(), for byte-for-byte comparisons.
    std::vector<std::uint8_t> ReceivedValues() const;
    // The host's line rate at each request the device handled, in order.
    std::vector<std::uint32_t> ObservedRates() const;
    std::uint32_t SyncsAnswered() const;

  private:
    mutable std::mutex mutex_;
    std::vector<CommandRecord> commands_;
    std::vector<ReceivedByte> received_;
    std::vector<std::uint32_t> rates_;
    std::uint32_t syncs_ = 0;
};

// The name of a command code for people reading a record ("Write Memory").
const char* CommandName(std::uint8_t code);

}  // namespace bootsim
