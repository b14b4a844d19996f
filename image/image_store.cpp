#include "image/image_store.h"

#include <algorithm>

namespace image {

void DeviceImage::BuildImage() {
    Image.fill(0x00);
    std::copy(SettingsData.begin(), SettingsData.end(), Image.begin() + SettingsBase);
    std::copy(FirmwareData.begin(), FirmwareData.end(), Image.begin() + FirmwareBase);
}

}  // namespace image
