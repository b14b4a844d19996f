// Whether the program has somewhere to show its window.
#pragma once

#include <string>

namespace ui {

// The values of QT_QPA_PLATFORM, DISPLAY and WAYLAND_DISPLAY; null or empty
// means unset. A chosen Qt platform is trusted as it is.
bool HasDisplay(const char* qpaPlatform, const char* x11Display, const char* waylandDisplay);

// The one line that tells the user why the program cannot start and how to
// run it without a desktop.
std::string NoDisplayMessage(const std::string& programPath);

// The check at start-up, on this process's environment: false, with that line
// on stderr, when there is no display. Without one Qt would abort with a
// message about platform plugins that tells the user nothing useful.
bool DisplayAvailableFor(const std::string& programPath);

}  // namespace ui
