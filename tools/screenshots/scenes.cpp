#include <QString>
#include <utility>

#include "image/image_store.h"
#include "link/port_discovery.h"
#include "no_ports_platform.h"
#include "programmer_platform.h"
#include "scene.h"
#include "scene_driver.h"

namespace screenshots {

namespace {

using app::Control;

// The firmware goes out in this many blocks; the device counts its Write
// Memory and Read Memory commands from 1.
constexpr std::uint32_t FirmwareBlocks = image::FirmwareBlocks;

// The programmer as it comes, then changed by `adjust`: pace and faults.
template <typename Adjust>
std::function<std::unique_ptr<ScenePlatform>()> WithProgrammer(Adjust adjust) {
    return [adjust] {
        bootsim::Options options;
        adjust(options);
        return std::make_unique<ProgrammerPlatform>(std::move(options));
    };
}

std::function<std::unique_ptr<ScenePlatform>()> WithProgrammer() {
    return WithProgrammer([](bootsim::Options&) {});
}

void ToConnectionPage(SceneDriver& driver) {
    driver.Click(Control::btnNEXT);
    driver.Click(Control::btnNEXT);
    driver.ExpectPage(Control::TabSheet3);
}

void ConnectAndUpdate(SceneDriver& driver) {
    ToConnectionPage(driver);
    driver.Click(Control::btnConnect);
    driver.ExpectShown(Control::lbConnected);
    driver.Click(Control::btnNEXT);
    driver.ExpectPage(Control::TabSheet4);
}

void ExpectWriteFailure(SceneDriver& driver) {
    for (Control shown : {Control::lbWrite, Control::BarWrite, Control::lbWriteErr,
                          Control::txtWriteFail, Control::ListWriteFail})
        driver.ExpectShown(shown);
    for (Control hidden : {Control::lbWriteOn, Control::txtWriteOK, Control::ListWriteOK})
        driver.ExpectShown(hidden, false);
}

Scene FirstPages() {
    return {"first-pages", [] { return std::make_unique<NoPortsPlatform>(); },
            [](SceneDriver& driver) {
                driver.Shoot(QStringLiteral("page1-welcome.png"));
                driver.Click(Control::btnNEXT);
                driver.Shoot(QStringLiteral("page2-preparation.png"));
                driver.Click(Control::btnNEXT);
                driver.Shoot(QStringLiteral("page3-connection.png"));
            }};
}

// With no port on the machine the search fails and the page shows it.
Scene ConnectionFailed() {
    return {"connection-failed", [] { return std::make_unique<NoPortsPlatform>(); },
            [](SceneDriver& driver) {
                ToConnectionPage(driver);
                driver.Click(Control::btnConnect);
                driver.ExpectShown(Control::lbNotConnected);
                driver.ExpectShown(Control::txtConnFail);
                driver.Shoot(QStringLiteral("page3-not-connected.png"));
            }};
}

// The programmer answers: the port is found and the bootloader identified.
Scene Connected() {
    return {"connected", WithProgrammer(), [](SceneDriver& driver) {
                ToConnectionPage(driver);
                driver.Click(Control::btnConnect);
                driver.ExpectShown(Control::lbConnected);
                driver.ExpectShown(Control::txtConnOK);
                driver.ExpectShown(Control::lbNotConnected, false);
                driver.Shoot(QStringLiteral("page3-connected.png"));
            }};
}

// A whole update with the factory settings put back. The programmer keeps
// the pace of a real 115200-baud line, so the write stage lasts long enough
// to be caught part-way.
Scene Update() {
    const auto paced = [](bootsim::Options& options) { options.paceBaud = devlink::FastRate; };
    return {"update", WithProgrammer(paced), [](SceneDriver& driver) {
                driver.ShootWhenBarReaches(Control::BarWrite, 40,
                                           QStringLiteral("page4-writing.png"), [&driver] {
                                               driver.ExpectShown(Control::lbWriteOn);
                                               driver.ExpectShown(Control::lbVerify, false);
                                               driver.ExpectEnabled(Control::btnNEXT, false);
                                               driver.ExpectEnabled(Control::btnBACK, false);
                                           });
                ConnectAndUpdate(driver);
                for (Control shown : {Control::lbWriteOK, Control::lbVerifyOK, Control::txtWriteOK,
                                      Control::ListWriteOK})
                    driver.ExpectShown(shown);
                for (Control hidden :
                     {Control::lbWriteOn, Control::lbVerifyOn, Control::lbWriteErr,
                      Control::lbVerifyErr, Control::txtWriteFail, Control::ListWriteFail})
                    driver.ExpectShown(hidden, false);
                driver.Shoot(QStringLiteral("page4-success.png"));
                driver.Click(Control::btnNEXT);
                driver.ExpectPage(Control::TabSheet5);
                driver.Shoot(QStringLiteral("page5-done.png"));
            }};
}

// The device refuses the data of the 200th firmware block: the bar stops
// where the last good block left it.
Scene WriteFailed() {
    const auto fault = [](bootsim::Options& options) {
        options.phaseFaults.push_back(
            {bootsim::CmdWriteMemory, 200, bootsim::FaultPhase::Data, bootsim::FaultAction::Nack});
    };
    return {"write-failed", WithProgrammer(fault), [](SceneDriver& driver) {
                ConnectAndUpdate(driver);
                ExpectWriteFailure(driver);
                driver.ExpectShown(Control::lbVerify, false);
                driver.Shoot(QStringLiteral("page4-write-failed.png"));
            }};
}

// The 300th block reads back with its first byte changed.
Scene VerifyFailed() {
    const auto fault = [](bootsim::Options& options) { options.readCorruptions = {{300, 0}}; };
    return {"verify-failed", WithProgrammer(fault), [](SceneDriver& driver) {
                ConnectAndUpdate(driver);
                for (Control shown :
                     {Control::lbWriteOK, Control::lbVerify, Control::BarVerify,
                      Control::lbVerifyErr, Control::txtWriteFail, Control::ListWriteFail})
                    driver.ExpectShown(shown);
                for (Control hidden : {Control::lbVerifyOn, Control::lbVerifyOK,
                                       Control::lbWriteErr, Control::txtWriteOK})
                    driver.ExpectShown(hidden, false);
                driver.Shoot(QStringLiteral("page4-verify-failed.png"));
            }};
}

// The fifth factory settings block is refused after the firmware went in and
// checked out: the write row's error lies over its ОК.
Scene SettingsFailed() {
    const auto fault = [](bootsim::Options& options) {
        options.phaseFaults.push_back({bootsim::CmdWriteMemory, FirmwareBlocks + 5,
                                       bootsim::FaultPhase::Command, bootsim::FaultAction::Nack});
    };
    return {"settings-failed", WithProgrammer(fault), [](SceneDriver& driver) {
                ConnectAndUpdate(driver);
                ExpectWriteFailure(driver);
                driver.ExpectShown(Control::lbWriteOK);
                driver.ExpectShown(Control::lbVerifyOK);
                driver.Shoot(QStringLiteral("page4-settings-failed.png"));
            }};
}

}  // namespace

std::vector<Scene> AllScenes() {
    return {FirstPages(),  ConnectionFailed(), Connected(),     Update(),
            WriteFailed(), VerifyFailed(),     SettingsFailed()};
}

}  // namespace screenshots
