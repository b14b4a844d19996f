#include "wire_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <stdexcept>

#include "image/image_store.h"
#include "link/protocol_buffers.h"

namespace linkwire {

namespace {

// How long the far end waits for a request before it gives the script up.
constexpr auto RequestPatience = std::chrono::seconds(5);
// How often the far end looks at its stop flag while it waits.
constexpr int StopCheckMs = 20;

}  // namespace

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

Bytes LinkOnWire::ImageBlock(std::uint32_t address) const {
    return Bytes(image.Image.begin() + address, image.Image.begin() + address + 128);
}

Bytes DataFrameOf(const Bytes& block) {
    Bytes frame{static_cast<std::uint8_t>(block.size() - 1)};
    std::uint8_t sum = frame[0];
    for (std::uint8_t byte : block) {
        frame.push_back(byte);
        sum ^= byte;
    }
    frame.push_back(sum);
    return frame;
}

Bytes ControlRichBlock() {
    // 37 is odd, so the 128 values are distinct; 0x11 leads, and 0x13, 0x0D,
    // 0x0A, 0x79, 0x7F and 0x1F all fall among them.
    Bytes block(128);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(0x11 + 37 * i);
    return block;
}

int OpenDescriptorCount() {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<int>(std::distance(begin(fds), end(fds)));
}

FarEnd::FarEnd() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        throw std::runtime_error("cannot create a pseudo-terminal");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0)
        throw std::runtime_error("pseudo-terminal without a name");
    slavePath_ = name;
    ownSlave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (ownSlave_ < 0)
        throw std::runtime_error("cannot open the pseudo-terminal's slave");
}

FarEnd::~FarEnd() {
    stop_ = true;
    if (player_.joinable())
        player_.join();
    ::close(ownSlave_);
    ::close(master_);
}

void FarEnd::Send(const Bytes& bytes) {
    const auto giveUp = std::chrono::steady_clock::now() + RequestPatience;
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::write(master_, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            throw std::runtime_error("pty master write failed");
        if (std::chrono::steady_clock::now() > giveUp)
            throw std::runtime_error("pty master stays full");
        pollfd entry{master_, POLLOUT, 0};
        ::poll(&entry, 1, StopCheckMs);
    }
}

Bytes FarEnd::Take(std::size_t count) {
    const auto giveUp = std::chrono::steady_clock::now() + RequestPatience;
    Bytes got(count);
    std::size_t have = 0;
    while (have < count && !stop_ && std::chrono::steady_clock::now() < giveUp) {
        pollfd entry{master_, POLLIN, 0};
        if (::poll(&entry, 1, StopCheckMs) <= 0)
            continue;
        const ssize_t n = ::read(master_, got.data() + have, count - have);
        if (n > 0)
            have += static_cast<std::size_t>(n);
    }
    got.resize(have);
    return got;
}

void FarEnd::Play(std::vector<Step> script) {
    player_ = std::thread([this, script = std::move(script)] {
        for (const Step& step : script) {
            const Bytes request = Take(step.expect);
            {
                std::lock_guard lock(mutex_);
                heard_.insert(heard_.end(), request.begin(), request.end());
            }
            if (request.size() != step.expect)
                return;
            try {
                Send(step.reply);
            } catch (const std::runtime_error&) {
                return;  // the host went away; what it sent is kept all the same
            }
        }
    });
}

Bytes FarEnd::Heard() {
    if (player_.joinable())
        player_.join();
    std::lock_guard lock(mutex_);
    return heard_;
}

LinkOnWire::LinkOnWire() {
    image.BuildImage();
}

LinkOnWire::~LinkOnWire() = default;

void LinkOnWire::Serve(const bootsim::Options& options) {
    sim = std::make_unique<bootsim::PtyServer>(options);
    Attach(sim->SlavePath());
}

void LinkOnWire::Attach(const std::string& slavePath) {
    tree.AddDevNode("ttyUSB0", slavePath);
}

bool LinkOnWire::Open(std::int32_t rate) {
    state.PortOpen = channel.OpenPort(Port, rate);
    return state.PortOpen;
}

void LinkOnWire::Close() {
    channel.ClosePort();
    state.PortOpen = false;
}

void LinkOnWire::Connect(const bootsim::Options& options) {
    Serve(options);
    ASSERT_TRUE(Open());
    ASSERT_TRUE(boot.SyncBootloader());
}

void LinkOnWire::Scribble() {
    RxBuffer.fill(0xEE);
    BootCommands.fill(0xEE);
    state.CommandCount = 0xEE;
    state.BootloaderVersion = 0xEEEE;
}

bool LinkOnWire::AllZero(std::size_t from, std::size_t to) const {
    return std::all_of(RxBuffer.begin() + static_cast<std::ptrdiff_t>(from),
                       RxBuffer.begin() + static_cast<std::ptrdiff_t>(to),
                       [](std::uint8_t byte) { return byte == 0; });
}

bool LinkOnWire::BootCommandsZeroFrom(std::size_t from) const {
    return std::all_of(BootCommands.begin() + static_cast<std::ptrdiff_t>(from), BootCommands.end(),
                       [](std::uint8_t code) { return code == 0; });
}

Bytes LinkOnWire::HeardBeforeProbe() {
    EXPECT_TRUE(boot.GetBootloaderInfo()) << "the device did not answer the probing Get";
    Bytes heard = Received();
    const Bytes probe{0x00, 0xFF};
    if (heard.size() < 2 || !std::equal(probe.begin(), probe.end(), heard.end() - 2)) {
        ADD_FAILURE() << "the probing Get is not the last thing the device heard";
        return heard;
    }
    heard.resize(heard.size() - 2);
    return heard;
}

Bytes LinkOnWire::MemoryAt(std::uint32_t address, std::size_t count) const {
    const auto all = sim->Memory().Snapshot();
    return Bytes(all.begin() + address, all.begin() + address + static_cast<std::ptrdiff_t>(count));
}

void LinkOnWire::Preset(std::uint32_t address, const Bytes& bytes) {
    ASSERT_TRUE(sim->Memory().Write(address, bytes));
}

}  // namespace linkwire
