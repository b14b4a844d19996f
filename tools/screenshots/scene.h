// A scene: the real updater window on given platform objects, driven through
// its real buttons, with the pictures it takes along the way.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/device_notifications.h"
#include "platform/ports_registry.h"
#include "platform/serial_api.h"

namespace screenshots {

class SceneDriver;

// What the window runs on during one scene; lives as long as the scene.
class ScenePlatform {
  public:
    virtual ~ScenePlatform() = default;
    virtual platform::SerialApi& Serial() = 0;
    virtual platform::PortsRegistry& Registry() = 0;
    virtual platform::PolledDeviceNotifications* Notifications() { return nullptr; }
};

struct Scene {
    std::string name;
    std::function<std::unique_ptr<ScenePlatform>()> makePlatform;
    // Runs once the window is on screen; the window closes when it returns.
    std::function<void(SceneDriver&)> script;
};

// Every scene the tool knows, in the order it runs them.
std::vector<Scene> AllScenes();

}  // namespace screenshots
