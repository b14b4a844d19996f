// Heap allocations made by this test program, counted by its own global
// operator new. A stand-in's own bookkeeping is not the updater's, so a
// stand-in pauses the count around its work.
#pragma once

#include <cstdint>

namespace alloccount {

std::uint64_t Allocations();

class Paused {
  public:
    Paused();
    ~Paused();
    Paused(const Paused&) = delete;
    Paused& operator=(const Paused&) = delete;
};

}  // namespace alloccount
