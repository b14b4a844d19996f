#include "tools/demo/programmer_bench.h"

#include <cstdio>
#include <limits>
#include <optional>
#include <sstream>

#include "device_tree/device_tree.h"
#include "link/port_discovery.h"
#include "platform/device_notice_record.h"
#include "platform/posix/udev_interface_path.h"
#include "tools/bootsim/pty_server.h"
#include "tools/demo/pipe_device_notifications.h"

namespace demo {
namespace {

constexpr auto kLineRate = static_cast<std::uint32_t>(devlink::FastRate);
constexpr auto kSlowRate = static_cast<std::uint32_t>(devlink::SlowRate);
constexpr std::size_t kCommandsShown = 8;

// The interface path as the Linux layer composes it from what udev reports
// for a CP210x's tty, so the window reads the record a real plug-in makes.
std::string ProgrammerInterfacePath() {
    const platform::posix::UdevProperties properties{{"ID_BUS", "usb"},
                                                     {"ID_VENDOR_ID", "10c4"},
                                                     {"ID_MODEL_ID", "ea60"},
                                                     {"ID_SERIAL_SHORT", "0001"},
                                                     {"DEVNAME", "/dev/ttyUSB0"}};
    return platform::posix::ComposeInterfacePath(properties, std::nullopt).value_or("");
}

}  // namespace

bootsim::Options OptionsFor(Behaviour behaviour, std::uint32_t block, Pace pace) {
    bootsim::Options options;
    std::uint32_t rate = kLineRate;
    switch (behaviour) {
        case Behaviour::Healthy:
            break;
        case Behaviour::AnswersOnlyAt9600:
            options.answerOnlyAt = kSlowRate;
            rate = kSlowRate;
            break;
        case Behaviour::NackAtWriteBlock:
            options.phaseFaults.push_back({bootsim::CmdWriteMemory, block,
                                           bootsim::FaultPhase::Data, bootsim::FaultAction::Nack});
            break;
        case Behaviour::WrongByteInReadBack:
            options.readCorruptions.push_back({block, 0});
            break;
        case Behaviour::Silent:
            options.ignoreSyncs = std::numeric_limits<std::uint32_t>::max();
            break;
        case Behaviour::HangsUpMidUpdate:
            options.hangUpAfterWrite = block;
            break;
    }
    options.paceBaud = pace == Pace::LineSpeed ? rate : 0;
    return options;
}

ProgrammerBench::ProgrammerBench(device_tree::DeviceTree& tree, PipeDeviceNotifications& notices)
    : tree_(tree), notices_(notices) {}

ProgrammerBench::~ProgrammerBench() = default;

void ProgrammerBench::PlugIn(Behaviour behaviour, std::uint32_t block, Pace pace) {
    Unplug();
    device_ = std::make_unique<bootsim::PtyServer>(OptionsFor(behaviour, block, pace));
    if (!memory_.empty())
        device_->Memory().Write(0, memory_);
    tree_.AddTty("ttyUSB0", "cp210x", device_->SlavePath());
    notices_.Post(platform::DeviceArrival, ProgrammerInterfacePath());
}

void ProgrammerBench::Unplug() {
    if (!device_)
        return;
    lastReport_ = Report() + "\n(unplugged)";
    tree_.Remove("ttyUSB0");
    notices_.Post(platform::DeviceRemoveComplete, ProgrammerInterfacePath());
    device_->Stop();
    memory_ = device_->Memory().Snapshot();
    device_.reset();
}

std::string ProgrammerBench::Report() const {
    if (!device_)
        return lastReport_;
    const auto& journal = device_->Records();
    const auto commands = journal.Commands();
    const auto rates = journal.ObservedRates();
    std::size_t written = 0;
    for (const auto& command : commands)
        written += command.code == bootsim::CmdWriteMemory &&
                   command.outcome == bootsim::Outcome::Completed;

    std::ostringstream out;
    out << "Bytes received: " << journal.ReceivedValues().size() << "\n"
        << "Syncs answered: " << journal.SyncsAnswered() << "\n"
        << "Line rate: " << (rates.empty() ? std::string("-") : std::to_string(rates.back()))
        << "\n"
        << "Commands: " << commands.size() << "\n"
        << "Blocks written: " << written << "\n"
        << (device_->HungUp() ? "Hung up.\n" : "");
    const std::size_t first =
        commands.size() > kCommandsShown ? commands.size() - kCommandsShown : 0;
    for (std::size_t i = first; i < commands.size(); ++i) {
        char address[16] = "";
        if (commands[i].address)
            std::snprintf(address, sizeof address, " 0x%05X", *commands[i].address);
        out << "\n"
            << i + 1 << ". " << bootsim::CommandName(commands[i].code) << address << ": "
            << bootsim::OutcomeName(commands[i].outcome);
    }
    return out.str();
}

}  // namespace demo
