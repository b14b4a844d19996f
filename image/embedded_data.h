// The firmware and the factory settings block that the updater carries. Both
// are compiled in from the build inputs (see CMake options KESTRUN_FIRMWARE and
// KESTRUN_SETTINGS) and sent to the device exactly as stored.
#pragma once

#include <array>
#include <cstdint>

namespace image {

inline constexpr std::uint32_t FirmwareSize = 56'410;
inline constexpr std::uint32_t SettingsSize = 2'048;

extern const std::array<std::uint8_t, FirmwareSize> FirmwareData;
extern const std::array<std::uint8_t, SettingsSize> SettingsData;

}  // namespace image
