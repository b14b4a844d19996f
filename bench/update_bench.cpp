// kestrun-bench-update: the whole update as the user runs it, through the
// window logic behind a recording view, the real Linux serial layer and ports
// registry over a prepared sysfs tree, and the emulated programmer on a
// pseudo-terminal paced like the wire. Prints how long the connection and the
// update took, checks that the device ended up holding the image, and exits
// non-zero when it does not.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include "app/Update_Main.h"
#include "app/update_stage.h"
#include "bench/paced_programmer.h"
#include "bench/run_meter.h"
#include "bench/timing_report.h"
#include "bench/wire_model.h"
#include "device_tree/device_tree.h"
#include "image/image_store.h"
#include "platform/posix/posix_serial.h"
#include "platform/posix/sysfs_ports_registry.h"
#include "stand_ins/recording_view.h"
#include "tools/bootsim/pty_server.h"

namespace {

using image::FirmwareBlocks;
using image::SettingsBlocks;
constexpr int SleepSamples = 500;

// Whether the device's memory over [first, last] is the image's.
bool DeviceHoldsImage(const bootsim::PtyServer& sim, const image::DeviceImage& image,
                      std::uint32_t first, std::uint32_t last) {
    std::vector<std::uint8_t> held(last - first + 1);
    if (!sim.Memory().Read(first, held))
        return false;
    for (std::uint32_t i = 0; i < held.size(); ++i) {
        if (held[i] != image.Image[first + i]) {
            std::printf("device byte at 0x%05X is 0x%02X, image has 0x%02X\n", first + i, held[i],
                        image.Image[first + i]);
            return false;
        }
    }
    return true;
}

int Run(std::uint32_t baud) {
    std::printf("kestrun-bench-update: the whole update at %u baud (settings written too)\n", baud);
    bench::PrintMachine();
    bench::PacedProgrammer programmer(baud);
    bootsim::PtyServer& sim = programmer.sim;
    const device_tree::DeviceTree& tree = programmer.tree;

    platform::posix::PosixSerial serial(tree.DevRoot());
    platform::posix::SysfsPortsRegistry registry(tree.SysRoot(), tree.DevRoot());
    stand_ins::RecordingView view;
    app::TForm1 form(view, serial, registry, nullptr);
    view.onClose = [&form] { form.FormClose(); };

    const double sleepPeriod = bench::MeasureSleepPeriod(serial, SleepSamples);

    form.FormCreate();
    form.btnNEXTClick();  // welcome -> preparation
    form.btnNEXTClick();  // preparation -> connection
    if (view.ActivePage() != app::Control::TabSheet3) {
        std::fprintf(stderr, "Далее did not lead to the connection page\n");
        return EXIT_FAILURE;
    }

    const auto connectStart = std::chrono::steady_clock::now();
    form.btnConnectClick();
    const std::chrono::duration<double, std::milli> connectTook =
        std::chrono::steady_clock::now() - connectStart;

    std::printf("connect by name: %.1f ms (%s, at %u baud)\n", connectTook.count(),
                form.State().Connected ? "connected" : "NOT connected",
                form.State().PortDcb.BaudRate);
    if (!form.State().Connected)
        return EXIT_FAILURE;

    // The keep-settings box stays unticked, so the factory settings go too.
    view.Get(app::Control::cbKeepUser).checked = false;
    const bench::RunMeter meter;
    form.btnNEXTClick();  // connection -> update page; the update runs inside
    const bench::SpanFigures span = meter.Elapsed();

    bench::TimingFigures figures;
    figures.baud = baud;
    figures.writes = FirmwareBlocks + SettingsBlocks;
    figures.reads = FirmwareBlocks;
    figures.span = span;
    figures.sleepPeriod = sleepPeriod;
    figures.sleepSamples = SleepSamples;
    bench::PrintTiming(figures);

    const bool done = form.State().Stage == app::StageDone;
    const bool firmware =
        DeviceHoldsImage(sim, form.Image(), image::FirmwareBase, image::FirmwareLast);
    const bool settings =
        DeviceHoldsImage(sim, form.Image(), image::SettingsBase, image::SettingsLast);
    std::printf("update result:    stage %u (%s); device firmware %s, settings %s\n",
                form.State().Stage, done ? "done" : "NOT done",
                firmware ? "matches the image" : "DIFFERS",
                settings ? "match the image" : "DIFFER");

    form.FormClose();
    return done && firmware && settings ? EXIT_SUCCESS : EXIT_FAILURE;
}

}  // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmark(argc, argv, "kestrun-bench-update", Run);
}
