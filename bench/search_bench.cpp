// kestrun-bench-search: the slowest search for the programmer. Every port
// the Linux layer maps is present (ttyS0-31, ttyUSB0-31, ttyACM0-31: COM1 to
// COM96, each a pseudo-terminal nobody answers on) and none is named like
// the programmer, so the search tries every port at both rates. Prints its
// time against the poll budget of 5 syncs of 200 polls per port: how long
// "Соединение" can take at worst.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/poll_counting_serial.h"
#include "bench/timing_report.h"
#include "device_tree/device_tree.h"
#include "image/image_store.h"
#include "link/bootloader.h"
#include "link/port_discovery.h"
#include "link/serial_channel.h"
#include "link/updater_state.h"
#include "platform/posix/posix_serial.h"
#include "platform/posix/sysfs_ports_registry.h"

namespace {

constexpr std::uint64_t PollsPerPort = (2 + 3) * 200;  // syncs at 115200 and 9600

// A pseudo-terminal whose far end stays open and silent.
class SilentPty {
  public:
    SilentPty() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        slave_ = ::ptsname(master_);
    }
    ~SilentPty() { ::close(master_); }
    SilentPty(const SilentPty&) = delete;
    SilentPty& operator=(const SilentPty&) = delete;
    const std::string& SlavePath() const { return slave_; }

  private:
    int master_;
    std::string slave_;
};

int Run() {
    std::printf("kestrun-bench-search: ConnectAnyPort over 96 present ports, none answering\n");
    bench::PrintMachine();
    device_tree::DeviceTree tree;
    std::vector<std::unique_ptr<SilentPty>> ptys;
    const std::pair<const char*, const char*> kinds[] = {
        {"ttyS", "serial8250"}, {"ttyUSB", "ftdi_sio"}, {"ttyACM", "cdc_acm"}};
    for (const auto& [prefix, driver] : kinds) {
        for (int n = 0; n < 32; ++n) {
            ptys.push_back(std::make_unique<SilentPty>());
            tree.AddTty(prefix + std::to_string(n), driver, ptys.back()->SlavePath());
        }
    }

    platform::posix::PosixSerial posix(tree.DevRoot());
    bench::PollCountingSerial serial(posix);
    platform::posix::SysfsPortsRegistry registry(tree.SysRoot(), tree.DevRoot());
    devlink::UpdaterState state;
    devlink::SerialChannel channel(state, serial);
    image::DeviceImage image;
    devlink::Bootloader boot(state, channel, image);
    devlink::PortDiscovery discovery(state, registry, channel, boot);

    const auto listStart = std::chrono::steady_clock::now();
    discovery.ListComPorts();
    const std::chrono::duration<double> listTook = std::chrono::steady_clock::now() - listStart;
    const std::size_t ports = state.PortList.size();
    if (ports != 96 || !discovery.FindProgrammerPort(platform::PortsClassGuid).empty()) {
        std::fprintf(stderr, "the tree gave %zu ports, or a programmer by name\n", ports);
        return EXIT_FAILURE;
    }

    serial.ResetCounts();
    const auto start = std::chrono::steady_clock::now();
    discovery.ConnectAnyPort();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (state.Connected || state.PortOpen) {
        std::fprintf(stderr, "a silent port counted as the programmer\n");
        return EXIT_FAILURE;
    }

    const std::uint64_t budget = PollsPerPort * ports;
    const double budgetSeconds = static_cast<double>(budget) * 0.001;
    std::printf("ports listed:     %zu (COM1-COM96) in %.1f ms, probing COM1-COM250\n", ports,
                1000 * listTook.count());
    std::printf("search:           %.1f s, %.1f ms per port\n", took.count(),
                1000 * took.count() / static_cast<double>(ports));
    std::printf("polls:            %llu counted, budget %llu (5 syncs x 200 polls x %zu ports)\n",
                static_cast<unsigned long long>(serial.Sleeps()),
                static_cast<unsigned long long>(budget), ports);
    std::printf("against budget:   %.1f s at 1 ms a poll; search / budget = %.3f\n", budgetSeconds,
                took.count() / budgetSeconds);
    std::printf("outside sleeping: %.2f s (opening, setting up and closing %zu ports twice)\n",
                took.count() - serial.SleptSeconds(), ports);
    return serial.Sleeps() == budget ? EXIT_SUCCESS : EXIT_FAILURE;
}

}  // namespace

int main() {
    try {
        return Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kestrun-bench-search: %s\n", e.what());
        return EXIT_FAILURE;
    }
}
