#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "engine/DiffuserLengths.h"

namespace {

using Lengths = int[2][8];

constexpr int kSpread0At44k[2][8] = {
    {48, 32, 27, 21, 8, 14, 11, 11},
    {48, 39, 26, 22, 9, 9, 6, 2},
};
constexpr int kSpread1At44k[2][8] = {
    {13278, 8578, 5547, 3586, 2311, 1502, 972, 632},
    {13278, 8585, 5546, 3587, 2312, 1496, 967, 623},
};

void ExpectLengths(const Lengths actual, const int (&expected)[2][8], const char* what) {
    for (int b = 0; b < 2; ++b)
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(actual[b][k], expected[b][k]) << what << " bank " << b << " stage " << k;
}

void ExpectSame(const Lengths a, const Lengths b, const char* what) {
    for (int bank = 0; bank < 2; ++bank)
        for (int k = 0; k < 8; ++k) EXPECT_EQ(a[bank][k], b[bank][k]) << what << " bank " << bank << " stage " << k;
}

}  // namespace

TEST(NextPrime, KnownSearches) {
    EXPECT_EQ(NextPrime(2187), 2203);
    EXPECT_EQ(NextPrime(3), 3);
    EXPECT_EQ(NextPrime(2203), 2203);  // a prime is its own answer
    EXPECT_EQ(NextPrime(4), 5);
    EXPECT_EQ(NextPrime(1480), 1481);
    EXPECT_EQ(NextPrime(600000), 600011);
}

TEST(NextPrime, LimitComesFromTheFirstValue) {
    // 8 has limit 2, so 9 (odd) is accepted although 3 divides it.
    EXPECT_EQ(NextPrime(8), 9);
    // 24 has limit 4: 25 passes 2, 3 and 4.
    EXPECT_EQ(NextPrime(24), 25);
    // 120 has limit 10: 121 = 11 * 11 passes, 11 being above the limit.
    EXPECT_EQ(NextPrime(120), 121);
}

TEST(NextPrime, SmallNegativeAndExtremeValues) {
    EXPECT_EQ(NextPrime(0), 0);
    EXPECT_EQ(NextPrime(1), 1);
    EXPECT_EQ(NextPrime(2), 2);
    EXPECT_EQ(NextPrime(-7), -7);
    EXPECT_EQ(NextPrime(INT_MIN), INT_MIN);
    EXPECT_EQ(NextPrime(INT_MAX - 1), INT_MAX);  // stops at the prime 2^31 - 1 instead of overflowing
    EXPECT_EQ(NextPrime(INT_MAX), INT_MAX);
}

TEST(DiffuserLengths, KnownLengthsAt44100) {
    Lengths l;
    ChooseDiffuserLengths(0.0f, 44100.0f, l);
    ExpectLengths(l, kSpread0At44k, "spread 0");
    ChooseDiffuserLengths(1.0f, 44100.0f, l);
    ExpectLengths(l, kSpread1At44k, "spread 1");
}

TEST(DiffuserLengths, ReseededOnEveryCall) {
    Lengths first, other, again;
    ChooseDiffuserLengths(0.37f, 44100.0f, first);
    ChooseDiffuserLengths(0.9f, 48000.0f, other);
    ChooseDiffuserLengths(0.37f, 44100.0f, again);
    ExpectSame(first, again, "after another call");
    ChooseDiffuserLengths(0.0f, 44100.0f, again);
    ExpectLengths(again, kSpread0At44k, "spread 0 after others");
}

TEST(DiffuserLengths, OutOfRangeSpreadIsClamped) {
    Lengths l;
    ChooseDiffuserLengths(std::nanf(""), 44100.0f, l);
    ExpectLengths(l, kSpread0At44k, "NaN");
    ChooseDiffuserLengths(-3.0f, 44100.0f, l);
    ExpectLengths(l, kSpread0At44k, "negative");
    ChooseDiffuserLengths(7.0f, 44100.0f, l);
    ExpectLengths(l, kSpread1At44k, "above 1");
    ChooseDiffuserLengths(INFINITY, 44100.0f, l);
    ExpectLengths(l, kSpread1At44k, "infinite");
}

TEST(DiffuserLengths, RateScalesThePrimes) {
    // Same primes, other rate: half the rate gives half the length, give or take the truncation.
    Lengths at44, at22, at88;
    ChooseDiffuserLengths(1.0f, 44100.0f, at44);
    ChooseDiffuserLengths(1.0f, 22050.0f, at22);
    ChooseDiffuserLengths(1.0f, 88200.0f, at88);
    for (int b = 0; b < 2; ++b)
        for (int k = 0; k < 8; ++k) {
            EXPECT_NEAR(at22[b][k], at44[b][k] / 2.0, 1.0) << b << "/" << k;
            EXPECT_NEAR(at88[b][k], at44[b][k] * 2.0, 2.0) << b << "/" << k;
        }
}

TEST(DiffuserLengths, BadRatesGiveSafeLengths) {
    Lengths l;
    for (float rate : {0.0f, -44100.0f, std::nanf(""), INFINITY}) {
        ChooseDiffuserLengths(1.0f, rate, l);
        for (int b = 0; b < 2; ++b)
            for (int k = 0; k < 8; ++k) EXPECT_EQ(l[b][k], 0) << "rate " << rate;
    }
    ChooseDiffuserLengths(0.0f, 1000.0f, l);  // very low rate: 2203 half-microseconds is one sample
    EXPECT_EQ(l[0][0], 1);
    EXPECT_EQ(l[1][7], 0);  // the allpass makes this one sample
    ChooseDiffuserLengths(1.0f, 1e12f, l);  // absurd: saturates instead of overflowing
    for (int b = 0; b < 2; ++b)
        for (int k = 0; k < 8; ++k) EXPECT_EQ(l[b][k], kMaxDiffuserLength);
}

TEST(DiffuserLengths, MaxBoundsEverySpreadAndIsReached) {
    constexpr int kSteps = 2048;
    for (float rate : {22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f}) {
        int bound[2][8];
        for (int b = 0; b < 2; ++b)
            for (int k = 0; k < 8; ++k) bound[b][k] = MaxDiffuserLength(b, k, rate);
        Lengths previous = {};
        bool reached[2][8] = {};
        for (int step = 0; step <= kSteps; ++step) {
            const float spread = static_cast<float>(step) / kSteps;
            Lengths l;
            ChooseDiffuserLengths(spread, rate, l);
            for (int b = 0; b < 2; ++b)
                for (int k = 0; k < 8; ++k) {
                    ASSERT_LE(l[b][k], bound[b][k]) << "rate " << rate << " spread " << spread;
                    ASSERT_GE(l[b][k], previous[b][k]) << "not monotone: rate " << rate << " spread " << spread;
                    previous[b][k] = l[b][k];
                    if (l[b][k] == bound[b][k]) reached[b][k] = true;
                }
        }
        for (int b = 0; b < 2; ++b)
            for (int k = 0; k < 8; ++k) EXPECT_TRUE(reached[b][k]) << "bound not tight: rate " << rate;
    }
    EXPECT_EQ(MaxDiffuserLength(0, 0, 44100.0f), 13278);
    EXPECT_EQ(MaxDiffuserLength(1, 7, 44100.0f), 623);
}

TEST(DiffuserLengths, MaxForABadIndexBoundsEveryStage) {
    for (float rate : {44100.0f, 192000.0f}) {
        int largest = 0;
        for (int b = 0; b < 2; ++b)
            for (int k = 0; k < 8; ++k) largest = std::max(largest, MaxDiffuserLength(b, k, rate));
        EXPECT_EQ(MaxDiffuserLength(2, 0, rate), largest);
        EXPECT_EQ(MaxDiffuserLength(0, -1, rate), largest);
        EXPECT_EQ(MaxDiffuserLength(-1, 8, rate), largest);
    }
}
