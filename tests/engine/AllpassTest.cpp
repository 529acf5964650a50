#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/DiffuserLengths.h"
#include "engine/allpass.h"

namespace {

constexpr float kG = 0.63f;

// Feeds one 1.0 and then zeros; returns every output.
std::vector<float> ImpulseResponse(allpass& ap, int samples) {
    std::vector<float> out(samples);
    for (int n = 0; n < samples; ++n) out[n] = ap.process(n == 0 ? 1.0f : 0.0f);
    return out;
}

// The taps of a Schroeder allpass of delay N: -g at 0, then (1 - g^2) g^(k-1) at k N.
void ExpectSchroederTaps(const std::vector<float>& out, int delay, float g) {
    const float first = g * -g + 1.0f;  // the memory written by the impulse
    float tap = first;
    for (int n = 0; n < static_cast<int>(out.size()); ++n) {
        if (n == 0) {
            ASSERT_FLOAT_EQ(out[n], -g);
        } else if (n % delay == 0) {
            ASSERT_FLOAT_EQ(out[n], tap) << "tap at " << n;
            tap *= g;
        } else {
            ASSERT_EQ(out[n], 0.0f) << "sample " << n;
        }
    }
}

}  // namespace

TEST(AllpassConstruction, DefaultsAndSilentMemory) {
    // Leave garbage in freed heap so an uncleared buffer would likely pick it up.
    for (int i = 0; i < 8; ++i) {
        void* junk = std::malloc(32776 + 64);
        std::memset(junk, 0x5A, 32776 + 64);
        std::free(junk);
    }
    allpass ap;
    EXPECT_EQ(ap.GetSize(), 8192);
    EXPECT_EQ(ap.Capacity(), 8192);
    EXPECT_EQ(ap.GetPosition(), 1);
    EXPECT_EQ(ap.GetLastOutput(), 0.0f);
    ap.setfeedback(kG);
    EXPECT_EQ(ap.GetFeedback(), kG);
    for (int n = 0; n < 2 * 8192 + 2; ++n) ASSERT_EQ(ap.process(0.0f), 0.0f) << "sample " << n;
}

TEST(AllpassResponse, ImpulseGivesSchroederTaps) {
    for (int delay : {1, 2, 7, 100, 8192}) {
        allpass ap;
        ap.setfeedback(kG);
        ap.SetBuffer(delay);
        ASSERT_EQ(ap.GetSize(), delay);
        ExpectSchroederTaps(ImpulseResponse(ap, 4 * delay + 3), delay, kG);
    }
}

TEST(AllpassResponse, ImpulseValuesAreTheDescribedOnes) {
    allpass ap;
    ap.setfeedback(kG);
    ap.SetBuffer(48);
    const std::vector<float> out = ImpulseResponse(ap, 97);
    EXPECT_FLOAT_EQ(out[0], -0.63f);
    EXPECT_NEAR(out[48], 1.0 - 0.63 * 0.63, 1e-6);           // 0.6031
    EXPECT_NEAR(out[96], 0.63 * (1.0 - 0.63 * 0.63), 1e-6);  // 0.379953
    EXPECT_EQ(ap.GetLastOutput(), out[96]);
}

TEST(AllpassResponse, UnitEnergyGain) {
    // An allpass passes all the energy of an impulse, only spread out in time.
    allpass ap;
    ap.setfeedback(kG);
    ap.SetBuffer(5);
    double energy = 0;
    for (float y : ImpulseResponse(ap, 5 * 200)) energy += static_cast<double>(y) * y;
    EXPECT_NEAR(energy, 1.0, 1e-5);
}

TEST(AllpassPosition, MuteKeepsItSetBufferMakesItOne) {
    allpass ap;
    ap.setfeedback(kG);
    ap.SetBuffer(10);
    EXPECT_EQ(ap.GetPosition(), 1);
    for (int n = 0; n < 4; ++n) ap.process(1.0f);
    EXPECT_EQ(ap.GetPosition(), 5);
    EXPECT_NE(ap.GetLastOutput(), 0.0f);
    ap.mute();
    EXPECT_EQ(ap.GetPosition(), 5);
    EXPECT_EQ(ap.GetLastOutput(), 0.0f);
    EXPECT_EQ(ap.GetSize(), 10);
    for (int n = 0; n < 30; ++n) ASSERT_EQ(ap.process(0.0f), 0.0f) << "mute left memory behind at " << n;
    for (int n = 0; n < 7; ++n) ap.process(0.5f);
    EXPECT_EQ(ap.GetPosition(), 2);  // wrapped from 9 to 0
    ap.SetBuffer(6);
    EXPECT_EQ(ap.GetPosition(), 1);
    EXPECT_EQ(ap.GetLastOutput(), 0.0f);
    for (int n = 0; n < 20; ++n) ASSERT_EQ(ap.process(0.0f), 0.0f) << "SetBuffer left memory behind at " << n;
}

TEST(AllpassInstall, LengthsClampToOneAndToCapacity) {
    allpass ap;
    ap.setfeedback(kG);
    for (int n : {0, -1, -100000}) {
        ap.SetBuffer(n);
        EXPECT_EQ(ap.GetSize(), 1) << n;
        EXPECT_EQ(ap.GetPosition(), 0) << n;
        ExpectSchroederTaps(ImpulseResponse(ap, 8), 1, kG);
    }
    ap.SetBuffer(100000);  // beyond the default room: no allocation, no overflow
    EXPECT_EQ(ap.GetSize(), 8192);
    EXPECT_EQ(ap.Capacity(), 8192);
    ExpectSchroederTaps(ImpulseResponse(ap, 2 * 8192 + 1), 8192, kG);
}

TEST(AllpassReserve, GrowsOnlyAndThenHoldsLongDelays) {
    allpass ap;
    ap.setfeedback(kG);
    ap.Reserve(100);
    EXPECT_EQ(ap.Capacity(), 8192);  // never shrinks
    const int longest = MaxDiffuserLength(0, 0, 192000.0f);
    ap.Reserve(longest);
    EXPECT_EQ(ap.Capacity(), longest);
    ap.SetBuffer(longest);
    EXPECT_EQ(ap.GetSize(), longest);
    ExpectSchroederTaps(ImpulseResponse(ap, 2 * longest + 1), longest, kG);
    ap.Reserve(kMaxDiffuserLength * 4);  // an absurd request is capped, not honoured
    EXPECT_EQ(ap.Capacity(), kMaxDiffuserLength);
}

TEST(AllpassReserve, KeepsTheRunningDelayIntact) {
    allpass ap;
    ap.setfeedback(kG);
    ap.SetBuffer(50);
    std::vector<float> out(150);
    for (int n = 0; n < 20; ++n) out[n] = ap.process(n == 0 ? 1.0f : 0.0f);
    const int position = ap.GetPosition();
    ap.Reserve(20000);
    EXPECT_EQ(ap.GetSize(), 50);
    EXPECT_EQ(ap.GetPosition(), position);
    for (int n = 20; n < 150; ++n) out[n] = ap.process(0.0f);
    ExpectSchroederTaps(out, 50, kG);
}

TEST(AlignedBlocks, SixteenAlignedWritableAndFreed) {
    std::vector<void*> blocks;
    for (size_t bytes = 0; bytes < 600; ++bytes) blocks.push_back(AlignMalloc(bytes));
    for (size_t bytes : {4096u, 32776u, 65537u, 1u << 20}) blocks.push_back(AlignMalloc(bytes));
    for (size_t i = 0; i < blocks.size(); ++i) {
        ASSERT_NE(blocks[i], nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(blocks[i]) % 16, 0u) << "block " << i;
    }
    // Fill every byte asked for; the sanitizer build catches a result too close to the block's end.
    for (size_t bytes = 0; bytes < 600; ++bytes) std::memset(blocks[bytes], 0xA5, bytes);
    std::memset(blocks[600], 0xA5, 4096);
    std::memset(blocks[603], 0xA5, 1u << 20);
    for (void* p : blocks) AlignFree(p);
    AlignFree(nullptr);  // harmless
}

TEST(AlignedBlocks, ImpossibleSizeIsRefused) {
    EXPECT_EQ(AlignMalloc(SIZE_MAX), nullptr);
    EXPECT_EQ(AlignMalloc(SIZE_MAX - 4), nullptr);
}
