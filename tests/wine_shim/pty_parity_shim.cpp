// A test-only preload library for running the Windows program's serial tests
// under Wine on a pseudo-terminal.
//
// A pseudo-terminal has no parity generator: Linux clears PARENB from every
// termios set on it (some kernels refuse the request instead), so a port set
// to 8E1 reads back as 8N1 and the line settings could not be checked. On a
// pseudo-terminal this library takes PARENB out of what is set, remembers
// whether it was asked for, and puts it back into what is read, as a real
// serial port would hold it. Every other terminal, and every other flag, goes
// through untouched. Wine 8 reaches the line through tcgetattr and
// tcsetattr in its unix-side ntdll, which is where these stand in.
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

#include <array>
#include <mutex>

namespace {

// Unix98 pseudo-terminal slaves: majors 136 to 143.
bool IsPtySlave(int fd, dev_t& device) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    const unsigned int major = ::major(info.st_rdev);
    device = info.st_rdev;
    return major >= 136 && major <= 143;
}

struct Remembered {
    dev_t device = 0;
    bool used = false;
    bool parity = false;
};

std::mutex lock;
std::array<Remembered, 64> remembered;

Remembered* Slot(dev_t device, bool create) {
    for (Remembered& entry : remembered) {
        if (entry.used && entry.device == device)
            return &entry;
    }
    if (!create)
        return nullptr;
    for (Remembered& entry : remembered) {
        if (!entry.used) {
            entry = {device, true, false};
            return &entry;
        }
    }
    return nullptr;
}

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int tcsetattr(int fd, int action, const termios* settings) {
    static const auto next = Next<int (*)(int, int, const termios*)>("tcsetattr");
    dev_t device{};
    if (settings == nullptr || !IsPtySlave(fd, device))
        return next(fd, action, settings);
    termios held = *settings;
    held.c_cflag &= ~static_cast<tcflag_t>(PARENB);
    const int result = next(fd, action, &held);
    if (result == 0) {
        const std::lock_guard<std::mutex> guard(lock);
        if (Remembered* slot = Slot(device, true))
            slot->parity = (settings->c_cflag & PARENB) != 0;
    }
    return result;
}

extern "C" int tcgetattr(int fd, termios* settings) {
    static const auto next = Next<int (*)(int, termios*)>("tcgetattr");
    const int result = next(fd, settings);
    dev_t device{};
    if (result != 0 || !IsPtySlave(fd, device))
        return result;
    const std::lock_guard<std::mutex> guard(lock);
    if (const Remembered* slot = Slot(device, false); slot && slot->parity)
        settings->c_cflag |= PARENB;
    return result;
}
