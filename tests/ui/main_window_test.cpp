// The main window's wiring: start-up, the buttons, closing, resizing and the
// idle event reach the window logic.
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QWheelEvent>
#include <utility>

#include "link/device_events.h"
#include "window_fixture.h"

namespace ui_test {
namespace {

using app::Control;

// Runs the event loop until it has had the chance to wait once.
void RunLoopOnce() {
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST_F(WindowTest, StartUpHasRunBeforeTheWindowIsShown) {
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->View().ActivePage(), Control::TabSheet1);
    EXPECT_TRUE(Find("btnBACK")->isHidden());
    EXPECT_FALSE(Find("btnESC")->isHidden());
    EXPECT_TRUE(Find("lbConnected")->isHidden());
    EXPECT_TRUE(Find("ListWriteFail")->isHidden());
    auto* pages = Find<QTabWidget>("PageControl1");
    for (int i = 0; i < pages->count(); ++i)
        EXPECT_TRUE(pages->tabText(i).isEmpty()) << "tab " << i + 1;
    EXPECT_EQ(Find<QListWidget>("ListBoxVer")->item(6)->text(), QStringLiteral("дата: 25.02.2015"));
}

class WiredWindow : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        window->show();
    }
    void Click(const char* name) { Find<QPushButton>(name)->click(); }
    Control Page() { return window->View().ActivePage(); }

    // Leaves a port open, as a connection attempt would.
    void OpenPort() {
        auto& state = window->Logic().State();
        state.PortHandle = serial.CreateFileA(serial.presentPath);
        ASSERT_EQ(state.PortHandle, stand_ins::CountingSerialApi::Handle);
        state.PortOpen = true;
    }
};

TEST_F(WiredWindow, NavigationButtonsChangePages) {
    Click("btnNEXT");
    EXPECT_EQ(Page(), Control::TabSheet2);
    EXPECT_TRUE(Find("TabSheet2")->isVisible());
    EXPECT_FALSE(Find("btnBACK")->isHidden());
    Click("btnNEXT");
    EXPECT_EQ(Page(), Control::TabSheet3);
    EXPECT_FALSE(Find("btnNEXT")->isEnabled());  // not connected
    Click("btnBACK");
    EXPECT_EQ(Page(), Control::TabSheet2);
}

TEST_F(WiredWindow, UserCannotSwitchPagesBehindTheButtonsBack) {
    Click("btnNEXT");
    Click("btnNEXT");
    ASSERT_EQ(Page(), Control::TabSheet3);
    auto* pages = Find<QTabWidget>("PageControl1");

    // The page control's own keys for the next and previous tab.
    using KeyPress = std::pair<Qt::Key, Qt::KeyboardModifiers>;
    for (const auto& [key, modifiers] :
         {KeyPress{Qt::Key_Tab, Qt::ControlModifier},
          KeyPress{Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
          KeyPress{Qt::Key_PageUp, Qt::ControlModifier},
          KeyPress{Qt::Key_PageDown, Qt::ControlModifier}}) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(pages, &press);
        EXPECT_EQ(Page(), Control::TabSheet3) << "key " << key;
    }

    // The mouse wheel over the tab row, and the tab row taking the focus.
    QTabBar* tabs = pages->tabBar();
    const QPointF inside(tabs->width() / 2.0, tabs->height() / 2.0);
    for (int delta : {120, -120}) {
        QWheelEvent wheel(inside, tabs->mapToGlobal(inside), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(tabs, &wheel);
        EXPECT_EQ(Page(), Control::TabSheet3) << "wheel " << delta;
    }
    EXPECT_EQ(tabs->focusPolicy(), Qt::NoFocus);
}

TEST_F(WiredWindow, EnterAndReturnPressTheFocusedButtonEscapeDoesNothing) {
    auto* next = Find<QPushButton>("btnNEXT");
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Return, Qt::NoModifier},
                                         std::pair{Qt::Key_Enter, Qt::KeypadModifier}}) {
        const Control before = Page();
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(next, &press);
        const Control after = Page();
        EXPECT_NE(after, before) << "key " << key;
        QKeyEvent repeat(QEvent::KeyPress, key, modifiers, QString(), true);
        QCoreApplication::sendEvent(next, &repeat);
        EXPECT_EQ(Page(), after) << "held key " << key;
    }
    for (QWidget* target : {static_cast<QWidget*>(next), static_cast<QWidget*>(window.get())}) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &escape);
    }
    EXPECT_EQ(Page(), Control::TabSheet3);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(WiredWindow, NoControlOffersAContextMenu) {
    auto* text = Find<QTextEdit>("RichEdit1");
    for (QWidget* target : {static_cast<QWidget*>(text), text->viewport(),
                            static_cast<QWidget*>(text->verticalScrollBar()),
                            static_cast<QWidget*>(text->horizontalScrollBar()), Find("ListBoxVer"),
                            Find("btnNEXT"), static_cast<QWidget*>(window.get())}) {
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(1, 1),
                                  target->mapToGlobal(QPoint(1, 1)));
        QCoreApplication::sendEvent(target, &request);
        QWidget* menu = QApplication::activePopupWidget();
        EXPECT_EQ(menu, nullptr) << target->metaObject()->className();
        if (menu)
            menu->close();
    }
}

TEST_F(WiredWindow, AStaticTextListLooksTheSameWhenItHasTheFocus) {
    window->show();
    QApplication::setActiveWindow(window.get());
    auto* list = Find<QListWidget>("ListBoxVer");
    const QImage unfocused = list->grab().toImage();
    // Where the focus lands when an update disables the button that had it.
    list->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    ASSERT_TRUE(list->hasFocus());
    EXPECT_TRUE(list->currentIndex().isValid()) << "the focus made a line current";
    EXPECT_EQ(list->grab().toImage(), unfocused);
}

TEST_F(WiredWindow, ConnectButtonRunsTheConnectionAttempt) {
    Click("btnNEXT");
    Click("btnNEXT");
    Click("btnConnect");
    // Nothing answers here, so the attempt probes the ports and fails.
    EXPECT_FALSE(registry.probed.empty());
    EXPECT_FALSE(Find("lbNotConnected")->isHidden());
    EXPECT_FALSE(Find("txtConnFail")->isHidden());
    EXPECT_TRUE(Find("lbConnected")->isHidden());
}

TEST_F(WiredWindow, CancelClosesTheWindowAndRunsTheCloseHandler) {
    OpenPort();
    Click("btnESC");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(serial.closes, 1);
    EXPECT_EQ(serial.callsAfterClose, 0);
}

TEST_F(WiredWindow, CloseBoxRunsTheCloseHandlerOnce) {
    OpenPort();
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(serial.closes, 1);
    window->close();
    EXPECT_EQ(serial.closes, 1);
    EXPECT_EQ(serial.callsAfterClose, 0);
}

TEST_F(WiredWindow, CancelDuringAnUpdateClosesAndTheUpdateLeavesThePortAlone) {
    Click("btnNEXT");
    Click("btnNEXT");
    OpenPort();
    window->Logic().State().Connected = true;
    // Queued now, delivered while the update lets pending messages through.
    QTimer::singleShot(0, window.get(), [this] { Click("btnESC"); });
    window->Logic().btnNEXTClick();

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(serial.closes, 1);
    EXPECT_EQ(serial.callsAfterClose, 0);
}

TEST_F(WiredWindow, PageAreaFollowsTheRightAndBottomEdgesAlone) {
    const QStringList fixed = {"Image6", "ListBoxVer", "btnESC", "btnBACK", "btnNEXT", "Panel1"};
    QList<QRect> before;
    for (const QString& name : fixed)
        before << Find(name.toLatin1().constData())->geometry();

    window->resize(800, 500);
    QCoreApplication::processEvents();
    ASSERT_EQ(window->size(), QSize(800, 500));
    EXPECT_EQ(Find("PageControl1")->geometry(), QRect(800 - 27 - 417, 0, 417, 500 - 66));

    window->resize(500, 300);
    QCoreApplication::processEvents();
    ASSERT_EQ(window->size(), QSize(500, 300));
    EXPECT_EQ(Find("PageControl1")->geometry(), QRect(500 - 27 - 417, 0, 417, 300 - 66));

    for (int i = 0; i < fixed.size(); ++i)
        EXPECT_EQ(Find(fixed[i].toLatin1().constData())->geometry(), before[i])
            << fixed[i].toStdString();
}

TEST_F(WiredWindow, IdleHandlerRunsWhenTheLoopWaitsNotWhilePendingMessagesAreProcessed) {
    auto& state = window->Logic().State();
    state.DeviceEvent = devlink::DeviceEventArrived;

    bool posted = false;
    QTimer::singleShot(0, window.get(), [&posted] { posted = true; });
    window->View().ProcessPendingMessages();
    EXPECT_TRUE(posted);
    EXPECT_EQ(state.DeviceEvent, devlink::DeviceEventArrived);

    RunLoopOnce();
    // The idle handler took the arrival and looked for the programmer.
    EXPECT_EQ(state.DeviceEvent, devlink::DeviceEventNone);
}

TEST_F(WiredWindow, NoIdleHandlingAfterTheWindowHasClosed) {
    window->close();
    auto& state = window->Logic().State();
    state.DeviceEvent = devlink::DeviceEventArrived;
    RunLoopOnce();
    EXPECT_EQ(state.DeviceEvent, devlink::DeviceEventArrived);
    EXPECT_TRUE(serial.opened.empty());
}

}  // namespace
}  // namespace ui_test
