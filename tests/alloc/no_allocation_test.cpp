// The update's block loop runs for minutes on a machine that may be short of
// memory: no block may cost a heap allocation.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "alloc/counting_new.h"
#include "alloc/instant_programmer.h"
#include "app/Update_Main.h"
#include "app/update_stage.h"
#include "fakes/recording_view.h"
#include "image/image_store.h"
#include "link/bootloader.h"
#include "stand_ins/fixed_ports_registry.h"

namespace {

using app::Control;

TEST(NoAllocation, BlockWritesAndReadsAllocateNothing) {
    alloctest::InstantProgrammer programmer;
    devlink::UpdaterState state;
    devlink::SerialChannel channel(state, programmer);
    image::DeviceImage image;
    image.BuildImage();
    devlink::Bootloader boot(state, channel, image);
    state.PortOpen = channel.OpenPort("COM33", 115200);
    ASSERT_TRUE(state.PortOpen && boot.SyncBootloader() && boot.GetBootloaderInfo());

    const std::uint64_t before = alloccount::Allocations();
    for (std::uint32_t address = image::FirmwareBase; address < image::FirmwareBase + 64 * 128;
         address += 128) {
        ASSERT_TRUE(boot.WriteBlock(address));
        ASSERT_TRUE(boot.ReadBlock(address));
        ASSERT_TRUE(std::equal(boot.ReadBackBlock().begin(), boot.ReadBackBlock().end(),
                               &image.Image[address]));
    }
    EXPECT_EQ(alloccount::Allocations() - before, 0u);
}

TEST(NoAllocation, WholeUpdateAllocatesNothingBetweenBlocks) {
    alloctest::InstantProgrammer programmer;
    stand_ins::FixedPortsRegistry registry;
    registry.devices.push_back({"Silicon Labs CP210x USB to UART Bridge (COM33)", ""});
    fakes::RecordingView view;
    app::TForm1 form(view, programmer, registry, nullptr);
    form.FormCreate();
    form.btnNEXTClick();
    form.btnNEXTClick();
    form.btnConnectClick();
    ASSERT_TRUE(form.State().Connected);

    // One mark per message pump, which the loop reaches once per block.
    std::vector<std::uint64_t> marks;
    marks.reserve(2000);
    view.writePositions.reserve(1000);
    view.verifyPositions.reserve(1000);
    view.onProcessMessages = [&marks](int) { marks.push_back(alloccount::Allocations()); };
    form.btnNEXTClick();

    ASSERT_EQ(form.State().Stage, app::StageDone);
    ASSERT_EQ(marks.size(), 1u + 441u + 441u);  // before the loop, then after each block
    for (std::size_t i = 1; i < marks.size(); ++i)
        ASSERT_EQ(marks[i], marks[i - 1]) << "allocations between pump " << i << " and " << i + 1;
    std::vector<std::uint8_t> held(image::FirmwareLast - image::FirmwareBase + 1);
    ASSERT_TRUE(programmer.memory.Read(image::FirmwareBase, held));
    EXPECT_TRUE(std::equal(held.begin(), held.end(), &form.Image().Image[image::FirmwareBase]));
}

}  // namespace
