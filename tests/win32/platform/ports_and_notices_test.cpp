// The Ports class through SetupAPI, the COM port probe and the device-notice
// subscription, under Wine.
#include <gtest/gtest.h>
#include <windows.h>
// <setupapi.h> needs <windows.h> before it.
#include <setupapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "image/image_store.h"
#include "link/port_discovery.h"
#include "platform/win32/class_guid.h"
#include "platform/win32/setupapi_ports_registry.h"
#include "platform/win32/win32_serial.h"
#include "platform/win32/window_device_notifications.h"

namespace {

using NamePairs = std::vector<std::pair<std::string, std::string>>;

// Root devices of the Ports class, which Wine lists none of by itself, made
// for one test and removed after it.
class PreparedPorts {
  public:
    ~PreparedPorts() {
        for (SP_DEVINFO_DATA& device : devices_)
            ::SetupDiRemoveDevice(set_, &device);
        ::SetupDiDestroyDeviceInfoList(set_);
    }
    bool Add(const std::string& friendlyName, const std::string& description) {
        SP_DEVINFO_DATA& device = devices_.emplace_back();
        device.cbSize = sizeof(device);
        return ::SetupDiCreateDeviceInfoA(set_, "Ports", &guid_, nullptr, nullptr, DICD_GENERATE_ID,
                                          &device) &&
               ::SetupDiRegisterDeviceInfo(set_, &device, 0, nullptr, nullptr, nullptr) &&
               Set(device, SPDRP_FRIENDLYNAME, friendlyName) &&
               Set(device, SPDRP_DEVICEDESC, description);
    }

  private:
    bool Set(SP_DEVINFO_DATA& device, DWORD property, const std::string& text) {
        return text.empty() ||
               ::SetupDiSetDeviceRegistryPropertyA(set_, &device, property,
                                                   reinterpret_cast<const BYTE*>(text.c_str()),
                                                   static_cast<DWORD>(text.size() + 1));
    }
    const GUID guid_ = platform::win32::ToGuid(platform::PortsClassGuid);
    const HDEVINFO set_ = ::SetupDiCreateDeviceInfoList(&guid_, nullptr);
    std::vector<SP_DEVINFO_DATA> devices_;
};

class PortsOnWine : public ::testing::Test {
  protected:
    NamePairs Present() {
        std::vector<platform::DeviceNames> devices;
        EXPECT_TRUE(registry.PresentDevices(platform::PortsClassGuid, devices));
        NamePairs names;
        for (const auto& device : devices)
            names.emplace_back(device.FriendlyName, device.Description);
        return names;
    }

    const std::string port = std::getenv("KESTRUN_PORT_1") ? std::getenv("KESTRUN_PORT_1") : "";
    platform::win32::SetupApiPortsRegistry registry;
    platform::win32::Win32Serial serial;
    devlink::UpdaterState state;
    image::DeviceImage image;
    devlink::SerialChannel channel{state, serial};
    devlink::Bootloader boot{state, channel, image};
    devlink::PortDiscovery discovery{state, registry, channel, boot};
};

TEST_F(PortsOnWine, TheProgrammerIsFoundByItsNameAndAnswersThere) {
    ASSERT_FALSE(port.empty()) << "run by run_under_wine.sh --serve";
    {
        PreparedPorts prepared;
        const std::string programmer = "Silicon Labs CP210x USB to UART Bridge (" + port + ")";
        ASSERT_TRUE(prepared.Add("Communications Port (COM1)", "Communications Port"));
        ASSERT_TRUE(prepared.Add("", programmer));
        ASSERT_TRUE(prepared.Add(std::string(300, 'A'), "Modem"));
        // In order; a name longer than the 257-byte buffer reads as none.
        EXPECT_EQ(Present(), (NamePairs{{"Communications Port (COM1)", "Communications Port"},
                                        {"", programmer},
                                        {"", "Modem"}}));
        EXPECT_EQ(discovery.FindProgrammerPort(platform::PortsClassGuid), port);
        discovery.ConnectOnPort(port);
        EXPECT_TRUE(state.Connected && boot.GetBootloaderInfo());
        channel.ClosePort();
    }
    EXPECT_EQ(Present(), NamePairs{});
}

TEST_F(PortsOnWine, TheProbeListsThePresentPortsOnly) {
    discovery.ListComPorts();
    const auto& listed = state.PortList;
    EXPECT_NE(std::find(listed.begin(), listed.end(), port), listed.end());
    EXPECT_EQ(std::find(listed.begin(), listed.end(), "COM199"), listed.end());
}

TEST(WindowDeviceNotifications, RegisterTheAttachedWindowOnly) {
    platform::win32::WindowDeviceNotifications notices;
    EXPECT_FALSE(notices.RegisterDeviceNotificationA()) << "no window yet";
    // A message-only window needs no display.
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          nullptr, nullptr);
    notices.AttachWindow(window);
    EXPECT_TRUE(notices.RegisterDeviceNotificationA());
    ::DestroyWindow(window);
}

}  // namespace
