// A throw-away sysfs and /dev to point the Linux layer at, so that port
// listing and opening see only the ports put in it.
//
// DeviceTree builds, in a fresh temporary directory that it removes again on
// destruction, the two trees that platform::posix::SysfsPortsRegistry and
// platform::posix::PosixSerial read:
//
//   <root>/sys/class/tty/<node>/device          -> <root>/sys/devices/<node>
//   <root>/sys/devices/<node>/driver            -> <root>/sys/bus/drivers/<driver>
//   <root>/dev/<node>                            -> the path given, e.g. a pty slave
//
// Typical use, with a pseudo-terminal standing in for a CP210x programmer:
//
//   device_tree::DeviceTree tree;
//   tree.AddTty("ttyUSB0", "cp210x", ptySlavePath);   // listed, opens as COM33
//   tree.AddTty("ttyS0", "serial8250");               // listed as COM1, no node
//   tree.AddVirtualTty("tty0");                       // never listed
//   platform::posix::SysfsPortsRegistry registry(tree.SysRoot(), tree.DevRoot());
//   platform::posix::PosixSerial serial(tree.DevRoot());
//
// Unplugging is Remove("ttyUSB0"). Every method throws std::runtime_error
// (or std::filesystem::filesystem_error) when the tree cannot be built, so a
// broken tree never passes as an empty port list.
#pragma once

#include <string>

namespace device_tree {

class DeviceTree {
  public:
    DeviceTree();
    ~DeviceTree();
    DeviceTree(const DeviceTree&) = delete;
    DeviceTree& operator=(const DeviceTree&) = delete;

    // A tty with hardware behind it: class/tty/<node> with a `device` link.
    // With a non-empty `driver` the device gets a `driver` link whose target
    // is named after that kernel driver (cp210x, ftdi_sio, cdc_acm, ...).
    // With a non-empty `nodeTarget`, <dev>/<node> is a link to it.
    void AddTty(const std::string& node, const std::string& driver,
                const std::string& nodeTarget = {});

    // A tty with no device behind it (a virtual console or a
    // pseudo-terminal): class/tty/<node> without a `device` link, and the
    // node link when `nodeTarget` is given.
    void AddVirtualTty(const std::string& node, const std::string& nodeTarget = {});

    // Only the node <dev>/<node> -> `nodeTarget`, with no sysfs entry.
    void AddDevNode(const std::string& node, const std::string& nodeTarget);

    // Takes away whatever was added under `node`, as when a device is
    // unplugged. Unknown nodes are ignored.
    void Remove(const std::string& node);

    // The temporary directory holding both trees.
    const std::string& Root() const { return root_; }
    // To hand to the registry and the serial layer in place of /sys and /dev.
    std::string SysRoot() const;
    std::string DevRoot() const;

  private:
    std::string root_;
};

}  // namespace device_tree
