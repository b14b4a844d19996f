// The window tests measure the window in the layout's pixels, one device
// pixel each, whatever a desktop asks of its own Qt programs.
#pragma once

#include <QtGlobal>

inline void IgnoreDesktopQtSettings() {
    for (const char* name :
         {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
          "QT_USE_PHYSICAL_DPI", "QT_FONT_DPI", "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE"})
        qunsetenv(name);
}
