// The host side of the tests: a plain termios client on the pty's slave, set
// up the way a serial tool sets up a port (raw, 8 data bits, no flow control).
#pragma once

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace bootsim_test {

using Bytes = std::vector<std::uint8_t>;

// Long enough for any answer on a loaded machine; only reached when an answer
// is missing, so it never slows a passing test.
inline constexpr auto AnswerLimit = std::chrono::seconds(5);
// How long a test listens to be satisfied that no answer is coming.
inline constexpr auto SilenceWindow = std::chrono::milliseconds(300);

class PtyClient {
  public:
    // Throws std::system_error when the slave cannot be opened or set up.
    explicit PtyClient(const std::string& path, speed_t speed = B115200);
    ~PtyClient();

    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    int Fd() const { return fd_; }
    void SetSpeed(speed_t speed);
    void Send(const Bytes& bytes);
    // Returns once `count` bytes came or `limit` passed, with what came.
    Bytes Receive(std::size_t count,
                  std::chrono::milliseconds limit = std::chrono::milliseconds(AnswerLimit));
    // Everything that arrives within `window`.
    Bytes Collect(std::chrono::milliseconds window = SilenceWindow);

  private:
    int fd_ = -1;
};

}  // namespace bootsim_test
