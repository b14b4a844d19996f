// The title the window manager reads, on a real X server (ctest runs this
// program under xvfb-run).
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <string>

#include "desktop_qt_settings.h"
#include "window_fixture.h"

namespace ui_test {
namespace {

std::string TextProperty(xcb_connection_t* x, xcb_window_t window, const char* name) {
    const auto length = static_cast<std::uint16_t>(std::strlen(name));
    auto* atom = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, length, name), nullptr);
    auto* reply = xcb_get_property_reply(
        x, xcb_get_property(x, 0, window, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
    std::string value(static_cast<const char*>(xcb_get_property_value(reply)),
                      static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    std::free(atom);
    std::free(reply);
    return value;
}

TEST_F(WindowTest, TheWindowManagerReadsAnEmptyTitle) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !x11)
        GTEST_SKIP() << "no X display";
    window->show();
    const auto id = static_cast<xcb_window_t>(window->winId());
    for (const char* property : {"_NET_WM_NAME", "WM_NAME"})
        EXPECT_EQ(TextProperty(x11->connection(), id, property), "") << property;
}

}  // namespace
}  // namespace ui_test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    IgnoreDesktopQtSettings();
    if (std::getenv("DISPLAY") == nullptr)
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    else
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
