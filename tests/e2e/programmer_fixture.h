// The updater's real window on the real Linux layer, with the emulated
// programmer plugged in as a CP210x behind a prepared sysfs tree.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/update_stage.h"
#include "device_tree/device_tree.h"
#include "image/image_store.h"
#include "platform/posix/posix_serial.h"
#include "platform/posix/sysfs_ports_registry.h"
#include "tools/bootsim/pty_server.h"
#include "ui/qt/main_window.h"

namespace e2e {

using bootsim::Outcome;

inline constexpr std::uint32_t FirmwareBlocks = 441;
inline constexpr std::uint32_t SettingsBlocks = 16;
inline constexpr std::uint32_t LastFirmwareBlock = 0x16C00;

// Device memory as an update leaves it: the erased fill everywhere but the
// blocks it wrote, which hold the image (the firmware blocks include the
// zero tail of the last one).
inline std::vector<std::uint8_t> ExpectedMemory(bool settingsWritten) {
    image::DeviceImage image;
    image.BuildImage();
    std::vector<std::uint8_t> memory(bootsim::MemorySize, bootsim::ErasedByte);
    const auto copy = [&](std::uint32_t from, std::uint32_t to) {
        std::copy(image.Image.begin() + from, image.Image.begin() + to, memory.begin() + from);
    };
    copy(image::FirmwareBase, LastFirmwareBlock + 128);
    if (settingsWritten)
        copy(image::SettingsBase, image::SettingsLast + 1);
    return memory;
}

// How many descriptors of this process are open on `node` (the emulated
// programmer keeps one of its own on its pty). Counting only those keeps the
// toolkit's own files, opened whenever it likes, out of the count.
inline int DescriptorsOn(const std::string& node) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) == node)
            ++count;
    }
    return count;
}

class ProgrammerTest : public ::testing::Test {
  protected:
    // Plugs a programmer in as ttyUSB0 (COM33), bound to the cp210x driver.
    bootsim::PtyServer& PlugIn(const bootsim::Options& options = {},
                               const std::string& node = "ttyUSB0",
                               const std::string& driver = "cp210x") {
        devices.push_back(std::make_unique<bootsim::PtyServer>(options));
        tree.AddTty(node, driver, devices.back()->SlavePath());
        return *devices.back();
    }
    void Unplug(const std::string& node = "ttyUSB0") { tree.Remove(node); }
    // Descriptors the updater holds on a plugged-in device's line.
    int PortsOpenOn(const bootsim::PtyServer& device) {
        return DescriptorsOn(device.SlavePath()) - 1;
    }

    void OpenWindow() {
        window = std::make_unique<ui::MainWindow>(serial, registry, nullptr);
        window->show();
    }

    template <typename Kind = QWidget>
    Kind* Find(const char* name) {
        auto* widget = window->findChild<Kind*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Click(const char* name) { Find<QAbstractButton>(name)->click(); }
    bool Shown(const char* name) { return !Find(name)->isHidden(); }
    bool Enabled(const char* name) { return Find(name)->isEnabled(); }
    int Bar(const char* name) { return Find<QProgressBar>(name)->value(); }
    app::Control Page() { return window->View().ActivePage(); }
    const devlink::UpdaterState& State() { return window->Logic().State(); }

    void GoToConnectionPage() {
        Click("btnNEXT");
        Click("btnNEXT");
        ASSERT_EQ(Page(), app::Control::TabSheet3);
    }
    void Connect() {
        GoToConnectionPage();
        Click("btnConnect");
        ASSERT_TRUE(State().Connected);
    }
    // The connection page as it shows a connection, or the failure of one.
    void ExpectConnectionShown(bool connected) {
        EXPECT_EQ(Shown("lbConnected"), connected);
        EXPECT_EQ(Shown("txtConnOK"), connected);
        EXPECT_EQ(Shown("lbNotConnected"), !connected);
        EXPECT_EQ(Shown("txtConnFail"), !connected);
        EXPECT_EQ(Enabled("btnNEXT"), connected);
        EXPECT_EQ(Enabled("btnConnect"), !connected);
    }
    // Runs the update the way the user does: Далее on the connection page.
    void RunUpdate(bool keepSettings) {
        Find<QCheckBox>("cbKeepUser")->setChecked(keepSettings);
        Click("btnNEXT");
        ASSERT_EQ(Page(), app::Control::TabSheet4);
    }
    // Runs `action` once, from the window's handling of messages during the
    // update, when the progress bar `bar` first reaches `value`.
    void WhenBarReaches(const char* bar, int value, std::function<void()> action) {
        QObject::connect(Find<QProgressBar>(bar), &QProgressBar::valueChanged, window.get(),
                         [value, action = std::move(action), done = false](int now) mutable {
                             if (now < value || done)
                                 return;
                             done = true;
                             action();
                         });
    }
    // Отмена clicked as a user does while the update lets the window handle
    // its messages, once the write bar reaches `value`.
    void ClickOtmenaWhenWriteBarReaches(int value) {
        WhenBarReaches("BarWrite", value, [this] {
            QTimer::singleShot(0, Find<QAbstractButton>("btnESC"), &QAbstractButton::click);
        });
    }
    // Lets the event loop wait, so that the idle handler runs.
    void IdleFor(int milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }

    // The commands a device handled, with the code and address of each.
    static std::vector<std::pair<std::uint8_t, std::uint32_t>> CodesAndAddresses(
        const bootsim::PtyServer& device) {
        std::vector<std::pair<std::uint8_t, std::uint32_t>> list;
        for (const auto& c : device.Records().Commands())
            list.emplace_back(c.code, c.address.value_or(0xFFFFFFFF));
        return list;
    }

    device_tree::DeviceTree tree;
    platform::posix::PosixSerial serial{tree.DevRoot()};
    platform::posix::SysfsPortsRegistry registry{tree.SysRoot(), tree.DevRoot()};
    std::vector<std::unique_ptr<bootsim::PtyServer>> devices;
    std::unique_ptr<ui::MainWindow> window;
};

}  // namespace e2e
