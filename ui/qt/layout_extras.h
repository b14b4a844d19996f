// What the window layout says that Qt Designer's format cannot express.
#pragma once

class QWidget;

namespace ui {

// The family the layout names; InstallFontSubstitutes registers the fonts
// that stand in for it where it is not installed.
inline constexpr const char* kLayoutFontFamily = "MS Sans Serif";

// Registers the stand-ins for the layout's font family with Qt's font
// matching. Call before the layout's widgets are created.
void InstallFontSubstitutes();

// Applies the layout's extra properties to `root` and everything under it:
// - "fontPixelSize" (dynamic int): the font's character height in pixels, as
//   the layout gives sizes in pixels rather than points;
// - "itemHeight" (dynamic int) on a list: the height of every line;
// - "tabWidth" and "tabHeight" (dynamic ints) on a page control: the size of
//   its flat tabs, which the user is never offered: neither the tab row nor
//   the page control's keys change its page;
// and gives the window, its labels and its static-text lists the button-face
// background.
void ApplyLayoutExtras(QWidget& root);

}  // namespace ui
