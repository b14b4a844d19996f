#include "app/Update_Main.h"

#include "app/program_version.h"
#include "app/update_stage.h"
#include "image/image_store.h"
#include "link/device_events.h"

namespace app {

namespace {

constexpr std::uint16_t BlockSizeBytes = 128;

constexpr Control Pages[] = {Control::TabSheet1, Control::TabSheet2, Control::TabSheet3,
                             Control::TabSheet4, Control::TabSheet5};

// The connection page's indicators, and the update page's status controls,
// in the order they are hidden.
constexpr Control ConnectionIndicators[] = {Control::lbConnected, Control::lbNotConnected,
                                            Control::txtConnOK, Control::txtConnFail};
constexpr Control UpdateIndicators[] = {
    Control::txtWriteOK,  Control::txtWriteFail, Control::lbWrite,  Control::lbWriteOn,
    Control::lbWriteOK,   Control::lbWriteErr,   Control::lbVerify, Control::lbVerifyOK,
    Control::lbVerifyOn,  Control::lbVerifyErr,  Control::BarWrite, Control::BarVerify,
    Control::ListWriteOK, Control::ListWriteFail};

// The version follows the project's; the rest of the line reads as it always has.
constexpr const char* VersionLine = "версия: v" KESTRUN_PROGRAM_VERSION " T415";
constexpr const char* DateLine = "дата: 25.02.2015";

}  // namespace

TForm1::TForm1(View& view, platform::SerialApi& serial, platform::PortsRegistry& registry,
               platform::DeviceNotifications* notifications)
    : view_(view),
      notifications_(notifications),
      channel_(state_, serial),
      bootloader_(state_, channel_, image_),
      discovery_(state_, registry, channel_, bootloader_) {}

void TForm1::FormCreate() {
    state_.Connected = false;
    state_.PortOpen = false;
    state_.BootloaderVersion = 0;
    state_.CommandCount = 0;
    state_.BlockSize = BlockSizeBytes;
    state_.LastAddress = 0;
    state_.Stage = StageIdle;

    image_.BuildImage();
    state_.PortList.clear();

    view_.ReplaceLine(Control::ListBoxVer, 5, VersionLine);
    view_.ReplaceLine(Control::ListBoxVer, 6, DateLine);

    HideAll(ConnectionIndicators);
    HideAll(UpdateIndicators);

    view_.SetActivePage(Control::TabSheet1);
    view_.SetTabVisible(Control::TabSheet1, true);
    for (Control page :
         {Control::TabSheet2, Control::TabSheet3, Control::TabSheet4, Control::TabSheet5}) {
        view_.SetTabVisible(page, false);
    }
    // The page area never offers its tabs; with empty captions there is
    // nothing left of the tab row to draw.
    for (Control page : Pages)
        view_.SetCaption(page, "");

    UpdateButtons();
    state_.DeviceEvent = devlink::DeviceEventNone;
    if (notifications_ != nullptr)
        notifications_->RegisterDeviceNotificationA();
}

void TForm1::FormClose() {
    // Closing leaves PortOpen and Connected as they are; an update that is
    // still running finds the channel shut and fails at its next exchange.
    channel_.CloseForShutdown();
}

void TForm1::UpdateButtons() {
    const Control page = view_.ActivePage();
    const bool lastPage = page == Control::TabSheet5;

    view_.SetVisible(Control::btnBACK, page != Control::TabSheet1);
    view_.SetVisible(Control::btnESC, !lastPage);
    view_.SetCaption(Control::btnNEXT, lastPage ? "OK" : "Далее");
    view_.SetEnabled(Control::btnNEXT, page != Control::TabSheet3 || state_.Connected);

    if (page == Control::TabSheet3) {
        view_.SetEnabled(Control::btnConnect, !state_.Connected);
        if (state_.Connected) {
            view_.SetVisible(Control::lbConnected, true);
            view_.SetVisible(Control::lbNotConnected, false);
            view_.SetVisible(Control::txtConnOK, true);
            view_.SetVisible(Control::txtConnFail, false);
        }
    }
}

void TForm1::btnNEXTClick() {
    switch (view_.ActivePage()) {
        case Control::TabSheet1:
            view_.SetActivePage(Control::TabSheet2);
            break;
        case Control::TabSheet2:
            view_.SetActivePage(Control::TabSheet3);
            HideAll(ConnectionIndicators);
            break;
        case Control::TabSheet3:
            if (!state_.Connected)
                break;
            view_.SetActivePage(Control::TabSheet4);
            HideAll(UpdateIndicators);
            state_.Stage = StageStarted;
            UpdateButtons();
            RunUpdate();
            break;
        case Control::TabSheet4:
            view_.SetActivePage(Control::TabSheet5);
            break;
        case Control::TabSheet5:
            view_.Close();
            break;
        default:
            break;
    }
    UpdateButtons();
}

void TForm1::btnBACKClick() {
    switch (view_.ActivePage()) {
        case Control::TabSheet2:
            view_.SetActivePage(Control::TabSheet1);
            break;
        case Control::TabSheet3:
            view_.SetActivePage(Control::TabSheet2);
            state_.Connected = false;
            break;
        case Control::TabSheet4:
            view_.SetActivePage(Control::TabSheet3);
            HideAll(ConnectionIndicators);
            state_.Connected = false;
            break;
        case Control::TabSheet5:
            view_.SetActivePage(Control::TabSheet2);
            state_.Connected = false;
            break;
        default:
            break;
    }
    UpdateButtons();
}

void TForm1::btnESCClick() {
    view_.Close();
}

void TForm1::btnConnectClick() {
    HideAll(ConnectionIndicators);

    const std::string port = discovery_.FindProgrammerPort(platform::PortsClassGuid);
    if (!port.empty()) {
        discovery_.ConnectOnPort(port);
    } else {
        discovery_.ConnectAnyPort();
    }
    if (state_.Connected)
        state_.Connected = bootloader_.GetBootloaderInfo();

    if (!state_.Connected) {
        view_.SetVisible(Control::lbConnected, false);
        view_.SetVisible(Control::lbNotConnected, true);
        view_.SetVisible(Control::txtConnOK, false);
        view_.SetVisible(Control::txtConnFail, true);
    }
    UpdateButtons();
}

void TForm1::WMDeviceChange(std::uint32_t eventCode, const void* record) {
    if (eventCode != platform::DeviceArrival && eventCode != platform::DeviceRemoveComplete) {
        return;
    }
    const std::optional<std::string> path = devlink::InterfacePathOf(record);
    if (!path || !devlink::IsProgrammerInterface(*path))
        return;
    state_.DeviceEvent = eventCode == platform::DeviceArrival ? devlink::DeviceEventArrived
                                                              : devlink::DeviceEventRemoved;
}

void TForm1::ApplicationEvents1Idle() {
    // A toolkit may deliver idle while the update lets messages through; the
    // port must not be opened or closed under a running update.
    if (updateRunning_ || channel_.IsShutDown())
        return;

    if (state_.DeviceEvent == devlink::DeviceEventArrived && !state_.PortOpen) {
        state_.DeviceEvent = devlink::DeviceEventNone;
        const std::string port = discovery_.FindProgrammerPort(platform::PortsClassGuid);
        if (!port.empty()) {
            discovery_.ConnectOnPort(port);
            if (state_.Connected)
                state_.Connected = bootloader_.GetBootloaderInfo();
            if (state_.Connected) {
                view_.SetActivePage(Control::TabSheet3);
                UpdateButtons();
            }
        }
    }

    if (state_.DeviceEvent == devlink::DeviceEventRemoved && state_.PortOpen) {
        state_.PortOpen = false;
        state_.Connected = false;
        if (state_.PortHandle != platform::InvalidHandle)
            channel_.ClosePort();
        state_.PortHandle = platform::InvalidHandle;
        state_.DeviceEvent = devlink::DeviceEventNone;
    }
}

void TForm1::HideAll(std::span<const Control> controls) {
    for (Control control : controls)
        view_.SetVisible(control, false);
}

}  // namespace app
