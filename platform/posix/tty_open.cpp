#include "platform/posix/tty_open.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace platform::posix {

namespace {

int Open(const std::string& path, TtyUse use) {
    // O_NONBLOCK keeps the open from waiting for carrier on a modem-controlled
    // line; reads and writes stay non-blocking and wait in poll() instead.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 || use == TtyUse::Shared)
        return fd;

    // TIOCEXCL refuses later opens of the tty, but not to a privileged
    // process, and it cannot see an open that raced ahead of it. The flock,
    // taken without waiting, covers both: a second owner of the port fails
    // here whatever its privileges, and it is released with the descriptor.
    // It comes first so that a port found busy is left exactly as it was:
    // TIOCEXCL is a flag of the tty itself, not of this descriptor.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        // A lock held elsewhere says "would block"; what it means is busy.
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

}  // namespace

bool IsAbsence(int error) {
    return error == ENOENT || error == ENXIO || error == ENODEV;
}

int OpenTty(const std::string& path, TtyUse use, const OpenFailureReport& report) {
    const int fd = Open(path, use);
    if (fd < 0 && report && !IsAbsence(errno)) {
        const int error = errno;
        report(path, error);
        errno = error;
    }
    return fd;
}

}  // namespace platform::posix
