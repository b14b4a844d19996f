// The whole updater on a given platform: what main() runs, and what tests
// and tools run with stand-in platform objects.
#pragma once

#include <functional>

#include "platform/device_notifications.h"
#include "platform/ports_registry.h"
#include "platform/serial_api.h"

class QApplication;

namespace ui {

class MainWindow;

// Creates the main window, shows it and runs the event loop until the window
// is closed; returns the loop's exit code. `whenShown`, if given, runs from
// the event loop once the window is on screen.
int RunUpdater(QApplication& application, platform::SerialApi& serial,
               platform::PortsRegistry& registry,
               platform::PolledDeviceNotifications* notifications,
               const std::function<void(MainWindow&)>& whenShown = {});

}  // namespace ui
