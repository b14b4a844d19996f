// The device link as the program runs it: the real Linux serial layer on a
// pseudo-terminal, with the emulated programmer behind it, or a far end the
// test plays itself for answers that the emulated programmer never gives.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device_tree/device_tree.h"
#include "image/image_store.h"
#include "link/bootloader.h"
#include "link/serial_channel.h"
#include "link/updater_state.h"
#include "platform/posix/posix_serial.h"
#include "tools/bootsim/options.h"
#include "tools/bootsim/pty_server.h"

namespace linkwire {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t Ack = 0x79;
inline constexpr std::uint8_t Nack = 0x1F;
// COM33 is ttyUSB0 in the port table, where the fixture puts the pty.
inline constexpr const char* Port = "COM33";
inline constexpr const char* PortPath = R"(\\.\COM33)";

Bytes Join(std::initializer_list<Bytes> parts);
// The data frame of Write Memory for `block`: its count, the bytes, the XOR.
Bytes DataFrameOf(const Bytes& block);
// 128 bytes holding every kind of byte a tty likes to interpret: the flow
// control characters 0x11 and 0x13, CR and LF, and the protocol's own 0x79,
// 0x7F and 0x1F.
Bytes ControlRichBlock();
// Descriptors this process has open, from /proc/self/fd.
int OpenDescriptorCount();

// A pseudo-terminal whose master side the test plays.
class FarEnd {
  public:
    struct Step {
        std::size_t expect;  // bytes of the host's request
        Bytes reply;         // sent once they have all come
    };

    FarEnd();
    ~FarEnd();
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    void Send(const Bytes& bytes);
    // Answers the host's requests in order, on a thread of its own.
    void Play(std::vector<Step> script);
    // What the host sent while the script played; waits for the script to end
    // (or give up on a request that never came).
    Bytes Heard();

  private:
    Bytes Take(std::size_t count);

    int master_ = -1;
    // Keeps the slave's tty alive before the host opens it and after it
    // closes, so the master never reads as hung up.
    int ownSlave_ = -1;
    std::string slavePath_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    Bytes heard_;
    std::thread player_;
};

class LinkOnWire : public ::testing::Test {
  protected:
    LinkOnWire();
    ~LinkOnWire() override;

    // Starts the emulated programmer and puts its pty at COM33.
    void Serve(const bootsim::Options& options = {});
    void Attach(const std::string& slavePath);
    // Opens COM33 and keeps the result in PortOpen, as the connection does.
    bool Open(std::int32_t rate = 115200);
    void Close();
    // Serve, Open and a synchronisation that must succeed.
    void Connect(const bootsim::Options& options = {});

    // Junk in the shared buffers and the identification fields, so that a test
    // sees what an operation cleared or set.
    void Scribble();
    bool AllZero(std::size_t from, std::size_t to) const;

    // Every byte the device received so far.
    Bytes Received() const { return sim->Records().ReceivedValues(); }
    // Every byte the device received before a Get that it then answered. The
    // line keeps order, so this is complete, which a look at the record alone
    // is not while the device may still be reading.
    Bytes HeardBeforeProbe();
    Bytes MemoryAt(std::uint32_t address, std::size_t count = 128) const;
    void Preset(std::uint32_t address, const Bytes& bytes);

    // The 128 bytes of the image from `address` on.
    Bytes ImageBlock(std::uint32_t address) const;
    Bytes Received129() const { return Bytes(RxBuffer.begin(), RxBuffer.begin() + 129); }
    Bytes BlockInRxBuffer() const { return Bytes(RxBuffer.begin() + 1, RxBuffer.begin() + 129); }
    bool BootCommandsZeroFrom(std::size_t from) const;

    device_tree::DeviceTree tree;
    std::unique_ptr<bootsim::PtyServer> sim;
    platform::posix::PosixSerial serial{tree.DevRoot()};
    devlink::UpdaterState state;
    image::DeviceImage image;
    devlink::SerialChannel channel{state, serial};
    devlink::Bootloader boot{state, channel, image};
    std::array<std::uint8_t, devlink::RxBufferSize>& RxBuffer = boot.Buffers().RxBuffer;
    std::array<std::uint8_t, 16>& BootCommands = boot.Buffers().BootCommands;
};

}  // namespace linkwire
