// A plain child window in the button-face colour: the page area, its pages
// and the panel. The controls on a pane report to their parent, so a pane
// hands their notices on to the main window, which owns all the handling.
#pragma once

#include <windows.h>

namespace ui::win32 {

// Registers the class once per process and returns its name.
const wchar_t* PaneClass(HINSTANCE instance);

}  // namespace ui::win32
