#include "tools/bootsim/pty_server.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "tools/bootsim/engine.h"
#include "tools/bootsim/line_loop.h"
#include "tools/bootsim/line_rate.h"
#include "tools/bootsim/slave_watch.h"

namespace bootsim {

namespace {

[[noreturn]] void ThrowSystemError(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void CloseIfOpen(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace

PtyServer::PtyServer(Options options) : options_(std::move(options)), memory_(options_.fill) {
    try {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            ThrowSystemError("cannot create a pseudo-terminal");
        if (::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0)
            ThrowSystemError("cannot make the pseudo-terminal non-blocking");
        char name[128];
        if (::ptsname_r(master_, name, sizeof name) != 0)
            ThrowSystemError("cannot name the pseudo-terminal");
        slavePath_ = name;

        // Its termios is left as the kernel made it: setting up the line is
        // the host's business, and a test must see what the host did.
        keeper_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (keeper_ < 0)
            ThrowSystemError("cannot open the pseudo-terminal's slave");

        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
            ThrowSystemError("cannot create the stop pipe");
        stopRead_ = pipeFds[0];
        stopWrite_ = pipeFds[1];

        watch_ = std::make_unique<SlaveWatch>(slavePath_, keeper_);
    } catch (...) {
        CloseIfOpen(stopRead_);
        CloseIfOpen(stopWrite_);
        CloseIfOpen(keeper_);
        CloseIfOpen(master_);
        throw;
    }
}

PtyServer::~PtyServer() {
    Stop();
    watch_.reset();
    CloseIfOpen(stopRead_);
    CloseIfOpen(stopWrite_);
    CloseIfOpen(keeper_);
    CloseIfOpen(master_);
}

void PtyServer::Start() {
    if (started_)
        throw std::logic_error("the device is already serving");
    started_ = true;
    thread_ = std::thread([this] { Serve(); });
}

void PtyServer::Stop() {
    if (!thread_.joinable())
        return;
    const char wake = 1;
    while (::write(stopWrite_, &wake, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
}

void PtyServer::Serve() {
    Engine engine(options_, memory_, records_, [this] { return ReadLineRate(master_); });
    LineLoop loop(master_, stopRead_, options_.paceBaud, engine, records_, watch_->Fd(),
                  [this] { watch_->Handle(); });
    loop.Run();
}

}  // namespace bootsim
