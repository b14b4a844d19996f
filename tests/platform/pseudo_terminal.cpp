#include "pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>

namespace platformtest {

using Clock = std::chrono::steady_clock;

namespace {

int MillisecondsLeft(Clock::time_point end) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        throw std::runtime_error("cannot create a pseudo-terminal");
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    slavePath_ = ::ptsname(master_);
}

PseudoTerminal::~PseudoTerminal() {
    CloseMaster();
}

void PseudoTerminal::CloseMaster() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void PseudoTerminal::Send(const std::vector<std::uint8_t>& bytes) {
    const auto end = Clock::now() + std::chrono::seconds(5);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            throw std::runtime_error("pty write failed");
        if (Clock::now() >= end)
            throw std::runtime_error("pty write did not finish");
        pollfd entry{master_, POLLOUT, 0};
        ::poll(&entry, 1, MillisecondsLeft(end));
    }
}

std::vector<std::uint8_t> PseudoTerminal::Receive(std::size_t count,
                                                  std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    std::vector<std::uint8_t> received;
    std::uint8_t chunk[4096];
    while (received.size() < count) {
        const std::size_t want = std::min(sizeof chunk, count - received.size());
        const ssize_t n = ::read(master_, chunk, want);
        if (n > 0) {
            received.insert(received.end(), chunk, chunk + n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        if (Clock::now() >= end)
            break;
        pollfd entry{master_, POLLIN, 0};
        ::poll(&entry, 1, MillisecondsLeft(end));
    }
    return received;
}

int OpenDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

}  // namespace platformtest
