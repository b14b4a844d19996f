// The fixed buffers of the bootloader exchange, held by the bootloader object
// for its whole life and reused by every operation: no exchange allocates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace devlink {

inline constexpr std::size_t RxBufferSize = 4'096;

struct ProtocolBuffers {
    std::array<std::uint8_t, 2> CmdFrame{};
    std::array<std::uint8_t, 5> AddrFrame{};
    std::array<std::uint8_t, 130> DataFrame{};
    std::array<std::uint8_t, RxBufferSize> RxBuffer{};
    std::array<std::uint8_t, 16> BootCommands{};
};

}  // namespace devlink
