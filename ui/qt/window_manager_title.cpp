#include "ui/qt/window_manager_title.h"

#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace ui {

namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
    const auto length = static_cast<std::uint16_t>(std::strlen(name));
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, length, name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// Writes both title properties empty, after whatever Qt wrote on the same
// connection, so the window manager's last word is the empty title.
void ClearX11Title(WId window) {
    // The offscreen platform offers the X11 interface too, without a server.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || window == 0)
        return;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(window);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        0, nullptr);
    const xcb_atom_t netWmName = InternAtom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = InternAtom(connection, "UTF8_STRING");
    if (netWmName != XCB_ATOM_NONE && utf8 != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, netWmName, utf8, 8, 0, nullptr);
    xcb_flush(connection);
}

// Qt writes the title when it creates a native window and when the title
// changes; both are followed by one of these events.
class EmptyTitleKeeper final : public QObject {
  public:
    explicit EmptyTitleKeeper(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
        Clear();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ &&
            (event->type() == QEvent::WinIdChange || event->type() == QEvent::WindowTitleChange))
            Clear();
        return false;
    }

  private:
    void Clear() {
        if (window_.windowTitle().isEmpty())
            ClearX11Title(window_.internalWinId());
    }

    QWidget& window_;
};

}  // namespace

void KeepEmptyTitleEmpty(QWidget& window) {
    new EmptyTitleKeeper(window);
}

}  // namespace ui
