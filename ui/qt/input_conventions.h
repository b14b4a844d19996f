// How the window answers the mouse and the keyboard where Qt's habits differ
// from those of the platform the layout was made for.
#pragma once

class QWidget;

namespace ui {

// No control under `root` offers a context menu: Qt's would be in English,
// and its own event loop would run the idle handler under an open menu. Text
// stays selectable and scrollable.
void OfferNoContextMenus(QWidget& root);

// Enter and Return press the push button that has the focus, as Space does,
// without making any button a default button (which Qt would need for that).
void EnterPressesFocusedButton(QWidget& root);

}  // namespace ui
