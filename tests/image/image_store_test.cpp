#include "image/image_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

class ImageStore : public ::testing::Test {
  protected:
    void SetUp() override { store->BuildImage(); }
    std::unique_ptr<image::DeviceImage> store = std::make_unique<image::DeviceImage>();
    std::array<std::uint8_t, image::ImageSize>& Image = store->Image;
};

TEST_F(ImageStore, GapsAroundTheTwoAreasHoldZero) {
    for (std::uint32_t a :
         {0x0000u, 0x0FFFu, 0x1800u, 0x8FFFu, 0x16C5Au, 0x16C7Fu, 0x16C80u, 0x1FFFFu}) {
        EXPECT_EQ(Image[a], 0x00) << std::hex << a;
    }
    EXPECT_TRUE(std::all_of(Image.begin(), Image.begin() + image::SettingsBase,
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(Image.begin() + image::SettingsLast + 1,
                            Image.begin() + image::FirmwareBase,
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(Image.begin() + image::FirmwareLast + 1, Image.end(),
                            [](std::uint8_t b) { return b == 0; }));
}

TEST_F(ImageStore, AreasHoldTheEmbeddedDataAtTheirAddresses) {
    EXPECT_EQ(Image[0x1000], image::SettingsData.front());
    EXPECT_EQ(Image[0x17FF], image::SettingsData.back());
    EXPECT_EQ(Image[0x9000], image::FirmwareData.front());
    EXPECT_EQ(Image[0x16C59], image::FirmwareData.back());
    EXPECT_TRUE(std::equal(image::SettingsData.begin(), image::SettingsData.end(),
                           Image.begin() + image::SettingsBase));
    EXPECT_TRUE(std::equal(image::FirmwareData.begin(), image::FirmwareData.end(),
                           Image.begin() + image::FirmwareBase));
}

TEST_F(ImageStore, LastBlocksOfEachArea) {
    // The last firmware block: the final 90 firmware bytes, then 38 bytes of fill.
    const auto* block = Image.data() + 0x16C00;
    EXPECT_TRUE(std::equal(image::FirmwareData.end() - 90, image::FirmwareData.end(), block));
    EXPECT_TRUE(std::all_of(block + 90, block + 128, [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::equal(image::SettingsData.end() - 128, image::SettingsData.end(),
                           Image.begin() + 0x1780));
}

TEST_F(ImageStore, RebuildingGivesTheSameBytes) {
    const auto first = Image;
    Image[0x9000] ^= 0xFF;
    Image[0x00010] = 0x55;
    store->BuildImage();
    EXPECT_EQ(first, Image);
}

#ifdef KESTRUN_SAMPLE_FIRMWARE
TEST(SampleFirmware, ByteValuesAreSpreadEvenly) {
    // The sample stands in for an enciphered build; if it were regenerated
    // with a skewed generator the wire tests would lose their variety.
    std::array<int, 256> counts{};
    for (std::uint8_t b : image::FirmwareData)
        ++counts[b];
    EXPECT_EQ(*std::min_element(counts.begin(), counts.end()), 220);
    EXPECT_EQ(*std::max_element(counts.begin(), counts.end()), 221);
}
#endif

}  // namespace
