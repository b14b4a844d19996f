#include "platform/posix/posix_serial.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <utility>

#include "platform/posix/baud_rates.h"
#include "platform/posix/comm_timeouts_plan.h"
#include "platform/posix/line_termios.h"
#include "platform/posix/monotonic_deadline.h"
#include "platform/posix/port_names.h"

namespace platform::posix {

namespace {

enum class WaitResult { Ready, TimedOut, LineFailed };

// Waits in poll() until `events` or the deadline. A tty that has gone away
// reports hang-up or error together with readiness, and its reads then return
// nothing for ever: that ends the wait as a failed line instead of a spin.
WaitResult WaitFor(int fd, short events, const Deadline& deadline) {
    const int timeout = deadline.PollTimeoutMs(MonotonicClock::now());
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, timeout);
    if (ready < 0)
        return errno == EINTR ? WaitResult::TimedOut : WaitResult::LineFailed;
    if (ready == 0)
        return WaitResult::TimedOut;
    if ((entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
        return WaitResult::LineFailed;
    return WaitResult::Ready;
}

}  // namespace

PosixSerial::PosixSerial(std::string deviceRoot, OpenFailureReport report)
    : deviceRoot_(std::move(deviceRoot)), report_(std::move(report)) {}

PosixSerial::~PosixSerial() {
    for (const auto& [fd, port] : ports_)
        Close(fd);
}

PosixSerial::OpenPort* PosixSerial::Find(PortHandle port) {
    if (port < 0 || port > INT_MAX)
        return nullptr;
    const auto it = ports_.find(static_cast<int>(port));
    return it == ports_.end() ? nullptr : &it->second;
}

PortHandle PosixSerial::CreateFileA(const std::string& path) {
    const auto node = NodeNameForDevicePath(path);
    if (!node)
        return InvalidHandle;
    const int fd = OpenTty(deviceRoot_ + "/" + *node, TtyUse::Exclusive, report_);
    if (fd < 0)
        return InvalidHandle;
    ports_[fd] = OpenPort{};
    return fd;
}

bool PosixSerial::SetupComm(PortHandle port, std::uint32_t, std::uint32_t) {
    return Find(port) != nullptr;
}

bool PosixSerial::GetCommState(PortHandle port, LineSettings& settings) {
    if (!Find(port))
        return false;
    termios current{};
    if (::tcgetattr(static_cast<int>(port), &current) != 0)
        return false;
    settings = LineSettingsOf(current);
    return true;
}

bool PosixSerial::SetCommState(PortHandle port, const LineSettings& settings) {
    if (!Find(port))
        return false;
    const int fd = static_cast<int>(port);
    termios current{};
    if (::tcgetattr(fd, &current) != 0)
        return false;
    const auto wanted = LineTermios(current, settings);
    if (!wanted)
        return false;
    // tcsetattr succeeds when any one of the changes took, and fails with
    // EINVAL when a driver refuses what was the only change (a
    // pseudo-terminal drops parity). Neither says whether the port is usable,
    // so its result is not the verdict: what the driver reports back is.
    // TCSANOW: nothing is queued that must be drained first, and the input
    // queue is kept.
    (void)::tcsetattr(fd, TCSANOW, &*wanted);
    termios actual{};
    if (::tcgetattr(fd, &actual) != 0)
        return false;
    return RawModeInPlace(actual, *SpeedForRate(settings.BaudRate));
}

bool PosixSerial::GetCommTimeouts(PortHandle port, CommTimeouts& timeouts) {
    const OpenPort* open = Find(port);
    if (!open)
        return false;
    timeouts = open->timeouts;
    return true;
}

bool PosixSerial::SetCommTimeouts(PortHandle port, const CommTimeouts& timeouts) {
    OpenPort* open = Find(port);
    if (!open)
        return false;
    open->timeouts = timeouts;
    return true;
}

bool PosixSerial::SetCommMask(PortHandle port, std::uint32_t) {
    return Find(port) != nullptr;
}

bool PosixSerial::ClearCommError(PortHandle port, std::uint32_t& inQueue) {
    inQueue = 0;
    if (!Find(port))
        return false;
    int waiting = 0;
    if (::ioctl(static_cast<int>(port), FIONREAD, &waiting) != 0 || waiting < 0)
        return false;
    inQueue = static_cast<std::uint32_t>(waiting);
    return true;
}

bool PosixSerial::ReadFile(PortHandle port, std::uint8_t* buffer, std::uint32_t count,
                           std::uint32_t& bytesRead) {
    bytesRead = 0;
    const OpenPort* open = Find(port);
    if (!open)
        return false;
    if (count == 0)
        return true;
    const int fd = static_cast<int>(port);

    const ReadPlan plan = PlanRead(open->timeouts, count);
    const Deadline total =
        plan.total ? Deadline::After(MonotonicClock::now(), *plan.total) : Deadline::Never();
    Deadline gap = Deadline::Never();  // runs only once the first byte is in

    for (;;) {
        const ssize_t got = ::read(fd, buffer + bytesRead, count - bytesRead);
        if (got > 0) {
            bytesRead += static_cast<std::uint32_t>(got);
            if (bytesRead == count)
                return true;
            if (plan.interval)
                gap = Deadline::After(MonotonicClock::now(), *plan.interval);
            continue;
        }
        // With VMIN = VTIME = 0 an empty queue reads as 0, not EAGAIN, and so
        // does a hung-up tty; the poll() below tells them apart. EIO is a
        // pseudo-terminal whose far end has gone.
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;

        const Deadline next = Deadline::Earliest(total, gap);
        if (next.HasPassed(MonotonicClock::now()))
            return true;
        if (WaitFor(fd, POLLIN, next) == WaitResult::LineFailed)
            return false;
    }
}

bool PosixSerial::WriteFile(PortHandle port, const std::uint8_t* buffer, std::uint32_t count,
                            std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    const OpenPort* open = Find(port);
    if (!open)
        return false;
    if (count == 0)
        return true;
    const int fd = static_cast<int>(port);

    const auto limit = PlanWrite(open->timeouts, count);
    const Deadline deadline =
        limit ? Deadline::After(MonotonicClock::now(), *limit) : Deadline::Never();

    for (;;) {
        const ssize_t put = ::write(fd, buffer + bytesWritten, count - bytesWritten);
        if (put > 0) {
            bytesWritten += static_cast<std::uint32_t>(put);
            if (bytesWritten == count)
                return true;
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            return false;

        if (deadline.HasPassed(MonotonicClock::now()))
            return true;
        if (WaitFor(fd, POLLOUT, deadline) == WaitResult::LineFailed)
            return false;
    }
}

bool PosixSerial::CloseHandle(PortHandle port) {
    if (!Find(port))
        return false;
    const int fd = static_cast<int>(port);
    ports_.erase(fd);
    Close(fd);
    return true;
}

void PosixSerial::Close(int fd) {
    // The last close of a serial tty waits until its output queue has gone
    // out, up to the driver's closing_wait (30 s by default). A line held up
    // by flow control would freeze the window that long; nothing written
    // still matters once the port is being given up.
    ::tcflush(fd, TCOFLUSH);
    // The exclusive flag belongs to the tty, not the descriptor. A
    // pseudo-terminal's tty outlives this close while its master is open, and
    // would then refuse every later open, including ours at the next rate.
    ::ioctl(fd, TIOCNXCL);
    // The line settings are not restored and the modem lines not touched:
    // putting back an earlier termios may drop or raise DTR and RTS and reset
    // the device behind the bridge. Linux releases the descriptor even when
    // close() reports EINTR, so it is never retried.
    ::close(fd);
}

bool PosixSerial::PurgeInput(PortHandle port) {
    if (!Find(port))
        return false;
    return ::tcflush(static_cast<int>(port), TCIFLUSH) == 0;
}

void PosixSerial::Sleep(std::uint32_t milliseconds) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    // The waits for the device are counted in 1 ms sleeps. Each wake-up comes
    // a little late (timer slack, a virtual machine's scheduling); measured
    // from the previous sleep's due time rather than from the wake-up, a run
    // of polls keeps a 1 ms beat, as a system timer tick does, instead of
    // lengthening every poll by that delay.
    const timespec until = NextSleepEnd(lastSleepEnd_, now, milliseconds);
    lastSleepEnd_ = until;
    // An absolute deadline lets a signal interrupt the sleep any number of
    // times without the remainder drifting.
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

}  // namespace platform::posix
