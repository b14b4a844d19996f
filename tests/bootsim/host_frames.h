// The host's frames, built as the bootloader protocol lays them out.
#pragma once

#include <cstdint>

#include "pty_client.h"

namespace bootsim_test {

inline Bytes CommandFrame(std::uint8_t code) {
    return {code, static_cast<std::uint8_t>(code ^ 0xFF)};
}

inline Bytes AddressFrame(std::uint32_t address) {
    Bytes frame{static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
                static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    frame.push_back(frame[0] ^ frame[1] ^ frame[2] ^ frame[3]);
    return frame;
}

// Count byte, the bytes, XOR checksum over both.
inline Bytes DataFrame(const Bytes& data) {
    // Reserved first: GCC 12 at -O2 takes an insert behind a one-byte vector
    // for a write out of its bounds (-Warray-bounds).
    Bytes frame;
    frame.reserve(data.size() + 2);
    frame.push_back(static_cast<std::uint8_t>(data.size() - 1));
    frame.insert(frame.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (std::uint8_t byte : frame) {
        sum ^= byte;
    }
    frame.push_back(sum);
    return frame;
}

inline Bytes CountFrame(std::uint16_t count) {
    const auto n = static_cast<std::uint8_t>(count - 1);
    return {n, static_cast<std::uint8_t>(n ^ 0xFF)};
}

// A block of distinct bytes (for up to 256), so that a shifted or swapped
// byte shows.
inline Bytes Pattern(std::size_t size, std::uint8_t seed) {
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return data;
}

inline Bytes Concat(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

}  // namespace bootsim_test
