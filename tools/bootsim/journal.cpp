#include "tools/bootsim/journal.h"

#include "tools/bootsim/options.h"

namespace bootsim {

std::string_view OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Completed:
            return "completed";
        case Outcome::Nacked:
            return "nacked";
        case Outcome::Faulted:
            return "faulted";
        case Outcome::Incomplete:
            return "incomplete";
        case Outcome::WrongRate:
            return "wrong-rate";
    }
    return "?";
}

void Journal::AddCommand(const CommandRecord& record) {
    std::lock_guard lock(mutex_);
    commands_.push_back(record);
}

void Journal::AddReceived(std::uint8_t value, std::chrono::steady_clock::time_point at) {
    std::lock_guard lock(mutex_);
    received_.push_back({value, at});
}

void Journal::AddObservedRate(std::uint32_t rate) {
    std::lock_guard lock(mutex_);
    rates_.push_back(rate);
}

void Journal::CountSync() {
    std::lock_guard lock(mutex_);
    ++syncs_;
}

std::vector<CommandRecord> Journal::Commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

std::vector<ReceivedByte> Journal::Received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<std::uint8_t> Journal::ReceivedValues() const {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> values;
    values.reserve(received_.size());
    for (const ReceivedByte& byte : received_) {
        values.push_back(byte.value);
    }
    return values;
}

std::vector<std::uint32_t> Journal::ObservedRates() const {
    std::lock_guard lock(mutex_);
    return rates_;
}

std::uint32_t Journal::SyncsAnswered() const {
    std::lock_guard lock(mutex_);
    return syncs_;
}

const char* CommandName(std::uint8_t code) {
    switch (code) {
        case bootsim::CmdGet:
            return "Get";
        case bootsim::CmdGetVersion:
            return "Get Version";
        case bootsim::CmdGetId:
            return "Get ID";
        case bootsim::CmdReadMemory:
            return "Read Memory";
        case bootsim::CmdWriteMemory:
            return "Write Memory";
        case bootsim::CmdErase:
            return "Erase";
        default:
            return "other";
    }
}

}  // namespace bootsim
