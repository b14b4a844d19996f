// The window layout as plain data: what generate_layout.py makes of
// resources/Update_Main.ui for the native Windows window.
//
// Pure data without <windows.h>, so that a test on any system can hold the
// table against the layout file as Qt reads it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "app/view.h"

namespace ui::win32::layout {

enum class Kind : std::uint8_t {
    Label,        // static text
    Glyph,        // one character of a symbol font
    List,         // list box used as multi-line static text
    Button,       // push button
    CheckBox,     // check box
    ProgressBar,  // progress bar
    RichText,     // read-only rich text box
    Picture,      // bitmap at its own size from the top-left corner
    PageArea,     // holds the pages; offers no tabs
    Page,         // one page of the page area
    Panel,        // empty surface in the button-face colour
};

enum class Align : std::uint8_t { Left, Center, Right };

// As the layout asks for a scroll bar: never, when the content needs it, always.
enum class ScrollBar : std::uint8_t { Off, AsNeeded, On };

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

struct Font {
    std::string_view family{};  // resolved from the control's ancestors
    int pixelHeight = 0;        // character height in pixels (LOGFONT lfHeight = -pixelHeight)
    bool bold = false;
    bool symbol = false;  // a symbol font: SYMBOL_CHARSET, characters by their codes
};

struct LayoutControl {
    std::string_view name{};    // the layout's object name, also the app::Control name
    std::string_view parent{};  // the enclosing control, or the window's name
    Kind kind = Kind::Label;
    int x = 0, y = 0, width = 0, height = 0;    // in the parent's client area, 96-DPI pixels
    std::string_view text{};                    // UTF-8 caption; a glyph's character as laid out
    std::span<const std::string_view> lines{};  // a list's or a text box's lines, UTF-8
    Font font{};
    bool hasColor = false;  // text colour given; otherwise the system's
    Rgb color{};
    Align align = Align::Left;
    int itemHeight = 0;               // list line height in pixels
    int tabWidth = 0, tabHeight = 0;  // page area: the tab row it reserves above its pages
    ScrollBar horizontal = ScrollBar::Off, vertical = ScrollBar::Off;
    bool readOnly = false;
    bool checked = false;
    bool visible = true;
    int minimum = 0, maximum = 0, value = 0;  // progress bar
    // A glyph's character code in `font` (a symbol font), and the layout's
    // own font for it, which draws `text` where the symbol font lacks the code.
    std::uint16_t symbolCode = 0;
    std::string_view fallbackFamily{};
    std::string_view picture{};  // a picture's bitmap resource name
};

struct WindowLayout {
    std::string_view name{};
    int clientWidth = 0, clientHeight = 0;
    std::string_view title{};
    Font font{};
};

// Every control has the ID 1000 + its app::Control index, so that anything
// driving the window from outside finds a control by its layout name.
inline constexpr int kFirstControlId = 1000;

constexpr int ControlId(app::Control control) {
    return kFirstControlId + static_cast<int>(control);
}

}  // namespace ui::win32::layout
