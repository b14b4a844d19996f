// The picture of device memory that every write and every comparison of an
// update is taken from. A device address is also the offset in Image.
#pragma once

#include <array>
#include <cstdint>

#include "image/embedded_data.h"

namespace image {

inline constexpr std::uint32_t ImageSize = 0x20000;  // 128 KiB of device memory

inline constexpr std::uint32_t SettingsBase = 0x1000;
inline constexpr std::uint32_t SettingsLast = 0x17FF;
inline constexpr std::uint32_t FirmwareBase = 0x9000;
inline constexpr std::uint32_t FirmwareLast = 0x16C59;

static_assert(SettingsLast - SettingsBase + 1 == SettingsSize);
static_assert(FirmwareLast - FirmwareBase + 1 == FirmwareSize);

// An update moves 128-byte blocks, the last one of each area counted whole.
inline constexpr std::uint32_t BlockSize = 128;
inline constexpr std::uint32_t FirmwareBlocks =
    (FirmwareLast - FirmwareBase + BlockSize) / BlockSize;
inline constexpr std::uint32_t SettingsBlocks =
    (SettingsLast - SettingsBase + BlockSize) / BlockSize;
static_assert(SettingsBase % 128 == 0 && FirmwareBase % 128 == 0,
              "every block sent starts on a 128-byte boundary of device memory");

// Held by the window for the life of the program, so building it allocates
// nothing.
struct DeviceImage {
    std::array<std::uint8_t, ImageSize> Image{};

    // Clears Image and lays the settings block and the firmware out in it.
    void BuildImage();
};

}  // namespace image
