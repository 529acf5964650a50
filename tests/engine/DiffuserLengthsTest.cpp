// How the diffuser's sixteen lengths are chosen: the prime search, the known lengths, their bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "engine/DiffuserLengths.h"

namespace {

using Lengths = int[2][8];

constexpr Lengths kSpread0At44k = {{48, 32, 27, 21, 8, 14, 11, 11}, {48, 39, 26, 22, 9, 9, 6, 2}};
constexpr Lengths kSpread1At44k = {{13278, 8578, 5547, 3586, 2311, 1502, 972, 632},
                                   {13278, 8585, 5546, 3587, 2312, 1496, 967, 623}};

void ExpectLengths(float spread, float rate, const Lengths expected) {
    Lengths l;
    ChooseDiffuserLengths(spread, rate, l);
    for (int b = 0; b < 2; ++b)
        for (int k = 0; k < 8; ++k) EXPECT_EQ(l[b][k], expected[b][k]) << spread << " " << rate << " " << b << "/" << k;
}

}  // namespace

TEST(DiffuserLengths, NextPrimeSearchesFromTheLimitOfTheFirstValue) {
    // 8 has limit 2, so 9 passes although 3 divides it; 120 has limit 10, so 121 = 11 * 11 passes.
    // Below 4 a value is its own answer; the search stops at 2^31 - 1 instead of overflowing.
    const int cases[][2] = {{2187, 2203}, {3, 3}, {2203, 2203}, {4, 5}, {1480, 1481}, {600000, 600011},
                            {8, 9}, {24, 25}, {120, 121}, {0, 0}, {1, 1}, {2, 2}, {-7, -7},
                            {INT_MIN, INT_MIN}, {INT_MAX - 1, INT_MAX}, {INT_MAX, INT_MAX}};
    for (const auto& [n, prime] : cases) EXPECT_EQ(NextPrime(n), prime) << n;
}

TEST(DiffuserLengths, KnownLengthsAt44100ReseededOnEveryCallAndClampedSpread) {
    ExpectLengths(0.0f, 44100.0f, kSpread0At44k);
    ExpectLengths(1.0f, 44100.0f, kSpread1At44k);
    Lengths first, other;
    ChooseDiffuserLengths(0.37f, 44100.0f, first);
    ChooseDiffuserLengths(0.9f, 48000.0f, other);
    ExpectLengths(0.37f, 44100.0f, first);
    for (float low : {NAN, -3.0f}) ExpectLengths(low, 44100.0f, kSpread0At44k);
    for (float high : {7.0f, INFINITY}) ExpectLengths(high, 44100.0f, kSpread1At44k);
}

TEST(DiffuserLengths, RatesScaleThePrimesAndBadRatesGiveSafeLengths) {
    Lengths at22, at88;
    ChooseDiffuserLengths(1.0f, 22050.0f, at22);
    ChooseDiffuserLengths(1.0f, 88200.0f, at88);
    for (int i = 0; i < 16; ++i) {  // half and twice the 44.1 kHz lengths, give or take the truncation
        EXPECT_NEAR(at22[i / 8][i % 8], kSpread1At44k[i / 8][i % 8] / 2.0, 1.0) << i;
        EXPECT_NEAR(at88[i / 8][i % 8], kSpread1At44k[i / 8][i % 8] * 2.0, 2.0) << i;
    }
    constexpr Lengths kZero = {};
    for (float rate : {0.0f, -44100.0f, NAN, INFINITY}) ExpectLengths(1.0f, rate, kZero);
    Lengths l;
    ChooseDiffuserLengths(0.0f, 1000.0f, l);  // 2203 half-microseconds is one sample; the allpass
    EXPECT_TRUE(l[0][0] == 1 && l[1][7] == 0);  // makes the 0 one sample too
    ChooseDiffuserLengths(1.0f, 1e12f, l);  // absurd: saturates instead of overflowing
    EXPECT_TRUE(std::all_of(&l[0][0], &l[0][0] + 16, [](int n) { return n == kMaxDiffuserLength; }));
}

TEST(DiffuserLengths, MaxBoundsEverySpreadIsReachedAndCoversBadIndices) {
    for (float rate : {22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f}) {
        Lengths bound, previous = {};
        bool reached[2][8] = {};
        for (int i = 0; i < 16; ++i) bound[i / 8][i % 8] = MaxDiffuserLength(i / 8, i % 8, rate);
        for (int step = 0; step <= 2048; ++step) {
            Lengths l;
            ChooseDiffuserLengths(step / 2048.0f, rate, l);
            for (int b = 0; b < 2; ++b)
                for (int k = 0; k < 8; ++k) {
                    ASSERT_TRUE(l[b][k] <= bound[b][k] && l[b][k] >= previous[b][k]) << rate << " " << step;
                    previous[b][k] = l[b][k];
                    reached[b][k] = reached[b][k] || l[b][k] == bound[b][k];
                }
        }
        EXPECT_TRUE(std::all_of(&reached[0][0], &reached[0][0] + 16, [](bool r) { return r; })) << "not tight: " << rate;
        const int largest = *std::max_element(&bound[0][0], &bound[0][0] + 16);  // bounds a bad index
        const int bad[][2] = {{2, 0}, {0, -1}, {-1, 8}};
        for (const auto& [b, k] : bad) EXPECT_EQ(MaxDiffuserLength(b, k, rate), largest) << b << "/" << k;
    }
    EXPECT_EQ(MaxDiffuserLength(0, 0, 44100.0f), 13278);
    EXPECT_EQ(MaxDiffuserLength(1, 7, 44100.0f), 623);
}
