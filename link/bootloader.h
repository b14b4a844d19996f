// Host side of the device's serial bootloader (the STM32 UART bootloader
// command set), as far as the updater uses it.
//
// Departures from the published protocol, on purpose: a NACK is not told
// apart from silence or any other wrong byte, except in answer to the sync
// byte; nothing is retransmitted; the Get answer is accepted only from
// bootloader version 0x11 with at most 12 commands; blocks are always 128
// bytes; no erase and no Go.
#pragma once

#include <cstdint>
#include <span>

#include "image/image_store.h"
#include "link/protocol_buffers.h"

#include "link/serial_channel.h"
#include "link/updater_state.h"

namespace devlink {

inline constexpr std::uint8_t SyncByte = 0x7F;
inline constexpr std::uint8_t AckByte = 0x79;
// A bootloader still synchronised from an earlier connection takes a sync
// byte as the first byte of a command and refuses the next one with this.
inline constexpr std::uint8_t NackByte = 0x1F;
inline constexpr std::uint8_t CmdGet = 0x00;
inline constexpr std::uint8_t CmdReadMemory = 0x11;
inline constexpr std::uint8_t CmdWriteMemory = 0x31;
inline constexpr std::uint8_t RequiredBootloaderVersion = 0x11;
inline constexpr std::uint8_t MaxCommandCount = 12;
inline constexpr std::uint16_t ProtocolBlockSize = image::BlockSize;

class Bootloader {
  public:
    // Blocks are written from `image`, which must outlive the bootloader.
    Bootloader(UpdaterState& state, SerialChannel& channel, const image::DeviceImage& image);

    bool WaitAck(std::uint32_t polls);
    void PutCommand(std::uint8_t code);
    void PutAddress(std::uint32_t address);

    bool SyncBootloader();
    // Reads the identification; sets CommandCount as soon as it is read and
    // BootloaderVersion once the answer's closing acknowledgement is right.
    bool GetBootloaderInfo();
    // On success the 128 bytes read are in RxBuffer[1..128]: ReadBackBlock().
    bool ReadBlock(std::uint32_t address);
    // Writes the 128 bytes of the image from `address` on.
    bool WriteBlock(std::uint32_t address);

    std::span<const std::uint8_t, ProtocolBlockSize> ReadBackBlock() const {
        return std::span(buffers_.RxBuffer).subspan<1, ProtocolBlockSize>();
    }
    const ProtocolBuffers& Buffers() const { return buffers_; }
    ProtocolBuffers& Buffers() { return buffers_; }

  private:
    UpdaterState& state_;
    SerialChannel& channel_;
    const image::DeviceImage& image_;
    ProtocolBuffers buffers_;
};

}  // namespace devlink
