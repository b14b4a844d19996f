#include "link/bootloader.h"

#include <algorithm>

namespace devlink {

namespace {

// Poll limits of the exchanges; a poll is one 1 ms sleep and one look at the
// input queue.
constexpr std::uint32_t SyncPolls = 200;
constexpr std::uint32_t CommandAckPolls = 200;
constexpr std::uint32_t GetAnswerPolls = 100;
constexpr std::uint32_t ReadAddressAckPolls = 200;
constexpr std::uint32_t ReadAnswerPolls = 500;
constexpr std::uint32_t WriteAddressAckPolls = 100;
constexpr std::uint32_t WriteDataAckPolls = 2000;

constexpr std::uint8_t BlockCountByte = ProtocolBlockSize - 1;   // sent as count - 1
constexpr std::uint16_t ReadAnswerSize = 1 + ProtocolBlockSize;  // ACK, then the block

}  // namespace

Bootloader::Bootloader(UpdaterState& state, SerialChannel& channel, const image::DeviceImage& image)
    : state_(state), channel_(channel), image_(image) {}

bool Bootloader::WaitAck(std::uint32_t polls) {
    buffers_.RxBuffer[0] = 0;
    std::uint32_t bytesRead = 0;
    if (!channel_.WaitForBytes(polls, 1))
        return false;
    channel_.ReadBytes(buffers_.RxBuffer.data(), 1, bytesRead);
    return buffers_.RxBuffer[0] == AckByte;
}

void Bootloader::PutCommand(std::uint8_t code) {
    buffers_.CmdFrame[0] = code;
    buffers_.CmdFrame[1] = static_cast<std::uint8_t>(code ^ 0xFF);
}

void Bootloader::PutAddress(std::uint32_t address) {
    buffers_.AddrFrame[0] = static_cast<std::uint8_t>(address >> 24);
    buffers_.AddrFrame[1] = static_cast<std::uint8_t>(address >> 16);
    buffers_.AddrFrame[2] = static_cast<std::uint8_t>(address >> 8);
    buffers_.AddrFrame[3] = static_cast<std::uint8_t>(address);
    buffers_.AddrFrame[4] =
        static_cast<std::uint8_t>(buffers_.AddrFrame[0] ^ buffers_.AddrFrame[1] ^
                                  buffers_.AddrFrame[2] ^ buffers_.AddrFrame[3]);
}

bool Bootloader::SyncBootloader() {
    channel_.DrainInput(buffers_.RxBuffer);
    buffers_.RxBuffer[0] = 0;
    buffers_.CmdFrame[0] = SyncByte;
    channel_.WriteBytes(buffers_.CmdFrame.data(), 1);
    std::uint32_t bytesRead = 0;
    if (channel_.WaitForBytes(SyncPolls, 1))
        channel_.ReadBytes(buffers_.RxBuffer.data(), 1, bytesRead);
    // A refusal comes from a bootloader still synchronised from an earlier
    // connection, which took the previous sync byte for the first byte of a
    // command: it is there and listening. Whether it is the bootloader we
    // know is for the identification that follows to say.
    return buffers_.RxBuffer[0] == AckByte || buffers_.RxBuffer[0] == NackByte;
}

bool Bootloader::GetBootloaderInfo() {
    channel_.DrainInput(buffers_.RxBuffer);
    buffers_.RxBuffer.fill(0);
    buffers_.BootCommands.fill(0);

    PutCommand(CmdGet);
    channel_.WriteBytes(buffers_.CmdFrame.data(), 2);
    if (!WaitAck(CommandAckPolls))
        return false;

    std::uint32_t bytesRead = 0;
    if (!channel_.WaitForBytes(GetAnswerPolls, 1))
        return false;
    channel_.ReadBytes(&buffers_.RxBuffer[1], 1, bytesRead);
    const std::uint8_t count = buffers_.RxBuffer[1];
    state_.CommandCount = count;
    // More than MaxCommandCount codes is no bootloader we know; the rest of
    // such an answer is left for the next drain.
    if (count > MaxCommandCount)
        return false;

    const std::uint16_t rest = static_cast<std::uint16_t>(count + 2);  // version, codes, ACK
    if (!channel_.WaitForBytes(GetAnswerPolls, rest))
        return false;
    channel_.ReadBytes(&buffers_.RxBuffer[2], rest, bytesRead);
    if (buffers_.RxBuffer[count + 3] != AckByte)
        return false;

    state_.BootloaderVersion = buffers_.RxBuffer[2];
    if (state_.BootloaderVersion != RequiredBootloaderVersion)
        return false;
    std::copy_n(&buffers_.RxBuffer[3], count, buffers_.BootCommands.begin());
    return true;
}

bool Bootloader::ReadBlock(std::uint32_t address) {
    channel_.DrainInput(buffers_.RxBuffer);
    buffers_.RxBuffer.fill(0);

    PutCommand(CmdReadMemory);
    PutAddress(address);
    buffers_.DataFrame[0] = BlockCountByte;
    buffers_.DataFrame[1] = static_cast<std::uint8_t>(BlockCountByte ^ 0xFF);

    channel_.WriteBytes(buffers_.CmdFrame.data(), 2);
    if (!WaitAck(CommandAckPolls))
        return false;

    channel_.WriteBytes(buffers_.AddrFrame.data(), 5);
    std::uint32_t bytesRead = 0;
    if (!channel_.WaitForBytes(ReadAddressAckPolls, 1))
        return false;
    channel_.ReadBytes(buffers_.RxBuffer.data(), 1, bytesRead);
    if (buffers_.RxBuffer[0] != AckByte)
        return false;

    channel_.WriteBytes(buffers_.DataFrame.data(), 2);
    if (!channel_.WaitForBytes(ReadAnswerPolls, ReadAnswerSize))
        return false;
    channel_.ReadBytes(buffers_.RxBuffer.data(), ReadAnswerSize, bytesRead);
    return buffers_.RxBuffer[0] == AckByte;
}

bool Bootloader::WriteBlock(std::uint32_t address) {
    // The block must lie wholly inside the image; nothing past it may be sent.
    if (address > image::ImageSize - ProtocolBlockSize)
        return false;
    channel_.DrainInput(buffers_.RxBuffer);
    buffers_.RxBuffer.fill(0);

    PutCommand(CmdWriteMemory);
    PutAddress(address);
    buffers_.DataFrame[0] = BlockCountByte;
    std::uint8_t checksum = BlockCountByte;
    for (std::uint16_t i = 0; i < ProtocolBlockSize; ++i) {
        const std::uint8_t byte = image_.Image[address + i];
        buffers_.DataFrame[1 + i] = byte;
        checksum ^= byte;
    }
    buffers_.DataFrame[1 + ProtocolBlockSize] = checksum;

    channel_.WriteBytes(buffers_.CmdFrame.data(), 2);
    if (!WaitAck(CommandAckPolls))
        return false;
    channel_.WriteBytes(buffers_.AddrFrame.data(), 5);
    if (!WaitAck(WriteAddressAckPolls))
        return false;
    channel_.WriteBytes(buffers_.DataFrame.data(),
                        static_cast<std::uint16_t>(buffers_.DataFrame.size()));
    return WaitAck(WriteDataAckPolls);
}

}  // namespace devlink
