// The bootloader exchanges against whatever a device might send back.
//
// Input: one byte choosing the operation, one byte for how many bytes arrive
// per poll, four bytes of block address, then the device's byte stream.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "fuzz/fuzz_check.h"
#include "fuzz/stream_serial_api.h"
#include "image/image_store.h"
#include "link/bootloader.h"
#include "link/port_discovery.h"
#include "link/serial_channel.h"
#include "link/updater_state.h"

namespace {

// The image lives on the heap for the whole run, so that a block read past
// its end is an ASan finding rather than a read of a neighbouring global.
const image::DeviceImage& TheImage() {
    static const std::unique_ptr<image::DeviceImage> image = [] {
        auto built = std::make_unique<image::DeviceImage>();
        built->BuildImage();
        return built;
    }();
    return *image;
}

void CheckSync(bool ok, const fuzzing::StreamSerialApi& api) {
    if (ok)
        FUZZ_CHECK(api.Last().got == 1 && (api.Last().bytes[0] == devlink::AckByte ||
                                           api.Last().bytes[0] == devlink::NackByte));
}

void CheckInfo(bool ok, const devlink::UpdaterState& state, const devlink::Bootloader& boot) {
    if (!ok)
        return;
    FUZZ_CHECK(state.BootloaderVersion == devlink::RequiredBootloaderVersion);
    FUZZ_CHECK(state.CommandCount <= devlink::MaxCommandCount);
    const auto& b = boot.Buffers();
    FUZZ_CHECK(b.RxBuffer[1] == state.CommandCount);
    FUZZ_CHECK(std::equal(b.BootCommands.begin(), b.BootCommands.begin() + state.CommandCount,
                          b.RxBuffer.begin() + 3));
}

void CheckRead(bool ok, const fuzzing::StreamSerialApi& api, const devlink::Bootloader& boot) {
    if (!ok)
        return;
    // Only a whole answer that began with an acknowledgement counts.
    const fuzzing::LastRead& last = api.Last();
    FUZZ_CHECK(last.asked == 1 + devlink::ProtocolBlockSize);
    FUZZ_CHECK(last.got == 1 + devlink::ProtocolBlockSize);
    FUZZ_CHECK(last.bytes[0] == devlink::AckByte);
    const auto block = boot.ReadBackBlock();
    FUZZ_CHECK(std::equal(block.begin(), block.end(), last.bytes.begin() + 1));
}

void CheckWrite(bool ok, std::uint32_t address, const fuzzing::StreamSerialApi& api) {
    if (!ok)
        return;
    FUZZ_CHECK(address <= image::ImageSize - devlink::ProtocolBlockSize);
    FUZZ_CHECK(api.Last().got == 1 && api.Last().bytes[0] == devlink::AckByte);
    // What was acknowledged is the image's block with its count and checksum.
    const auto frame = api.LastWrite();
    FUZZ_CHECK(frame.size() == 2 + devlink::ProtocolBlockSize);
    std::uint8_t checksum = frame[0];
    for (std::size_t i = 0; i < devlink::ProtocolBlockSize; ++i) {
        FUZZ_CHECK(frame[1 + i] == TheImage().Image[address + i]);
        checksum ^= frame[1 + i];
    }
    FUZZ_CHECK(frame.back() == checksum);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6)
        return 0;
    const std::uint8_t operation = data[0] % 5;
    const std::size_t bytesPerPoll = data[1];
    std::uint32_t address = 0;
    for (int i = 0; i < 4; ++i)
        address = (address << 8) | data[2 + i];
    fuzzing::StreamSerialApi api(std::span(data + 6, size - 6), bytesPerPoll);

    devlink::UpdaterState state;
    devlink::SerialChannel channel(state, api);
    auto boot = std::make_unique<devlink::Bootloader>(state, channel, TheImage());
    api.GuardReadsInto(boot->Buffers().RxBuffer);
    state.PortOpen = channel.OpenPort("COM33", devlink::FastRate);
    FUZZ_CHECK(state.PortOpen);

    switch (operation) {
        case 0:
            CheckSync(boot->SyncBootloader(), api);
            break;
        case 1:
            CheckInfo(boot->GetBootloaderInfo(), state, *boot);
            break;
        case 2:
            CheckRead(boot->ReadBlock(address), api, *boot);
            break;
        case 3:
            CheckWrite(boot->WriteBlock(address), address, api);
            break;
        default: {
            // The order of a connection and one block of an update.
            CheckSync(boot->SyncBootloader(), api);
            CheckInfo(boot->GetBootloaderInfo(), state, *boot);
            CheckWrite(boot->WriteBlock(address), address, api);
            CheckRead(boot->ReadBlock(address), api, *boot);
            break;
        }
    }
    return 0;
}
