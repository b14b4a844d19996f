#include "image/image_store.h"

#include <algorithm>

namespace image {

std::array<std::uint8_t, ImageSize> Image{};

void BuildImage() {
    Image.fill(0x00);
    std::copy(SettingsData.begin(), SettingsData.end(), Image.begin() + SettingsBase);
    std::copy(FirmwareData.begin(), FirmwareData.end(), Image.begin() + FirmwareBase);
}

}  // namespace image
