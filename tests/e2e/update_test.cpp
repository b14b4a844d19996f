// Далее on the connection page: the whole update against the emulated
// programmer, its displays, and what reached the device.
#include <QEvent>

#include "fakes/recording_view.h"
#include "programmer_fixture.h"

namespace e2e {
namespace {

// The commands a complete update sends: every firmware block written, every
// one read back, then the settings blocks when they are written.
std::vector<std::pair<std::uint8_t, std::uint32_t>> ExpectedCommands(bool settingsWritten) {
    std::vector<std::pair<std::uint8_t, std::uint32_t>> list{{bootsim::CmdGet, 0xFFFFFFFF}};
    for (std::uint32_t k = 0; k < FirmwareBlocks; ++k)
        list.emplace_back(bootsim::CmdWriteMemory, image::FirmwareBase + 128 * k);
    for (std::uint32_t k = 0; k < FirmwareBlocks; ++k)
        list.emplace_back(bootsim::CmdReadMemory, image::FirmwareBase + 128 * k);
    if (settingsWritten) {
        for (std::uint32_t k = 0; k < SettingsBlocks; ++k)
            list.emplace_back(bootsim::CmdWriteMemory, image::SettingsBase + 128 * k);
    }
    return list;
}

class Update : public ProgrammerTest {
  protected:
    bootsim::PtyServer& Ready(const bootsim::Options& options = {}) {
        auto& device = PlugIn(options);
        OpenWindow();
        Connect();
        return device;
    }
    void ExpectWriteFailureDisplay() {
        EXPECT_EQ(State().Stage, app::StageIdle);
        EXPECT_TRUE(Shown("lbWriteErr"));
        EXPECT_FALSE(Shown("lbWriteOn"));
        EXPECT_TRUE(Shown("txtWriteFail"));
        EXPECT_TRUE(Shown("ListWriteFail"));
        EXPECT_FALSE(Shown("txtWriteOK"));
        EXPECT_FALSE(Shown("ListWriteOK"));
        EXPECT_TRUE(Enabled("btnNEXT"));
        EXPECT_TRUE(Enabled("btnBACK"));
    }
    void ExpectVerifyRowHidden() {
        for (const char* name :
             {"lbVerify", "BarVerify", "lbVerifyOn", "lbVerifyOK", "lbVerifyErr"})
            EXPECT_FALSE(Shown(name)) << name;
    }
};

TEST_F(Update, WritesVerifiesAndPutsBackTheFactorySettings) {
    auto& device = Ready();
    RunUpdate(false);

    EXPECT_EQ(State().Stage, app::StageDone);
    EXPECT_EQ(device.Memory().Snapshot(), ExpectedMemory(true));
    EXPECT_EQ(CodesAndAddresses(device), ExpectedCommands(true));
    for (const auto& c : device.Records().Commands())
        EXPECT_EQ(c.outcome, Outcome::Completed);

    for (const char* name : {"lbWrite", "BarWrite", "lbWriteOK", "lbVerify", "BarVerify",
                             "lbVerifyOK", "txtWriteOK", "ListWriteOK"})
        EXPECT_TRUE(Shown(name)) << name;
    for (const char* name :
         {"lbWriteOn", "lbWriteErr", "lbVerifyOn", "lbVerifyErr", "txtWriteFail", "ListWriteFail"})
        EXPECT_FALSE(Shown(name)) << name;
    EXPECT_EQ(Bar("BarWrite"), 100);
    EXPECT_EQ(Bar("BarVerify"), 100);
    EXPECT_TRUE(Enabled("btnNEXT"));
    EXPECT_TRUE(Enabled("btnBACK"));
    EXPECT_EQ(Find<QAbstractButton>("btnNEXT")->text(), QStringLiteral("Далее"));

    Click("btnNEXT");
    EXPECT_EQ(Page(), app::Control::TabSheet5);
    EXPECT_EQ(Find<QAbstractButton>("btnNEXT")->text(), QStringLiteral("OK"));
}

TEST_F(Update, KeptSettingsAreNeitherWrittenNorRead) {
    auto& device = Ready();
    RunUpdate(true);

    EXPECT_EQ(State().Stage, app::StageDone);
    EXPECT_EQ(device.Memory().Snapshot(), ExpectedMemory(false));
    EXPECT_EQ(CodesAndAddresses(device), ExpectedCommands(false));
    EXPECT_TRUE(Shown("txtWriteOK"));
}

TEST_F(Update, AFailedFirstBlockStopsEverything) {
    bootsim::Options options;
    options.phaseFaults.push_back(
        {bootsim::CmdWriteMemory, 1, bootsim::FaultPhase::Data, bootsim::FaultAction::Nack});
    auto& device = Ready(options);
    RunUpdate(false);

    ExpectWriteFailureDisplay();
    EXPECT_EQ(Bar("BarWrite"), 0);
    EXPECT_FALSE(Shown("lbWriteOK"));
    ExpectVerifyRowHidden();
    EXPECT_EQ(device.Records().Commands().size(), 2u);  // Get, the failed write
}

TEST_F(Update, AFailedLastFirmwareBlockNeverStartsVerification) {
    bootsim::Options options;
    options.phaseFaults.push_back({bootsim::CmdWriteMemory, FirmwareBlocks,
                                   bootsim::FaultPhase::Address, bootsim::FaultAction::Silence});
    auto& device = Ready(options);
    RunUpdate(false);

    ExpectWriteFailureDisplay();
    EXPECT_EQ(Bar("BarWrite"), 99);
    ExpectVerifyRowHidden();
    const auto commands = device.Records().Commands();
    EXPECT_EQ(commands.size(), 1 + FirmwareBlocks);
    EXPECT_EQ(commands.back().address, LastFirmwareBlock);
    for (const auto& c : commands)
        EXPECT_NE(c.code, bootsim::CmdReadMemory);
}

TEST_F(Update, VerificationJudgesUpToTheLastFirmwareByteOnly) {
    // The last block's bytes past the firmware are fill: a difference there
    // is no error.
    bootsim::Options tail;
    tail.readCorruptions = {{FirmwareBlocks, 90}, {FirmwareBlocks, 127}};
    auto& tolerant = Ready(tail);
    RunUpdate(true);
    EXPECT_EQ(State().Stage, app::StageDone);
    EXPECT_TRUE(Shown("lbVerifyOK"));
    tolerant.Stop();
}

TEST_F(Update, ADifferenceInTheLastFirmwareByteFailsVerification) {
    bootsim::Options options;
    options.readCorruptions = {{FirmwareBlocks, 89}};  // 0x16C00 + 89 = 0x16C59
    auto& device = Ready(options);
    RunUpdate(false);

    EXPECT_EQ(State().Stage, app::StageIdle);
    EXPECT_TRUE(Shown("lbWriteOK"));
    EXPECT_EQ(Bar("BarWrite"), 100);
    EXPECT_TRUE(Shown("lbVerifyErr"));
    EXPECT_FALSE(Shown("lbVerifyOn"));
    EXPECT_FALSE(Shown("lbVerifyOK"));
    EXPECT_EQ(Bar("BarVerify"), 99);
    EXPECT_TRUE(Shown("txtWriteFail"));
    EXPECT_TRUE(Shown("ListWriteFail"));
    // No settings block follows a failed verification.
    EXPECT_EQ(device.Records().Commands().size(), 1 + 2 * FirmwareBlocks);
}

TEST_F(Update, AFailedSettingsBlockShowsTheErrorOverTheWriteRowsOk) {
    bootsim::Options options;
    options.phaseFaults.push_back({bootsim::CmdWriteMemory, FirmwareBlocks + 5,
                                   bootsim::FaultPhase::Command, bootsim::FaultAction::Nack});
    auto& device = Ready(options);
    RunUpdate(false);

    ExpectWriteFailureDisplay();
    EXPECT_TRUE(Shown("lbWriteOK"));  // under the error, which lies above it
    EXPECT_TRUE(Find("lbWriteErr")->geometry().contains(Find("lbWriteOK")->geometry()));
    EXPECT_TRUE(Shown("lbVerifyOK"));
    EXPECT_EQ(Bar("BarWrite"), 100);
    EXPECT_EQ(Bar("BarVerify"), 100);
    const auto commands = device.Records().Commands();
    ASSERT_EQ(commands.size(), 1 + 2 * FirmwareBlocks + 5);
    // Four settings blocks went through; the fifth was refused at its command.
    EXPECT_EQ(commands[commands.size() - 2].address, image::SettingsBase + 3 * 128);
    EXPECT_EQ(commands.back().code, bootsim::CmdWriteMemory);
    EXPECT_EQ(commands.back().outcome, Outcome::Faulted);
}

TEST_F(Update, CancelDuringTheWriteStageSendsNothingMoreAndEndsTheProgram) {
    auto& device = Ready();
    ASSERT_EQ(PortsOpenOn(device), 1);

    // Отмена clicked while the update lets the window handle its messages.
    std::chrono::steady_clock::time_point closedAt{};
    struct CloseSpy : QObject {
        std::chrono::steady_clock::time_point* at;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Close)
                *at = std::chrono::steady_clock::now();
            return false;
        }
    } spy;
    spy.at = &closedAt;
    window->installEventFilter(&spy);
    ClickOtmenaWhenWriteBarReaches(10);
    RunUpdate(false);

    ASSERT_NE(closedAt, std::chrono::steady_clock::time_point{});
    EXPECT_FALSE(window->isVisible());
    ExpectWriteFailureDisplay();
    ExpectVerifyRowHidden();
    EXPECT_EQ(PortsOpenOn(device), 0);

    const auto received = device.Records().Received();
    ASSERT_FALSE(received.empty());
    EXPECT_LT(received.back().at, closedAt);
    const auto commands = device.Records().Commands();
    EXPECT_LT(commands.size(), 1 + 60u);
    for (const auto& c : commands)
        EXPECT_EQ(c.outcome, Outcome::Completed);
}

TEST_F(Update, ASecondUpdateAfterBackFromTheLastPageStartsOnAClearedPage) {
    bootsim::Options failing;
    failing.phaseFaults.push_back(
        {bootsim::CmdWriteMemory, 3, bootsim::FaultPhase::Data, bootsim::FaultAction::Nack});
    Ready(failing);
    RunUpdate(false);
    ASSERT_TRUE(Shown("lbWriteErr"));

    Click("btnNEXT");
    Click("btnBACK");
    EXPECT_EQ(Page(), app::Control::TabSheet2);
    Click("btnNEXT");
    for (const char* name : {"lbConnected", "lbNotConnected", "txtConnOK", "txtConnFail"})
        EXPECT_FALSE(Shown(name)) << name;
    EXPECT_FALSE(Enabled("btnNEXT"));

    // The user unplugs the programmer and plugs it in again: the device
    // starts afresh, unsynchronised.
    Unplug();
    auto& fresh = PlugIn();
    Click("btnConnect");
    ASSERT_TRUE(State().Connected);
    RunUpdate(true);

    EXPECT_EQ(State().Stage, app::StageDone);
    for (const char* name : {"lbWriteErr", "txtWriteFail", "ListWriteFail", "lbVerifyErr"})
        EXPECT_FALSE(Shown(name)) << name;
    EXPECT_TRUE(Shown("txtWriteOK"));
    EXPECT_EQ(fresh.Memory().Snapshot(), ExpectedMemory(false));
}

// The bars and the points where the window may handle its messages, counted
// through a recording view on the same real serial layer and device.
TEST_F(Update, ProgressAndMessagePointsFollowTheBlocks) {
    PlugIn();
    fakes::RecordingView view;
    app::TForm1 form(view, serial, registry, nullptr);
    form.FormCreate();
    form.btnNEXTClick();
    form.btnNEXTClick();
    form.btnConnectClick();
    ASSERT_TRUE(form.State().Connected);
    view.Get(app::Control::cbKeepUser).checked = false;
    form.btnNEXTClick();

    ASSERT_EQ(form.State().Stage, app::StageDone);
    EXPECT_EQ(view.processMessagesCalls, 1 + 2 * static_cast<int>(FirmwareBlocks));
    for (auto* positions : {&view.writePositions, &view.verifyPositions}) {
        // The first entry is the reset to 0 before the stage's first block.
        ASSERT_EQ(positions->size(), 1 + FirmwareBlocks);
        EXPECT_EQ((*positions)[0], 0);
        EXPECT_EQ((*positions)[4], 0);
        EXPECT_EQ((*positions)[5], 1);
        EXPECT_EQ((*positions)[100], 22);
        EXPECT_EQ((*positions)[440], 99);
        EXPECT_EQ((*positions)[441], 100);
        EXPECT_TRUE(std::is_sorted(positions->begin(), positions->end()));
    }
}

}  // namespace
}  // namespace e2e
