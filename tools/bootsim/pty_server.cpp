#include "tools/bootsim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "tools/bootsim/line_rate.h"
#include "tools/bootsim/wire_clock.h"

namespace bootsim {

namespace {

using Clock = std::chrono::steady_clock;

// While the master reports a hang-up it cannot be waited on without
// spinning; it is looked at again after this pause.
constexpr auto HangUpRecheck = std::chrono::milliseconds(20);

[[noreturn]] void ThrowErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

struct TimedByte {
    std::uint8_t byte;
    Clock::time_point at;
};

timespec ToTimespec(Clock::duration wait) {
    const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
    return timespec{static_cast<time_t>(nanos / 1'000'000'000),
                    static_cast<long>(nanos % 1'000'000'000)};
}

// Writes every byte whose time has come. Returns false when the pty would
// block, so the caller waits for room instead of retrying at once.
bool SendDue(int fd, std::deque<TimedByte>& output, Clock::time_point now) {
    std::vector<std::uint8_t> due;
    for (const TimedByte& item : output) {
        if (item.at > now) {
            break;
        }
        due.push_back(item.byte);
    }
    if (due.empty()) {
        return true;
    }
    const ssize_t written = ::write(fd, due.data(), due.size());
    if (written < 0) {
        if (errno == EAGAIN || errno == EINTR) {
            return errno == EINTR;
        }
        // Nobody can receive these bytes; a real line would lose them too.
        output.erase(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(due.size()));
        return true;
    }
    output.erase(output.begin(), output.begin() + written);
    return static_cast<std::size_t>(written) == due.size();
}

}  // namespace

PtyServer::PtyServer(Options options) : options_(std::move(options)), memory_(options_.fill) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        ThrowErrno("posix_openpt");
    }
    try {
        if (::fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 ||
            ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) {
            ThrowErrno("fcntl");
        }
        if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            ThrowErrno("grantpt");
        }
        char name[128];
        if (::ptsname_r(master_, name, sizeof name) != 0) {
            ThrowErrno("ptsname_r");
        }
        slavePath_ = name;
        ownSlave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (ownSlave_ < 0) {
            ThrowErrno("open pty slave");
        }
        if (options_.watchHost) {
            watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            if (watch_ < 0 || ::inotify_add_watch(
                                  watch_, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
                ThrowErrno("inotify");
            }
        }
        int wake[2];
        if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
            ThrowErrno("pipe2");
        }
        wakeRead_ = wake[0];
        wakeWrite_ = wake[1];
    } catch (...) {
        CloseIfOpen(watch_);
        CloseIfOpen(ownSlave_);
        CloseIfOpen(master_);
        throw;
    }
    const int master = master_;
    engine_ = std::make_unique<ProtocolEngine>(options_, memory_, journal_,
                                               [master] { return CurrentRate(master); });
    thread_ = std::thread([this] { Serve(); });
}

PtyServer::~PtyServer() {
    Stop();
}

void PtyServer::Wake() {
    const std::uint8_t wake = 1;
    while (::write(wakeWrite_, &wake, 1) < 0 && errno == EINTR) {
    }
}

void PtyServer::RequestCable(Cable change) {
    std::unique_lock lock(requestMutex_);
    cableRequests_.push_back(change);
    Wake();
    requestsDone_.wait(lock, [this] { return cableRequests_.empty() || stopRequested_; });
}

void PtyServer::Unplug() {
    RequestCable(Cable::PulledOut);
}

void PtyServer::PlugIn() {
    RequestCable(Cable::PluggedIn);
}

void PtyServer::UnplugBetweenCommands() {
    RequestCable(Cable::PulledOutBetweenCommands);
}

bool PtyServer::TakeRequests(bool& cableChanged) {
    std::uint8_t drained[64];
    while (::read(wakeRead_, drained, sizeof drained) > 0) {
    }
    std::lock_guard lock(requestMutex_);
    for (const Cable change : cableRequests_) {
        switch (change) {
            case Cable::PluggedIn:
                engine_->Restart();
                cableChanged = true;
                break;
            case Cable::PulledOut:
                engine_->PowerOff();
                cableChanged = true;
                break;
            case Cable::PulledOutBetweenCommands:
                // What is on its way still belongs to the command in progress.
                engine_->PowerOffBeforeNextCommand();
                break;
        }
    }
    if (cableChanged) {
        // Bytes the host sent before now never reach the restarted device;
        // those it sends once the requester has returned do.
        std::uint8_t lost[4096];
        while (::read(master_, lost, sizeof lost) > 0) {
        }
    }
    cableRequests_.clear();
    hungUp_.store(engine_->HungUp());
    requestsDone_.notify_all();
    return !stopRequested_;
}

void PtyServer::Stop() {
    std::lock_guard lock(stopMutex_);
    if (stopped_) {
        return;
    }
    stopped_ = true;
    {
        std::lock_guard requests(requestMutex_);
        stopRequested_ = true;
        Wake();
    }
    requestsDone_.notify_all();
    thread_.join();
    engine_->Finish();
    CloseIfOpen(wakeRead_);
    CloseIfOpen(wakeWrite_);
    CloseIfOpen(watch_);
    CloseIfOpen(ownSlave_);
    CloseIfOpen(master_);
}

bool PtyServer::HostHoldsSlave() const {
    // The kernel tells who holds a terminal only through /proc; processes
    // ending during the search are skipped.
    std::error_code error;
    const std::filesystem::path own =
        "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(ownSlave_);
    for (const auto& process : std::filesystem::directory_iterator("/proc", error)) {
        // Only the numbered entries: "self" would show ownSlave_ under another name.
        const std::string name = process.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const std::filesystem::path fds = process.path() / "fd";
        for (const auto& fd : std::filesystem::directory_iterator(fds, error)) {
            if (fd.path() != own && std::filesystem::read_symlink(fd.path(), error) == slavePath_) {
                return true;
            }
        }
    }
    return false;
}

void PtyServer::CountOpensAndCloses() {
    // The watch tells only that someone opened or closed the slave: it
    // merges repeated events, so whether any host descriptor is left is
    // asked of the system after each close.
    alignas(inotify_event) char events[4096];
    bool opened = false;
    bool closed = false;
    ssize_t length;
    while ((length = ::read(watch_, events, sizeof events)) > 0) {
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            opened = opened || (event->mask & IN_OPEN) != 0;
            closed = closed || (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) != 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (opened) {
        hostOpens_.fetch_add(1);
    }
    if (closed && !HostHoldsSlave()) {
        hostCloses_.fetch_add(1);
    }
}

void PtyServer::Serve() {
    WireClock wire(options_.paceBaud);
    // Bytes read from the host wait here until their last bit would have
    // arrived; answers wait until their last bit would have left.
    std::deque<TimedByte> input;
    std::deque<TimedByte> output;
    std::vector<std::uint8_t> buffer(4096);
    bool outputBlocked = false;
    // When the master last reported a hang-up; the epoch while it has not.
    // (A plain time point: GCC 12 wrongly warns that an optional one may be
    // read uninitialised.)
    Clock::time_point masterHungUpAt{};
    bool masterHungUp = false;

    for (;;) {
        auto now = Clock::now();
        while (!input.empty() && input.front().at <= now) {
            engine_->Receive(input.front().byte, input.front().at);
            input.pop_front();
        }
        if (input.empty()) {
            engine_->CheckStall(now);
        }
        for (const Emission& emission : engine_->TakeOutput()) {
            output.push_back({emission.byte, wire.Departure(emission.notBefore)});
        }
        hungUp_.store(engine_->HungUp());
        if (!outputBlocked) {
            outputBlocked = !SendDue(master_, output, now);
        }

        std::optional<Clock::time_point> next;
        const auto consider = [&next](Clock::time_point at) {
            if (!next || at < *next) {
                next = at;
            }
        };
        if (!input.empty()) {
            consider(input.front().at);
        } else if (const auto stall = engine_->StallDeadline()) {
            consider(*stall);
        }
        if (!output.empty() && !outputBlocked) {
            consider(output.front().at);
        }
        if (masterHungUp) {
            consider(masterHungUpAt + HangUpRecheck);
        }

        const bool watchMaster = !masterHungUp || now >= masterHungUpAt + HangUpRecheck;
        if (watchMaster) {
            masterHungUp = false;
        }
        pollfd fds[3] = {
            {wakeRead_, POLLIN, 0},
            {watchMaster ? master_ : -1, static_cast<short>(POLLIN | (outputBlocked ? POLLOUT : 0)),
             0},
            {watch_, POLLIN, 0},
        };
        timespec timeout{};
        timespec* timeoutPointer = nullptr;
        if (next) {
            now = Clock::now();
            timeout = ToTimespec(*next > now ? *next - now : Clock::duration::zero());
            timeoutPointer = &timeout;
        }
        if (::ppoll(fds, 3, timeoutPointer, nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;  // only a broken descriptor set gets here; the device falls silent
        }
        if (fds[0].revents != 0) {
            bool cableChanged = false;
            if (!TakeRequests(cableChanged)) {
                return;
            }
            if (cableChanged) {
                // Whatever was on its way to or from the device died with
                // the power.
                input.clear();
                output.clear();
            }
        }
        if (fds[2].revents & POLLIN) {
            CountOpensAndCloses();
        }
        const short events = fds[1].revents;
        if (events & POLLOUT) {
            outputBlocked = false;
        }
        if (events & POLLIN) {
            const ssize_t count = ::read(master_, buffer.data(), buffer.size());
            const auto readAt = Clock::now();
            for (std::size_t i = 0; count > 0 && i < static_cast<std::size_t>(count); ++i) {
                journal_.AddReceived(buffer[i], readAt);
                input.push_back({buffer[i], wire.Arrival(readAt)});
            }
            if (count < 0 && errno == EIO) {
                masterHungUpAt = readAt;
                masterHungUp = true;
            }
        } else if (events & (POLLHUP | POLLERR)) {
            masterHungUpAt = Clock::now();
            masterHungUp = true;
        }
    }
}

}  // namespace bootsim
