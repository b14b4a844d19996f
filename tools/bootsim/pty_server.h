// The emulated programmer on a pseudo-terminal: the host opens SlavePath() as
// it would open the programmer's serial port, and a thread of this object
// plays the device's bootloader on the master side until Stop().
//
// The host may close and reopen the slave any number of times; the device
// keeps its state (synchronised, memory) across, as a real one behind a
// plugged-in bridge does. The pty's line settings are left to the host.
//
// A host that marks the slave exclusive (TIOCEXCL) has to clear the mark
// (TIOCNXCL) before it closes: the master keeps the slave's tty, and with it
// the mark, alive, so an unprivileged reopen would fail with EBUSY.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "tools/bootsim/device_memory.h"
#include "tools/bootsim/journal.h"
#include "tools/bootsim/options.h"
#include "tools/bootsim/protocol_engine.h"

namespace bootsim {

class PtyServer {
  public:
    // Creates the pty and starts serving at once. Throws std::system_error
    // when no pty can be had.
    explicit PtyServer(Options options = {});
    ~PtyServer();

    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    const std::string& SlavePath() const { return slavePath_; }

    // Ends serving promptly; a command still in progress is recorded as
    // incomplete. Later calls do nothing.
    void Stop();

    // The programmer's cable pulled out: the device, powered through it,
    // hears and sends nothing, and bytes on their way are lost. Plugged back
    // in, it starts afresh: not synchronised, its memory as it was. Each
    // returns once the device has done it.
    void Unplug();
    void PlugIn();
    // Pulled out once the command in progress has been answered: between two
    // of the host's commands, whenever its requests come.
    void UnplugBetweenCommands();

    const Journal& Records() const { return journal_; }
    // Tests may preset or inspect memory at any time.
    DeviceMemory& Memory() { return memory_; }
    const DeviceMemory& Memory() const { return memory_; }
    bool HungUp() const { return hungUp_.load(); }
    // With Options::watchHost, whether the host ever opened the slave (a
    // count of the times it was seen opening, at least one per burst of
    // opens), and how many times its last descriptor of it closed: what a
    // host does with the port can be checked from outside. Without, 0.
    unsigned HostOpens() const { return hostOpens_.load(); }
    unsigned HostCloses() const { return hostCloses_.load(); }

  private:
    void Serve();
    void Wake();
    // Carries out the cable's requests on the serving thread; false when
    // the server is to stop.
    bool TakeRequests(bool& cableChanged);
    void CountOpensAndCloses();
    enum class Cable { PulledOut, PulledOutBetweenCommands, PluggedIn };
    void RequestCable(Cable change);
    bool HostHoldsSlave() const;

    const Options options_;
    DeviceMemory memory_;
    Journal journal_;
    std::unique_ptr<ProtocolEngine> engine_;  // touched only by the serving thread

    int master_ = -1;
    // Held open for the whole session: without any slave descriptor the
    // master reports POLLHUP and EIO, and the host's close would look like
    // the end of the session. It holds no flock, so the host's exclusive
    // flock still succeeds and still shuts out a second host.
    int ownSlave_ = -1;
    // Watches the slave's opens and closes by anyone but ownSlave_, which
    // was opened before the watch began.
    int watch_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::string slavePath_;

    std::atomic<bool> hungUp_{false};
    std::atomic<unsigned> hostOpens_{0};
    std::atomic<unsigned> hostCloses_{0};
    std::mutex stopMutex_;
    bool stopped_ = false;
    // Requests for the serving thread: the cable's state to take on, in
    // order, and whether to stop.
    std::mutex requestMutex_;
    std::condition_variable requestsDone_;
    std::deque<Cable> cableRequests_;
    bool stopRequested_ = false;
    std::thread thread_;
};

}  // namespace bootsim
