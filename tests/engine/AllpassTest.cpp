// One diffuser allpass: its impulse response, positions, clearing, room and aligned blocks.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/DiffuserLengths.h"
#include "engine/allpass.h"

namespace {

constexpr float kG = 0.63f;

// Feeds 1 and then zeros; expects the Schroeder taps of a delay N: -g at 0, then (1 - g^2) g^(k-1)
// at k N (0.6031 after N, 0.379953 after 2N), and silence in between.
void ExpectSchroederTaps(allpass& ap, int delay, int samples) {
    double tap = 1.0 - 0.63 * 0.63;
    for (int n = 0; n < samples; ++n) {
        const float y = ap.process(n == 0 ? 1.0f : 0.0f);
        ASSERT_EQ(ap.GetLastOutput(), y);
        if (n == 0) {
            ASSERT_FLOAT_EQ(y, -kG);
        } else if (n % delay == 0) {
            ASSERT_NEAR(y, tap, 1e-6) << "tap at " << n;
            tap *= 0.63;
        } else {
            ASSERT_EQ(y, 0.0f) << "sample " << n;
        }
    }
}

}  // namespace

TEST(Allpass, StartsSilentGivesSchroederTapsClampsTheLengthAndClears) {
    // Leave garbage in freed heap so an uncleared buffer would likely pick it up.
    for (int i = 0; i < 8; ++i) std::free(std::memset(std::malloc(32776 + 64), 0x5A, 32776 + 64));
    allpass ap;
    EXPECT_TRUE(ap.GetSize() == 8192 && ap.Capacity() == 8192 && ap.GetPosition() == 1 && ap.GetLastOutput() == 0.0f);
    ap.setfeedback(kG);
    EXPECT_EQ(ap.GetFeedback(), kG);
    for (int n = 0; n < 2 * 8192 + 2; ++n) ASSERT_EQ(ap.process(0.0f), 0.0f) << "sample " << n;
    // 0 and below are one sample; beyond the room is the room: no allocation, no overflow.
    const int lengths[][2] = {{1, 1}, {2, 2}, {7, 7}, {48, 48}, {8192, 8192}, {0, 1}, {-100000, 1}, {100000, 8192}};
    for (const auto& [asked, size] : lengths) {
        ap.SetBuffer(asked);
        ASSERT_TRUE(ap.GetSize() == size && ap.GetPosition() == (size > 1 ? 1 : 0)) << asked;
        ExpectSchroederTaps(ap, size, 2 * size + 2);
    }
    EXPECT_EQ(ap.Capacity(), 8192);
    // mute clears the memory and keeps the position; SetBuffer moves it to 1.
    ap.SetBuffer(10);
    for (int n = 0; n < 4; ++n) ap.process(1.0f);
    ap.mute();
    EXPECT_TRUE(ap.GetPosition() == 5 && ap.GetSize() == 10 && ap.GetLastOutput() == 0.0f);
    for (int n = 0; n < 30; ++n) ASSERT_EQ(ap.process(0.0f), 0.0f) << "mute left memory behind at " << n;
    for (int n = 0; n < 7; ++n) ap.process(0.5f);
    EXPECT_EQ(ap.GetPosition(), 2);  // wrapped from 9 to 0
    ap.SetBuffer(6);
    EXPECT_TRUE(ap.GetPosition() == 1 && ap.GetLastOutput() == 0.0f);
    for (int n = 0; n < 20; ++n) ASSERT_EQ(ap.process(0.0f), 0.0f) << "SetBuffer left memory behind at " << n;
}

TEST(Allpass, ReserveOnlyGrowsKeepsTheRunningDelayAndHoldsLongDelays) {
    allpass ap;
    ap.setfeedback(kG);
    ap.SetBuffer(50);
    ap.process(0.5f);  // an impulse already under way
    for (int n = 1; n < 20; ++n) ap.process(0.0f);
    ap.Reserve(100);
    EXPECT_EQ(ap.Capacity(), 8192) << "never shrinks";
    const int longest = MaxDiffuserLength(0, 0, 192000.0f);
    ap.Reserve(longest);
    EXPECT_TRUE(ap.Capacity() == longest && ap.GetSize() == 50 && ap.GetPosition() == 21);
    for (int n = 20; n < 50; ++n) ASSERT_EQ(ap.process(0.0f), 0.0f) << n;
    EXPECT_FLOAT_EQ(ap.process(0.0f), 0.5f * (1.0f - kG * kG)) << "the tail survives the move";
    ap.SetBuffer(longest);
    ExpectSchroederTaps(ap, longest, 2 * longest + 1);
    ap.Reserve(kMaxDiffuserLength * 4);  // an absurd request is capped, not honoured
    EXPECT_EQ(ap.Capacity(), kMaxDiffuserLength);
}

TEST(AlignedBlocks, SixteenAlignedWritableFreedAndImpossibleSizesRefused) {
    std::vector<std::pair<void*, size_t>> blocks;
    for (size_t bytes = 0; bytes < 600; ++bytes) blocks.emplace_back(AlignMalloc(bytes), bytes);
    for (size_t bytes : {4096u, 32776u, 65537u, 1u << 20}) blocks.emplace_back(AlignMalloc(bytes), bytes);
    for (const auto& [p, bytes] : blocks) {
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u) << bytes;
        std::memset(p, 0xA5, bytes);  // the sanitizer build catches a result too close to the block's end
    }
    for (const auto& block : blocks) AlignFree(block.first);
    AlignFree(nullptr);  // harmless
    EXPECT_EQ(AlignMalloc(SIZE_MAX), nullptr);
    EXPECT_EQ(AlignMalloc(SIZE_MAX - 4), nullptr);
}
