#include "tools/bootsim/protocol_engine.h"

#include <algorithm>
#include <utility>

namespace bootsim {

namespace {

bool Emulated(std::uint8_t code) {
    switch (code) {
        case CmdGet:
        case CmdGetVersion:
        case CmdGetId:
        case CmdReadMemory:
        case CmdWriteMemory:
        case CmdErase:
            return true;
        default:
            return false;
    }
}

std::uint8_t XorOf(const std::vector<std::uint8_t>& bytes, std::size_t first, std::size_t last) {
    std::uint8_t sum = 0;
    for (std::size_t i = first; i < last; ++i) {
        sum ^= bytes[i];
    }
    return sum;
}

}  // namespace

ProtocolEngine::ProtocolEngine(const Options& options, DeviceMemory& memory, Journal& journal,
                               RateProbe lineRate)
    : options_(options), memory_(memory), journal_(journal), lineRate_(std::move(lineRate)) {
    frame_.reserve(258);  // the longest frame: a count, 256 bytes, a checksum
}

void ProtocolEngine::Receive(std::uint8_t byte, Clock::time_point at) {
    if (stage_ == Stage::Gone) {
        return;
    }
    // Judged by the gap on the line, not by when the caller got round to
    // CheckStall: a late check must not glue a new command onto a dead frame.
    CheckStall(at);
    lastByteAt_ = at;
    if (powerOffPending_ && stage_ == Stage::Idle) {
        PowerOff();
        return;
    }
    switch (stage_) {
        case Stage::Unsynchronised:
            // Until the autobaud byte has come, anything else is line noise.
            if (byte == SyncByte) {
                OnSync(at);
            }
            return;
        case Stage::Idle:
            if (byte == SyncByte && options_.resyncBetweenCommands) {
                // Its autobaud starts over, and may lock on another rate.
                stage_ = Stage::Unsynchronised;
                OnSync(at);
                return;
            }
            // Otherwise a 0x7F here is no new sync: the chip takes it as a
            // command code, and 7F 7F gets a NACK.
            frame_.assign(1, byte);
            current_ = CommandRecord{byte, std::nullopt, Outcome::Incomplete};
            stage_ = Stage::CommandFrame;
            return;
        case Stage::CommandFrame:
            frame_.push_back(byte);
            OnCommandFrame(at);
            return;
        case Stage::AddressFrame:
            frame_.push_back(byte);
            if (frame_.size() == 5) {
                OnAddressFrame(at);
            }
            return;
        case Stage::ReadCountFrame:
            frame_.push_back(byte);
            if (frame_.size() == 2) {
                OnReadCountFrame(at);
            }
            return;
        case Stage::WriteDataFrame:
            frame_.push_back(byte);
            // The count byte N, N + 1 data bytes, the checksum.
            if (frame_.size() == std::size_t{frame_[0]} + 3) {
                OnWriteDataFrame(at);
            }
            return;
        case Stage::EraseFrame:
            frame_.push_back(byte);
            if (EraseFrameComplete()) {
                OnEraseFrame(at);
            }
            return;
        case Stage::Gone:
            return;
    }
}

bool ProtocolEngine::InCommand() const {
    return stage_ != Stage::Unsynchronised && stage_ != Stage::Idle && stage_ != Stage::Gone;
}

std::optional<ProtocolEngine::Clock::time_point> ProtocolEngine::StallDeadline() const {
    if (!InCommand() || !options_.frameTimeout) {
        return std::nullopt;
    }
    return lastByteAt_ + *options_.frameTimeout;
}

void ProtocolEngine::CheckStall(Clock::time_point now) {
    const auto deadline = StallDeadline();
    if (deadline && now > *deadline) {
        EndCommand(Outcome::Incomplete, now);
    }
}

void ProtocolEngine::Finish() {
    if (!InCommand()) {
        return;
    }
    current_.outcome = Outcome::Incomplete;
    journal_.AddCommand(current_);
    stage_ = Stage::Idle;
    frame_.clear();
}

void ProtocolEngine::PowerOff() {
    Finish();
    output_.clear();
    stage_ = Stage::Gone;
    powerOffPending_ = false;
}

void ProtocolEngine::PowerOffBeforeNextCommand() {
    if (!InCommand()) {
        PowerOff();
        return;
    }
    powerOffPending_ = true;
}

void ProtocolEngine::Restart() {
    Finish();
    output_.clear();
    stage_ = Stage::Unsynchronised;
    syncRate_ = 0;
    powerOffPending_ = false;
}

std::vector<Emission> ProtocolEngine::TakeOutput() {
    return std::exchange(output_, {});
}

void ProtocolEngine::Emit(std::uint8_t byte, Clock::time_point at) {
    output_.push_back({byte, at});
}

void ProtocolEngine::Emit(std::initializer_list<std::uint8_t> bytes, Clock::time_point at) {
    for (std::uint8_t byte : bytes) {
        Emit(byte, at);
    }
}

bool ProtocolEngine::Hears(Clock::time_point at) {
    const std::uint32_t rate = lineRate_ ? lineRate_() : 0;
    journal_.AddObservedRate(rate);
    heardRate_ = rate;
    if (stage_ != Stage::Unsynchronised) {
        if (rate == syncRate_) {
            return true;
        }
        // Its UART stays at the rate it locked on and reads the request as
        // framing errors and stray bits: refused, and the refusal reaches
        // the host's UART as another byte in turn.
        Emit(options_.garbageByte, at);
        return false;
    }
    if (options_.answerOnlyAt == 0 || rate == options_.answerOnlyAt) {
        return true;
    }
    if (options_.garbageAtWrongRate) {
        Emit(options_.garbageByte, at);
    }
    return false;
}

void ProtocolEngine::EndCommand(Outcome outcome, Clock::time_point at) {
    current_.outcome = outcome;
    journal_.AddCommand(current_);
    stage_ = Stage::Idle;
    frame_.clear();
    ++commandsEnded_;
    if (commandsEnded_ == options_.staleAckAfterCommand) {
        Emit(AckByte, at);
    }
}

void ProtocolEngine::Strike(FaultAction action, Clock::time_point at) {
    switch (action) {
        case FaultAction::Nack:
            Emit(NackByte, at);
            break;
        case FaultAction::Silence:
            break;
        case FaultAction::Garbage:
            Emit(options_.garbageByte, at);
            break;
    }
}

const PhaseFault* ProtocolEngine::FaultFor(FaultPhase phase) const {
    std::uint32_t nth = 0;
    if (current_.code == CmdWriteMemory) {
        nth = writeCommands_;
    } else if (current_.code == CmdReadMemory) {
        nth = readCommands_;
    } else {
        return nullptr;
    }
    for (const PhaseFault& fault : options_.phaseFaults) {
        if (fault.command == current_.code && fault.nth == nth && fault.phase == phase) {
            return &fault;
        }
    }
    return nullptr;
}

void ProtocolEngine::Refuse(Clock::time_point at) {
    Emit(NackByte, at);
    EndCommand(Outcome::Nacked, at);
}

bool ProtocolEngine::StruckAt(FaultPhase phase, Clock::time_point at) {
    const PhaseFault* fault = FaultFor(phase);
    if (fault == nullptr)
        return false;
    Strike(fault->action, at);
    EndCommand(Outcome::Faulted, at);
    return true;
}

void ProtocolEngine::OnSync(Clock::time_point at) {
    if (!Hears(at)) {
        return;
    }
    if (syncsIgnored_ < options_.ignoreSyncs) {
        ++syncsIgnored_;
        return;
    }
    // The autobaud locks on this rate, and the ACK goes out at it.
    syncRate_ = heardRate_;
    stage_ = Stage::Idle;
    Emit(AckByte, at);
    journal_.CountSync();
}

void ProtocolEngine::OnCommandFrame(Clock::time_point at) {
    const std::uint8_t code = frame_[0];
    if (!Hears(at)) {
        EndCommand(Outcome::WrongRate, at);
        return;
    }
    const bool listed = std::find(options_.commands.begin(), options_.commands.end(), code) !=
                        options_.commands.end();
    // Codes that are listed but not emulated (Go, the protection commands)
    // are refused rather than half-done.
    if (frame_[1] != (code ^ 0xFF) || !listed || !Emulated(code)) {
        Refuse(at);
        return;
    }
    if (code == CmdReadMemory) {
        ++readCommands_;
    } else if (code == CmdWriteMemory) {
        ++writeCommands_;
    }
    if (StruckAt(FaultPhase::Command, at))
        return;
    Emit(AckByte, at);
    frame_.clear();
    switch (code) {
        case CmdGet: {
            const auto count = options_.getCountOverride.value_or(
                static_cast<std::uint8_t>(options_.commands.size()));
            Emit({count, options_.version}, at);
            for (std::uint8_t listedCode : options_.commands) {
                Emit(listedCode, at);
            }
            Emit(AckByte, at);
            EndCommand(Outcome::Completed, at);
            return;
        }
        case CmdGetVersion:
            // The two option bytes of old bootloaders, always zero here.
            Emit({options_.version, 0x00, 0x00, AckByte}, at);
            EndCommand(Outcome::Completed, at);
            return;
        case CmdGetId:
            Emit({0x01, static_cast<std::uint8_t>(options_.productId >> 8),
                  static_cast<std::uint8_t>(options_.productId & 0xFF), AckByte},
                 at);
            EndCommand(Outcome::Completed, at);
            return;
        case CmdReadMemory:
        case CmdWriteMemory:
            stage_ = Stage::AddressFrame;
            return;
        case CmdErase:
            stage_ = Stage::EraseFrame;
            return;
        default:
            return;
    }
}

void ProtocolEngine::OnAddressFrame(Clock::time_point at) {
    if (!Hears(at)) {
        EndCommand(Outcome::WrongRate, at);
        return;
    }
    if (XorOf(frame_, 0, 4) != frame_[4]) {
        Refuse(at);
        return;
    }
    address_ = (std::uint32_t{frame_[0]} << 24) | (std::uint32_t{frame_[1]} << 16) |
               (std::uint32_t{frame_[2]} << 8) | frame_[3];
    current_.address = address_;
    if (address_ >= MemorySize) {
        Refuse(at);
        return;
    }
    if (StruckAt(FaultPhase::Address, at))
        return;
    Emit(AckByte, at);
    frame_.clear();
    stage_ = current_.code == CmdReadMemory ? Stage::ReadCountFrame : Stage::WriteDataFrame;
}

void ProtocolEngine::OnReadCountFrame(Clock::time_point at) {
    if (!Hears(at)) {
        EndCommand(Outcome::WrongRate, at);
        return;
    }
    const std::uint32_t count = std::uint32_t{frame_[0]} + 1;
    if (frame_[1] != (frame_[0] ^ 0xFF) || !DeviceMemory::Holds(address_, count)) {
        Refuse(at);
        return;
    }
    if (StruckAt(FaultPhase::Data, at))
        return;
    std::vector<std::uint8_t> answer(count + 1);
    answer[0] = AckByte;
    memory_.Read(address_, std::span(answer).subspan(1));

    Outcome outcome = Outcome::Completed;
    for (const ReadCorruption& corruption : options_.readCorruptions) {
        if (corruption.nth == readCommands_ && corruption.byteIndex < count) {
            answer[1 + corruption.byteIndex] ^= 0xFF;
            outcome = Outcome::Faulted;
        }
    }
    if (options_.cutReadAnswer == readCommands_ && options_.cutReadKeep < answer.size()) {
        answer.resize(options_.cutReadKeep);
        outcome = Outcome::Faulted;
    }
    for (std::uint8_t byte : answer) {
        Emit(byte, at);
    }
    EndCommand(outcome, at);
}

void ProtocolEngine::OnWriteDataFrame(Clock::time_point at) {
    if (!Hears(at)) {
        EndCommand(Outcome::WrongRate, at);
        return;
    }
    const std::size_t count = std::size_t{frame_[0]} + 1;
    const bool checksumRight = XorOf(frame_, 0, count + 1) == frame_[count + 1];
    if (!checksumRight || !DeviceMemory::Holds(address_, static_cast<std::uint32_t>(count))) {
        Refuse(at);
        return;
    }
    if (StruckAt(FaultPhase::Data, at))
        return;
    memory_.Write(address_, std::span(frame_).subspan(1, count));
    Emit(AckByte, at + options_.writeDelay);
    EndCommand(Outcome::Completed, at + options_.writeDelay);
    ++blocksWritten_;
    if (blocksWritten_ == options_.hangUpAfterWrite) {
        stage_ = Stage::Gone;
    }
}

bool ProtocolEngine::EraseFrameComplete() const {
    if (frame_[0] == 0xFF) {
        return frame_.size() == 2;  // 0xFF and its complement 0x00
    }
    return frame_.size() == std::size_t{frame_[0]} + 3;  // N, N + 1 pages, checksum
}

void ProtocolEngine::OnEraseFrame(Clock::time_point at) {
    if (!Hears(at)) {
        EndCommand(Outcome::WrongRate, at);
        return;
    }
    if (frame_[0] == 0xFF) {
        if (frame_[1] != 0x00) {
            Emit(NackByte, at);
            EndCommand(Outcome::Nacked, at);
            return;
        }
        memory_.EraseAll();
        Emit(AckByte, at);
        EndCommand(Outcome::Completed, at);
        return;
    }
    const std::size_t pages = std::size_t{frame_[0]} + 1;
    const bool checksumRight = XorOf(frame_, 0, pages + 1) == frame_[pages + 1];
    const bool pagesExist =
        std::all_of(frame_.begin() + 1, frame_.begin() + 1 + static_cast<std::ptrdiff_t>(pages),
                    [](std::uint8_t page) { return page < PageCount; });
    if (!checksumRight || !pagesExist) {
        Refuse(at);
        return;
    }
    for (std::size_t i = 1; i <= pages; ++i) {
        memory_.ErasePage(frame_[i]);
    }
    Emit(AckByte, at);
    EndCommand(Outcome::Completed, at);
}

}  // namespace bootsim
