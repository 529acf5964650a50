#include "platform/Ticks.h"

#include <time.h>

#include <atomic>

namespace {

// Replaced only by tests, but read from every editor's idle; an atomic keeps the swap race-free.
std::atomic<uint32_t (*)()> gTickSource{nullptr};

uint32_t MonotonicTicks() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Unsigned arithmetic wraps, which is what a 32-bit tick count does every 49.7 days.
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

}  // namespace

uint32_t MillisecondTicks() {
    uint32_t (*source)() = gTickSource.load(std::memory_order_acquire);
    return source != nullptr ? source() : MonotonicTicks();
}

void SetMillisecondTicksForTesting(uint32_t (*source)()) { gTickSource.store(source, std::memory_order_release); }
