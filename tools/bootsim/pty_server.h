// The emulated device on a pseudo-terminal: the host opens the slave as its
// serial port, and the device answers on the master from a thread of its
// own until stopped.
//
// Typical use:
//     bootsim::PtyServer device(options);
//     device.Memory().Write(0x9000, bytes);  // preset, before serving
//     device.Start();
//     ... open device.SlavePath() ...
//     device.Stop();
//     device.Record().Commands() ...
#pragma once

#include <memory>
#include <string>
#include <thread>

#include "tools/bootsim/device_memory.h"
#include "tools/bootsim/options.h"
#include "tools/bootsim/records.h"

namespace bootsim {

class SlaveWatch;

class PtyServer {
  public:
    // Creates the pseudo-terminal; throws std::system_error when the system
    // will not give one. Serving starts with Start().
    explicit PtyServer(Options options = {});
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // The node the host opens, e.g. "/dev/pts/3".
    const std::string& SlavePath() const { return slavePath_; }
    const Options& Settings() const { return options_; }

    DeviceMemory& Memory() { return memory_; }
    const DeviceMemory& Memory() const { return memory_; }
    const Records& Record() const { return records_; }

    // Serves until Stop(). Calling it twice is a programming error
    // (std::logic_error); a stopped server does not start again.
    void Start();
    // Returns once the serving thread has ended; harmless to call again.
    void Stop();

  private:
    void Serve();

    Options options_;
    DeviceMemory memory_;
    Records records_;
    std::string slavePath_;
    int master_ = -1;
    // The server's own hold on the slave, so that the master never sees a
    // hang-up however often the host closes and reopens its end.
    int keeper_ = -1;
    int stopRead_ = -1;
    int stopWrite_ = -1;
    std::unique_ptr<SlaveWatch> watch_;
    std::thread thread_;
    bool started_ = false;
};

}  // namespace bootsim
