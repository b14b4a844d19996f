#include "ui/qt/display_check.h"

#include <cstdio>
#include <cstdlib>

namespace ui {

namespace {

bool IsSet(const char* value) {
    return value != nullptr && value[0] != '\0';
}

}  // namespace

bool HasDisplay(const char* qpaPlatform, const char* x11Display, const char* waylandDisplay) {
    return IsSet(qpaPlatform) || IsSet(x11Display) || IsSet(waylandDisplay);
}

std::string NoDisplayMessage(const std::string& programPath) {
    return "kestrun-updater: no display to show the window on (neither DISPLAY nor "
           "WAYLAND_DISPLAY is set); run it on a desktop, or without one as: xvfb-run -a " +
           programPath;
}

bool DisplayAvailableFor(const std::string& programPath) {
    if (HasDisplay(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                   std::getenv("WAYLAND_DISPLAY")))
        return true;
    std::fprintf(stderr, "%s\n", NoDisplayMessage(programPath).c_str());
    return false;
}

}  // namespace ui
