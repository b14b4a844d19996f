// Pictures of the window taken from outside: whoever runs the driver
// photographs the screen when asked through files in the folder that
// KESTRUN_SHOT_REQUESTS names.
#pragma once

#include <string>

#include "tests/win32/e2e/updater_window.h"

namespace e2e {

// Without that variable it does nothing. Otherwise it writes NAME.request
// holding the window's place on the screen as WIDTHxHEIGHT+LEFT+TOP and
// waits until the photographer has removed it.
void RequestShot(const UpdaterWindow& window, const std::string& name);

}  // namespace e2e
