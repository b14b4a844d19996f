// The view over the real widgets: the control map and what each operation
// does to its widget.
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <set>

#include "ui/qt/qt_view.h"
#include "ui_Update_Main.h"
#include "window_fixture.h"

namespace ui_test {
namespace {

using app::Control;

TEST_F(WindowTest, EveryControlMapsToItsOwnWidgetByName) {
    std::set<QWidget*> widgets;
    for (std::size_t i = 0; i < app::kControlCount; ++i) {
        const auto control = static_cast<Control>(i);
        QWidget& widget = window->View().Widget(control);
        const std::string_view name = app::ControlName(control);
        EXPECT_EQ(widget.objectName().toStdString(), name);
        EXPECT_TRUE(window->isAncestorOf(&widget)) << name;
        widgets.insert(&widget);
    }
    EXPECT_EQ(widgets.size(), app::kControlCount);
}

// A layout loaded into a bare widget, to be broken on purpose.
class BrokenLayout : public ::testing::Test {
  protected:
    void SetUp() override { layout.setupUi(&root); }

    static void ExpectRejected(QWidget& root, const std::string& naming) {
        EXPECT_DEATH(ui::QtView view(root), naming);
    }

    QWidget root;
    Ui::TForm1 layout;
};

TEST_F(BrokenLayout, IntactLayoutIsAccepted) {
    ui::QtView view(root);
    EXPECT_EQ(view.ActivePage(), Control::TabSheet1);
}

TEST_F(BrokenLayout, MissingControlIsRejectedByName) {
    delete layout.lbConnected;
    ExpectRejected(root, "lbConnected is missing");
}

TEST_F(BrokenLayout, DoubledControlIsRejectedByName) {
    auto* second = new QPushButton(layout.TabSheet2);
    second->setObjectName(QStringLiteral("btnNEXT"));
    ExpectRejected(root, "btnNEXT appears more than once");
}

TEST_F(BrokenLayout, PageOutsideThePageAreaIsRejected) {
    layout.PageControl1->removeTab(layout.PageControl1->indexOf(layout.TabSheet4));
    layout.TabSheet4->setParent(&root);
    ExpectRejected(root, "TabSheet4 is not a page of PageControl1");
}

class ViewOperations : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        window->show();
    }
    ui::QtView& view() { return window->View(); }
};

// Calls that do not fit their control stop a debug build and change nothing
// in a release build.

TEST_F(ViewOperations, CaptionsGoToButtonsLabelsAndTabs) {
    view().SetCaption(Control::btnNEXT, "OK");
    EXPECT_EQ(Find<QPushButton>("btnNEXT")->text(), QStringLiteral("OK"));
    view().SetCaption(Control::lbWriteErr, "ОШИБКА");
    EXPECT_EQ(Find<QLabel>("lbWriteErr")->text(), QStringLiteral("ОШИБКА"));
    view().SetCaption(Control::TabSheet3, "Соединение");
    auto* pages = Find<QTabWidget>("PageControl1");
    EXPECT_EQ(pages->tabText(2), QStringLiteral("Соединение"));
    EXPECT_DEBUG_DEATH(view().SetCaption(Control::BarWrite, "x"), "");
}

TEST_F(ViewOperations, VisibilityAndEnabledStateReachTheWidget) {
    view().SetVisible(Control::btnBACK, true);
    EXPECT_TRUE(Find("btnBACK")->isVisible());
    view().SetVisible(Control::btnBACK, false);
    EXPECT_FALSE(Find("btnBACK")->isVisible());
    view().SetEnabled(Control::btnConnect, false);
    EXPECT_FALSE(Find("btnConnect")->isEnabled());
    // Pages are not hidden by hand: that would blank the page area.
    EXPECT_DEBUG_DEATH(view().SetVisible(Control::TabSheet2, false), "");
}

TEST_F(ViewOperations, ProgressPositionIsClampedToTheBarsRange) {
    auto* bar = Find<QProgressBar>("BarWrite");
    view().SetPosition(Control::BarWrite, 42);
    EXPECT_EQ(bar->value(), 42);
    view().SetPosition(Control::BarWrite, 250);
    EXPECT_EQ(bar->value(), 100);
    view().SetPosition(Control::BarWrite, -3);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_DEBUG_DEATH(view().SetPosition(Control::lbWrite, 1), "");
}

TEST_F(ViewOperations, CheckBoxStateIsRead) {
    EXPECT_FALSE(view().IsChecked(Control::cbKeepUser));
    Find<QCheckBox>("cbKeepUser")->click();
    EXPECT_TRUE(view().IsChecked(Control::cbKeepUser));
}

TEST_F(ViewOperations, ReplaceLineChangesOnlyThatLineAndRejectsAMissingOne) {
    auto* list = Find<QListWidget>("ListBox4");
    const int lines = list->count();
    view().ReplaceLine(Control::ListBox4, 1, "новая строка");
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("новая строка"));
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("ПОЗДРАВЛЯЕМ!"));
    EXPECT_EQ(list->count(), lines);
    EXPECT_DEBUG_DEATH(view().ReplaceLine(Control::ListBox4, lines, "x"), "");
    EXPECT_DEBUG_DEATH(view().ReplaceLine(Control::ListBox4, -1, "x"), "");
}

TEST_F(ViewOperations, PagesWithHiddenTabsCanStillBeShown) {
    auto* pages = Find<QTabWidget>("PageControl1");
    for (int i = 1; i < 5; ++i)
        EXPECT_FALSE(pages->isTabVisible(i)) << "tab " << i + 1;
    for (Control page : {Control::TabSheet4, Control::TabSheet2, Control::TabSheet5,
                         Control::TabSheet3, Control::TabSheet1}) {
        view().SetActivePage(page);
        EXPECT_EQ(view().ActivePage(), page);
        EXPECT_TRUE(view().Widget(page).isVisible()) << app::ControlName(page);
    }
    view().SetTabVisible(Control::TabSheet2, true);
    EXPECT_TRUE(pages->isTabVisible(1));
}

}  // namespace
}  // namespace ui_test
