// The title that the window manager shows for the window.
#pragma once

class QWidget;

namespace ui {

// Qt hands the window system the application's name wherever a window's own
// title is empty, and window managers and task bars show that name. While
// `window`'s title is empty, this keeps the title they read (_NET_WM_NAME and
// WM_NAME under X11) empty too, for every native window Qt creates for it.
// Under other window systems it does nothing.
void KeepEmptyTitleEmpty(QWidget& window);

}  // namespace ui
