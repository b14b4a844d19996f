// The whole update, run inside the press of Далее on the connection page:
// write the firmware, read every block back and compare it, then write the
// factory settings unless the user keeps them.

#include <span>

#include "app/Update_Main.h"
#include "app/update_stage.h"
#include "image/image_store.h"

namespace app {

namespace {

// Both bars share one formula; unsigned 32-bit arithmetic, multiply first.
int ProgressPercent(std::uint32_t address, std::uint32_t lastAddress) {
    return static_cast<int>(((address - image::FirmwareBase + 1) * 100u) /
                            (lastAddress - image::FirmwareBase));
}

// The block read back against the image, judged only up to the last
// firmware address: the tail of the last block is fill.
bool BlockMatchesImage(std::span<const std::uint8_t> readBack, const image::DeviceImage& image,
                       std::uint32_t address, std::uint16_t blockSize, std::uint32_t lastAddress) {
    for (std::uint16_t i = 0; i < blockSize && i < readBack.size(); ++i) {
        if (readBack[i] != image.Image[address + i] && address + i <= lastAddress)
            return false;
    }
    return true;
}

}  // namespace

void TForm1::SetProgress(Control bar) {
    view_.SetPosition(bar, ProgressPercent(state_.Address, state_.LastAddress));
}

void TForm1::ShowWriteFailure() {
    state_.Stage = StageIdle;
    view_.SetVisible(Control::lbWriteOn, false);
    view_.SetVisible(Control::lbWriteErr, true);
    view_.SetVisible(Control::txtWriteFail, true);
    view_.SetVisible(Control::ListWriteFail, true);
}

void TForm1::ShowVerifyFailure() {
    state_.Stage = StageIdle;
    view_.SetVisible(Control::lbVerifyOn, false);
    view_.SetVisible(Control::lbVerifyErr, true);
    view_.SetVisible(Control::txtWriteFail, true);
    view_.SetVisible(Control::ListWriteFail, true);
}

void TForm1::RunUpdate() {
    if (!state_.Connected)
        return;
    updateRunning_ = true;

    view_.SetEnabled(Control::btnBACK, false);
    view_.SetEnabled(Control::btnNEXT, false);
    view_.SetVisible(Control::lbWrite, true);
    view_.SetPosition(Control::BarWrite, 0);
    view_.SetVisible(Control::BarWrite, true);
    view_.SetVisible(Control::lbWriteOn, true);
    view_.ProcessPendingMessages();

    bool ok = true;
    state_.Stage = StageWriting;
    state_.Address = image::FirmwareBase;
    state_.LastAddress = image::FirmwareLast;
    while (state_.Address <= state_.LastAddress) {
        ok = bootloader_.WriteBlock(state_.Address);
        state_.Address += state_.BlockSize;
        if (!ok) {
            ShowWriteFailure();
            break;
        }
        SetProgress(Control::BarWrite);
        view_.ProcessPendingMessages();
    }

    // A failed last block also leaves Address past the end, so the stage
    // decides whether the write pass finished.
    if (state_.Address > state_.LastAddress && state_.Stage == StageWriting) {
        state_.Stage = StageVerifying;
        state_.Address = image::FirmwareBase;
        view_.SetVisible(Control::lbWriteOn, false);
        view_.SetVisible(Control::lbWriteOK, true);
        view_.SetVisible(Control::lbVerify, true);
        view_.SetPosition(Control::BarVerify, 0);
        view_.SetVisible(Control::BarVerify, true);
        view_.SetVisible(Control::lbVerifyOn, true);
        while (state_.Address <= state_.LastAddress) {
            ok = bootloader_.ReadBlock(state_.Address) &&
                 BlockMatchesImage(bootloader_.ReadBackBlock(), image_, state_.Address,
                                   state_.BlockSize, state_.LastAddress);
            state_.Address += state_.BlockSize;
            if (!ok) {
                ShowVerifyFailure();
                break;
            }
            SetProgress(Control::BarVerify);
            view_.ProcessPendingMessages();
        }
    }

    if (state_.Address > state_.LastAddress && state_.Stage == StageVerifying) {
        view_.SetVisible(Control::lbVerifyOn, false);
        view_.SetVisible(Control::lbVerifyOK, true);
        if (view_.IsChecked(Control::cbKeepUser)) {
            state_.Stage = StageDone;
        } else {
            state_.Address = image::SettingsBase;
            state_.Stage = StageSettings;
        }
    }

    if (state_.Stage == StageSettings) {
        while (state_.Address <= image::SettingsLast) {
            ok = bootloader_.WriteBlock(state_.Address);
            state_.Address += state_.BlockSize;
            if (!ok) {
                ShowWriteFailure();
                break;
            }
        }
        if (ok)
            state_.Stage = StageDone;
    }

    if (state_.Stage == StageDone) {
        view_.SetVisible(Control::txtWriteOK, true);
        view_.SetVisible(Control::ListWriteOK, true);
    }

    view_.SetEnabled(Control::btnBACK, true);
    view_.SetEnabled(Control::btnNEXT, true);
    updateRunning_ = false;
}

}  // namespace app
