// How the emulated programmer behaves: the bootloader's identity, the line it
// sits on and the faults it injects. Every setting is deterministic; nothing
// depends on chance or on the wall clock beyond the pacing of the line.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace bootsim {

// The protocol's bytes and command codes are written here again on purpose,
// not taken from link/: the emulator is the tests' independent judge of the
// link, so a wrong code in the updater must not become right in both.
inline constexpr std::uint8_t SyncByte = 0x7F;
inline constexpr std::uint8_t AckByte = 0x79;
inline constexpr std::uint8_t NackByte = 0x1F;

inline constexpr std::uint8_t CmdGet = 0x00;
inline constexpr std::uint8_t CmdGetVersion = 0x01;
inline constexpr std::uint8_t CmdGetId = 0x02;
inline constexpr std::uint8_t CmdReadMemory = 0x11;
inline constexpr std::uint8_t CmdGo = 0x21;
inline constexpr std::uint8_t CmdWriteMemory = 0x31;
inline constexpr std::uint8_t CmdErase = 0x43;
inline constexpr std::uint8_t CmdWriteProtect = 0x63;
inline constexpr std::uint8_t CmdWriteUnprotect = 0x73;
inline constexpr std::uint8_t CmdReadoutProtect = 0x82;
inline constexpr std::uint8_t CmdReadoutUnprotect = 0x92;

// The frame of Write Memory or Read Memory at which a fault strikes, in place
// of the acknowledgement that would close it.
enum class FaultPhase {
    Command,  // the command frame
    Address,  // the address frame
    Data,     // the data frame of Write Memory, the count frame of Read Memory
};

enum class FaultAction {
    Nack,     // a negative acknowledgement
    Silence,  // nothing at all
    Garbage,  // Options::garbageByte
};

// Strikes the n-th (1-based) command with code `command`, counting only
// command frames of that code that the device accepted. Whatever the action,
// the device then drops the command and waits for the next one; a Write
// Memory struck at its data frame stores nothing.
struct PhaseFault {
    std::uint8_t command = CmdWriteMemory;  // CmdWriteMemory or CmdReadMemory
    std::uint32_t nth = 1;
    FaultPhase phase = FaultPhase::Command;
    FaultAction action = FaultAction::Nack;
};

// Inverts one data byte of the n-th Read Memory answer (the memory keeps it).
struct ReadCorruption {
    std::uint32_t nth = 1;
    std::uint8_t byteIndex = 0;  // 0 is the first data byte, after the ACK
};

struct Options {
    // Identity, as Get, Get Version and Get ID report it.
    std::uint8_t version = 0x11;
    std::vector<std::uint8_t> commands{CmdGet,
                                       CmdGetVersion,
                                       CmdGetId,
                                       CmdReadMemory,
                                       CmdGo,
                                       CmdWriteMemory,
                                       CmdErase,
                                       CmdWriteProtect,
                                       CmdWriteUnprotect,
                                       CmdReadoutProtect,
                                       CmdReadoutUnprotect};
    // Announces this N in Get while still sending the list above.
    std::optional<std::uint8_t> getCountOverride;
    std::uint16_t productId = 0x0410;

    // What every byte of memory holds at start.
    std::uint8_t fill = 0xFF;

    // Wire speed used to pace both directions (0: unpaced, as fast as the
    // pty goes). Each byte takes 11 bit times: start, 8 data, parity, stop.
    std::uint32_t paceBaud = 0;
    // When non-zero, the device synchronises only while the host's line is
    // set to this rate; at any other rate it stays silent, or answers
    // garbageByte when garbageAtWrongRate is set.
    std::uint32_t answerOnlyAt = 0;
    bool garbageAtWrongRate = false;
    std::uint8_t garbageByte = 0xA5;

    // Time spent programming a block before Write Memory's final ACK.
    std::chrono::milliseconds writeDelay{0};

    // The chip's own bootloader is strict where a host may wish it kind: it
    // waits for the rest of a half-received command for ever, takes a 0x7F
    // between commands as a command code (7F 7F is refused with a NACK), and
    // keeps the rate it synchronised at until it restarts: a request made at
    // another rate reaches it as other bytes and is refused, the refusal
    // reaching the host as another byte (garbageByte) in turn. The kinder
    // behaviours are asked for here.
    //
    // Silence in the middle of a frame after which the device gives the
    // frame up and waits for a new command; unset, it waits for ever.
    std::optional<std::chrono::milliseconds> frameTimeout;
    // A 0x7F between commands is answered as a new synchronisation.
    bool resyncBetweenCommands = false;

    // Faults.
    std::uint32_t ignoreSyncs = 0;  // the first k sync bytes get no answer
    std::vector<PhaseFault> phaseFaults;
    std::vector<ReadCorruption> readCorruptions;
    // After the answer to the n-th command of any kind (the n-th entry of the
    // command record), one extra ACK follows, so that it is already waiting
    // when the host starts its next command. 0: never.
    std::uint32_t staleAckAfterCommand = 0;
    // The n-th Read Memory answer stops after its first cutReadKeep bytes
    // (counting the ACK). 0: never.
    std::uint32_t cutReadAnswer = 0;
    std::uint32_t cutReadKeep = 100;
    // After the n-th block stored by Write Memory (and its ACK) the device is
    // gone: no answer and no stored byte until it restarts. 0: never.
    std::uint32_t hangUpAfterWrite = 0;

    // Counts the host's opens of the port and the closes of its last
    // descriptor (PtyServer::HostOpens, HostCloses). Telling the last close
    // scans every process's descriptors in /proc, which holds descriptors of
    // this process open for a moment; so it is off unless asked for, and a
    // host in the same process can count its own descriptors undisturbed.
    bool watchHost = false;
};

}  // namespace bootsim
