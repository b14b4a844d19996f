// A served pty with one host client on it, and the host's side of the
// commands, for tests that talk to the emulated device over a real pty.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "host_frames.h"
#include "pty_client.h"
#include "tools/bootsim/options.h"
#include "tools/bootsim/pty_server.h"

namespace bootsim_test {

inline constexpr std::uint8_t Ack = bootsim::AckByte;
inline constexpr std::uint8_t Nack = bootsim::NackByte;

class Session : public ::testing::Test {
  protected:
    void Start(const bootsim::Options& options = {}, speed_t speed = B115200) {
        server = std::make_unique<bootsim::PtyServer>(options);
        client = std::make_unique<PtyClient>(server->SlavePath(), speed);
    }

    // Sends `request` and returns the first `count` bytes of the answer.
    Bytes Exchange(const Bytes& request, std::size_t count) {
        client->Send(request);
        return client->Receive(count);
    }

    void Synchronise() { ASSERT_EQ(Exchange({bootsim::SyncByte}, 1), Bytes{Ack}); }

    // The whole Write Memory exchange; false at the first answer that is not an ACK.
    bool WriteBlock(std::uint32_t address, const Bytes& data) {
        return Exchange(CommandFrame(bootsim::CmdWriteMemory), 1) == Bytes{Ack} &&
               Exchange(AddressFrame(address), 1) == Bytes{Ack} &&
               Exchange(DataFrame(data), 1) == Bytes{Ack};
    }

    // The data of a whole Read Memory exchange, or nothing when it failed.
    std::optional<Bytes> ReadBlock(std::uint32_t address, std::uint16_t count) {
        if (Exchange(CommandFrame(bootsim::CmdReadMemory), 1) != Bytes{Ack} ||
            Exchange(AddressFrame(address), 1) != Bytes{Ack}) {
            return std::nullopt;
        }
        Bytes answer = Exchange(CountFrame(count), std::size_t{count} + 1);
        if (answer.size() != std::size_t{count} + 1 || answer[0] != Ack) {
            return std::nullopt;
        }
        answer.erase(answer.begin());
        return answer;
    }

    Bytes MemoryAt(std::uint32_t address, std::size_t count) const {
        const auto all = server->Memory().Snapshot();
        return {all.begin() + address, all.begin() + address + static_cast<std::ptrdiff_t>(count)};
    }

    std::unique_ptr<bootsim::PtyServer> server;
    std::unique_ptr<PtyClient> client;
};

}  // namespace bootsim_test
