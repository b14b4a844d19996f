// Creates the window's controls from the generated layout table.
#pragma once

#include <windows.h>

#include <array>

#include "app/view.h"
#include "ui/win32/fonts.h"
#include "ui/win32/layout_index.h"

namespace ui::win32 {

using ControlHandles = std::array<HWND, app::kControlCount>;

// Creates every control of the layout under `window` with CreateWindowExW:
// its ID (layout::ControlId), place, style, font, texts, colours by way of
// the window's WM_CTLCOLOR* handling, and its place in the stacking order
// (a control laid out later lies above an earlier one, as in the layout).
// Pages are created hidden. Throws std::logic_error when the layout does not
// match the logic's controls and std::runtime_error when the system refuses
// a control.
ControlHandles CreateControls(HWND window, HINSTANCE instance, FontSet& fonts);

}  // namespace ui::win32
