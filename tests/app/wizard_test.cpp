// Start-up, the five pages and the navigation buttons.
#include <algorithm>

#include "app/program_version.h"
#include "app/update_stage.h"
#include "form_fixture.h"
#include "image/image_store.h"

namespace apptest {
namespace {

constexpr Control StartUpHidden[] = {
    Control::lbConnected, Control::lbNotConnected, Control::txtConnOK, Control::txtConnFail,
    Control::txtWriteOK,  Control::txtWriteFail,   Control::lbWrite,   Control::lbWriteOn,
    Control::lbWriteOK,   Control::lbWriteErr,     Control::lbVerify,  Control::lbVerifyOK,
    Control::lbVerifyOn,  Control::lbVerifyErr,    Control::BarWrite,  Control::BarVerify,
    Control::ListWriteOK, Control::ListWriteFail};

constexpr Control ConnectionIndicators[] = {Control::lbConnected, Control::lbNotConnected,
                                            Control::txtConnOK, Control::txtConnFail};

using Wizard = FormTest;

TEST_F(Wizard, RightAfterStartUp) {
    const auto& s = form.State();
    EXPECT_FALSE(s.Connected);
    EXPECT_FALSE(s.PortOpen);
    EXPECT_EQ(s.Stage, app::StageIdle);
    EXPECT_EQ(s.BlockSize, 128);
    EXPECT_EQ(s.DeviceEvent, 0);
    EXPECT_EQ(s.LastAddress, 0u);
    EXPECT_TRUE(s.PortList.empty());
    EXPECT_EQ(form.Image().Image[0x9000], image::FirmwareData[0]);
    EXPECT_EQ(form.Image().Image[0x1000], image::SettingsData[0]);

    EXPECT_EQ(view.ActivePage(), Control::TabSheet1);
    EXPECT_FALSE(view.Visible(Control::btnBACK));
    EXPECT_TRUE(view.Visible(Control::btnESC));
    EXPECT_EQ(view.Get(Control::btnNEXT).caption, "Далее");
    EXPECT_TRUE(view.Enabled(Control::btnNEXT));
    for (Control c : StartUpHidden)
        EXPECT_FALSE(view.Visible(c)) << app::ControlName(c);

    const auto& lines = view.Get(Control::ListBoxVer).lines;
    EXPECT_EQ(lines[5], "версия: v" KESTRUN_PROGRAM_VERSION " T415");
    EXPECT_EQ(lines[6], "дата: 25.02.2015");
    EXPECT_EQ(lines[3], "изделия GPS Kestrun");

    EXPECT_TRUE(view.Get(Control::TabSheet1).tabVisible);
    for (Control page :
         {Control::TabSheet2, Control::TabSheet3, Control::TabSheet4, Control::TabSheet5}) {
        EXPECT_FALSE(view.Get(page).tabVisible);
        EXPECT_EQ(view.Get(page).caption, "");
    }
    EXPECT_EQ(notifications.registrations, 1);
    EXPECT_EQ(api.opened.size(), 0u);
}

TEST_F(Wizard, ForwardThroughTheFirstPagesAndBack) {
    form.btnNEXTClick();
    EXPECT_EQ(view.ActivePage(), Control::TabSheet2);
    EXPECT_TRUE(view.Visible(Control::btnBACK));
    EXPECT_TRUE(view.Enabled(Control::btnNEXT));

    form.btnNEXTClick();
    EXPECT_EQ(view.ActivePage(), Control::TabSheet3);
    for (Control c : ConnectionIndicators)
        EXPECT_FALSE(view.Visible(c));
    EXPECT_FALSE(view.Enabled(Control::btnNEXT));  // nothing connected yet
    EXPECT_TRUE(view.Enabled(Control::btnConnect));
    EXPECT_TRUE(view.Visible(Control::btnESC));

    form.btnBACKClick();
    EXPECT_EQ(view.ActivePage(), Control::TabSheet2);
    EXPECT_TRUE(view.Enabled(Control::btnNEXT));
    form.btnBACKClick();
    EXPECT_EQ(view.ActivePage(), Control::TabSheet1);
    EXPECT_FALSE(view.Visible(Control::btnBACK));
    form.btnBACKClick();  // the hidden button does nothing on the first page
    EXPECT_EQ(view.ActivePage(), Control::TabSheet1);
}

TEST_F(Wizard, NextOnTheConnectionPageWithoutAConnectionOnlyRefreshesButtons) {
    GoToPage(Control::TabSheet3);
    PretendConnected();
    form.btnNEXTClick();  // would start the update; the fake port never answers
    form.btnBACKClick();
    EXPECT_EQ(view.ActivePage(), Control::TabSheet3);

    // A removal has cleared the connection behind the page's back: Далее is
    // still enabled and the indicators still say connected.
    form.State().Connected = true;
    view.SetEnabled(Control::btnNEXT, true);
    view.SetEnabled(Control::btnConnect, false);
    view.SetVisible(Control::lbConnected, true);
    view.SetVisible(Control::txtConnOK, true);
    form.State().Connected = false;

    form.btnNEXTClick();
    EXPECT_EQ(view.ActivePage(), Control::TabSheet3);
    EXPECT_FALSE(view.Enabled(Control::btnNEXT));
    EXPECT_TRUE(view.Enabled(Control::btnConnect));
    EXPECT_TRUE(view.Visible(Control::lbConnected));  // left as they were
    EXPECT_TRUE(view.Visible(Control::txtConnOK));
}

TEST_F(Wizard, ConnectedPageShowsTheTickAndOffersOnlyNext) {
    GoToPage(Control::TabSheet3);
    form.State().Connected = true;
    form.btnBACKClick();  // back clears the connection
    EXPECT_FALSE(form.State().Connected);
    form.State().Connected = true;
    form.btnNEXTClick();  // to page 3 again; Далее shows the connected state
    EXPECT_EQ(view.ActivePage(), Control::TabSheet3);
    EXPECT_TRUE(view.Visible(Control::lbConnected));
    EXPECT_TRUE(view.Visible(Control::txtConnOK));
    EXPECT_FALSE(view.Visible(Control::lbNotConnected));
    EXPECT_FALSE(view.Visible(Control::txtConnFail));
    EXPECT_TRUE(view.Enabled(Control::btnNEXT));
    EXPECT_FALSE(view.Enabled(Control::btnConnect));
}

TEST_F(Wizard, FailedUpdateStillLeadsToTheClosingPageAndBackToPreparation) {
    GoToPage(Control::TabSheet3);
    PretendConnected();
    form.btnNEXTClick();
    EXPECT_EQ(view.ActivePage(), Control::TabSheet4);
    EXPECT_EQ(form.State().Stage, app::StageIdle);  // the port never answered
    EXPECT_TRUE(view.Enabled(Control::btnNEXT));
    EXPECT_TRUE(view.Enabled(Control::btnBACK));
    EXPECT_EQ(view.Get(Control::btnNEXT).caption, "Далее");

    form.btnNEXTClick();
    EXPECT_EQ(view.ActivePage(), Control::TabSheet5);
    EXPECT_EQ(view.Get(Control::btnNEXT).caption, "OK");
    EXPECT_FALSE(view.Visible(Control::btnESC));
    EXPECT_TRUE(view.Visible(Control::btnBACK));

    form.btnBACKClick();
    EXPECT_EQ(view.ActivePage(), Control::TabSheet2);
    EXPECT_FALSE(form.State().Connected);
    EXPECT_TRUE(form.State().PortOpen);  // Назад never closes the port
    EXPECT_EQ(view.Get(Control::btnNEXT).caption, "Далее");
    EXPECT_TRUE(view.Visible(Control::btnESC));

    form.btnNEXTClick();
    EXPECT_EQ(view.ActivePage(), Control::TabSheet3);
    for (Control c : ConnectionIndicators)
        EXPECT_FALSE(view.Visible(c));
    EXPECT_FALSE(view.Enabled(Control::btnNEXT));
    EXPECT_TRUE(view.Enabled(Control::btnConnect));
}

TEST_F(Wizard, BackFromTheUpdatePageHidesTheConnectionIndicators) {
    GoToPage(Control::TabSheet3);
    PretendConnected();
    form.btnNEXTClick();
    form.btnBACKClick();
    EXPECT_EQ(view.ActivePage(), Control::TabSheet3);
    for (Control c : ConnectionIndicators)
        EXPECT_FALSE(view.Visible(c));
    EXPECT_FALSE(form.State().Connected);
    EXPECT_FALSE(view.Enabled(Control::btnNEXT));
}

TEST_F(Wizard, OkOnTheLastPageAndCancelCloseTheWindow) {
    form.btnESCClick();
    EXPECT_EQ(view.closeCalls, 1);

    GoToPage(Control::TabSheet3);
    PretendConnected();
    form.btnNEXTClick();
    form.btnNEXTClick();
    form.btnNEXTClick();  // "OK"
    EXPECT_EQ(view.closeCalls, 2);
}

TEST_F(Wizard, ClosingWithoutAPortClosesNothing) {
    form.btnESCClick();
    EXPECT_EQ(api.closes, 0);
}

TEST_F(Wizard, ClosingDependsOnTheOpenPortNotOnTheConnection) {
    GoToPage(Control::TabSheet3);
    PretendConnected();
    form.btnBACKClick();  // Connected cleared, port still open
    ASSERT_TRUE(form.State().PortOpen);
    form.btnESCClick();
    EXPECT_EQ(api.closes, 1);
    EXPECT_EQ(api.openHandles, 0);
    EXPECT_EQ(api.callsAfterClose, 0);
}

TEST_F(Wizard, FailedConnectionShowsTheCrossAndKeepsConnectOffered) {
    GoToPage(Control::TabSheet3);
    form.btnConnectClick();  // nothing present: probe finds no port
    EXPECT_TRUE(view.Visible(Control::lbNotConnected));
    EXPECT_TRUE(view.Visible(Control::txtConnFail));
    EXPECT_FALSE(view.Visible(Control::lbConnected));
    EXPECT_FALSE(view.Visible(Control::txtConnOK));
    EXPECT_TRUE(view.Enabled(Control::btnConnect));
    EXPECT_FALSE(view.Enabled(Control::btnNEXT));
    EXPECT_EQ(registry.probed.size(), 250u);
}

}  // namespace
}  // namespace apptest
