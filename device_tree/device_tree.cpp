#include "device_tree/device_tree.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace device_tree {

namespace fs = std::filesystem;

namespace {

fs::path ClassTty(const std::string& root) {
    return fs::path(root) / "sys" / "class" / "tty";
}

}  // namespace

DeviceTree::DeviceTree() {
    std::string pattern = (fs::temp_directory_path() / "kestrun-sysfs-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        throw std::runtime_error("DeviceTree: cannot create a temporary directory");
    }
    root_ = buffer.data();
    fs::create_directories(ClassTty(root_));
    fs::create_directories(fs::path(root_) / "sys" / "devices");
    fs::create_directories(fs::path(root_) / "sys" / "bus" / "drivers");
    fs::create_directories(DevRoot());
}

DeviceTree::~DeviceTree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string DeviceTree::SysRoot() const {
    return (fs::path(root_) / "sys").string();
}

std::string DeviceTree::DevRoot() const {
    return (fs::path(root_) / "dev").string();
}

void DeviceTree::AddTty(const std::string& node, const std::string& driver,
                        const std::string& nodeTarget) {
    const fs::path device = fs::path(SysRoot()) / "devices" / node;
    fs::create_directories(device);
    if (!driver.empty()) {
        const fs::path driverDir = fs::path(SysRoot()) / "bus" / "drivers" / driver;
        fs::create_directories(driverDir);
        fs::create_directory_symlink(driverDir, device / "driver");
    }
    AddVirtualTty(node, nodeTarget);
    fs::create_directory_symlink(device, ClassTty(root_) / node / "device");
}

void DeviceTree::AddVirtualTty(const std::string& node, const std::string& nodeTarget) {
    if (!fs::create_directory(ClassTty(root_) / node)) {
        throw std::runtime_error("DeviceTree: tty " + node + " added twice");
    }
    if (!nodeTarget.empty())
        AddDevNode(node, nodeTarget);
}

void DeviceTree::AddDevNode(const std::string& node, const std::string& nodeTarget) {
    fs::create_symlink(nodeTarget, fs::path(DevRoot()) / node);
}

void DeviceTree::Remove(const std::string& node) {
    fs::remove_all(ClassTty(root_) / node);
    fs::remove_all(fs::path(SysRoot()) / "devices" / node);
    fs::remove(fs::path(DevRoot()) / node);
}

}  // namespace device_tree
