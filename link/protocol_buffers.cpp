#include "link/protocol_buffers.h"

namespace devlink {

std::array<std::uint8_t, 2> CmdFrame{};
std::array<std::uint8_t, 5> AddrFrame{};
std::array<std::uint8_t, 130> DataFrame{};
std::array<std::uint8_t, RxBufferSize> RxBuffer{};
std::array<std::uint8_t, 16> BootCommands{};

}  // namespace devlink
