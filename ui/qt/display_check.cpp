#include "ui/qt/display_check.h"

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

}  // namespace ui
