#include "pty_client.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace bootsim_test {

namespace {

[[noreturn]] void ThrowErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PtyClient::PtyClient(const std::string& path, speed_t speed) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        ThrowErrno("open slave");
    }
    termios settings{};
    if (::tcgetattr(fd_, &settings) != 0) {
        ::close(fd_);
        ThrowErrno("tcgetattr");
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
    if (::tcsetattr(fd_, TCSANOW, &settings) != 0) {
        ::close(fd_);
        ThrowErrno("tcsetattr");
    }
}

PtyClient::~PtyClient() {
    ::close(fd_);
}

void PtyClient::SetSpeed(speed_t speed) {
    termios settings{};
    if (::tcgetattr(fd_, &settings) != 0) {
        ThrowErrno("tcgetattr");
    }
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
    if (::tcsetattr(fd_, TCSANOW, &settings) != 0) {
        ThrowErrno("tcsetattr");
    }
}

void PtyClient::Send(const Bytes& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            ThrowErrno("write");
        } else {
            pollfd room{fd_, POLLOUT, 0};
            ::poll(&room, 1, 100);
        }
    }
}

Bytes PtyClient::Receive(std::size_t count, std::chrono::milliseconds limit) {
    Bytes received;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::uint8_t buffer[512];
    while (received.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left.count()) + 1) <= 0) {
            continue;
        }
        const std::size_t want = std::min(count - received.size(), sizeof buffer);
        const ssize_t n = ::read(fd_, buffer, want);
        if (n > 0) {
            received.insert(received.end(), buffer, buffer + n);
        }
    }
    return received;
}

Bytes PtyClient::Collect(std::chrono::milliseconds window) {
    return Receive(static_cast<std::size_t>(-1), window);
}

}  // namespace bootsim_test
