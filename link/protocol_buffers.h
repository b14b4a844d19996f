// The fixed buffers of the bootloader exchange, allocated once for the life
// of the process and reused by every operation.
#pragma once

#include <array>
#include <cstdint>

namespace devlink {

inline constexpr std::size_t RxBufferSize = 4'096;

extern std::array<std::uint8_t, 2> CmdFrame;
extern std::array<std::uint8_t, 5> AddrFrame;
extern std::array<std::uint8_t, 130> DataFrame;
extern std::array<std::uint8_t, RxBufferSize> RxBuffer;
extern std::array<std::uint8_t, 16> BootCommands;

}  // namespace devlink
