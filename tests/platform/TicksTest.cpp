#include <gtest/gtest.h>
#include <time.h>

#include "platform/Ticks.h"

namespace {

uint64_t MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
}

TEST(Ticks, AreTheMonotonicClockInMillisecondsCutTo32Bits) {
    const uint64_t before = MonotonicMilliseconds();
    const uint32_t ticks = MillisecondTicks();
    const uint64_t after = MonotonicMilliseconds();
    // Unsigned differences stay right across a wrap of the 32-bit count.
    EXPECT_LE(uint32_t(ticks - uint32_t(before)), uint32_t(after - before));
}

uint32_t gFakeNow = 0;
uint32_t FakeTicks() { return gFakeNow; }

TEST(Ticks, TestsCanReplaceTheClockAndRestoreIt) {
    SetMillisecondTicksForTesting(FakeTicks);
    gFakeNow = 0xFFFFFFF0u;
    EXPECT_EQ(MillisecondTicks(), 0xFFFFFFF0u);
    gFakeNow = 7;
    EXPECT_EQ(MillisecondTicks(), 7u);
    SetMillisecondTicksForTesting(nullptr);
    const uint64_t before = MonotonicMilliseconds();
    EXPECT_LE(uint32_t(MillisecondTicks() - uint32_t(before)), 1000u);
}

}  // namespace
