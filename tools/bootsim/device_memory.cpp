#include "tools/bootsim/device_memory.h"

#include <algorithm>

namespace bootsim {

DeviceMemory::DeviceMemory(std::uint8_t fill) : bytes_(MemorySize, fill) {}

bool DeviceMemory::Holds(std::uint32_t address, std::uint32_t count) {
    // Written so that no sum can wrap around.
    return address <= MemorySize && count <= MemorySize - address;
}

bool DeviceMemory::Read(std::uint32_t address, std::span<std::uint8_t> into) const {
    if (!Holds(address, static_cast<std::uint32_t>(into.size()))) {
        return false;
    }
    std::lock_guard lock(mutex_);
    std::copy_n(bytes_.begin() + address, into.size(), into.begin());
    return true;
}

bool DeviceMemory::Write(std::uint32_t address, std::span<const std::uint8_t> bytes) {
    if (!Holds(address, static_cast<std::uint32_t>(bytes.size()))) {
        return false;
    }
    std::lock_guard lock(mutex_);
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + address);
    return true;
}

void DeviceMemory::EraseAll() {
    std::lock_guard lock(mutex_);
    std::fill(bytes_.begin(), bytes_.end(), ErasedByte);
}

bool DeviceMemory::ErasePage(std::uint32_t page) {
    if (page >= PageCount) {
        return false;
    }
    std::lock_guard lock(mutex_);
    std::fill_n(bytes_.begin() + page * PageSize, PageSize, ErasedByte);
    return true;
}

std::vector<std::uint8_t> DeviceMemory::Snapshot() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

}  // namespace bootsim
