// The emulated device's flash: 128 KiB at device address 0, in 1 KiB pages.
// Safe to use from any thread, so a test can look at it while it is served.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace bootsim {

inline constexpr std::uint32_t MemorySize = 0x20000;
inline constexpr std::uint32_t PageSize = 1024;
inline constexpr std::uint32_t PageCount = MemorySize / PageSize;
inline constexpr std::uint8_t ErasedByte = 0xFF;

class DeviceMemory {
  public:
    explicit DeviceMemory(std::uint8_t fill = ErasedByte);

    // True when [address, address + count) lies inside the memory.
    static bool Holds(std::uint32_t address, std::uint32_t count);

    // Both return false and change nothing when the range is outside.
    bool Read(std::uint32_t address, std::span<std::uint8_t> into) const;
    bool Write(std::uint32_t address, std::span<const std::uint8_t> bytes);
    void EraseAll();
    bool ErasePage(std::uint32_t page);
    std::vector<std::uint8_t> Snapshot() const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace bootsim
