#include "engine/DiffuserLengths.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kSeed = 19.19191919191919;
constexpr int kWarmUpDraws = 112;
constexpr float kFeedforwardScale = 500.0f;   // random part, half-microseconds
constexpr float kBaseScale = 2000.0f;         // spread-scaled part, half-microseconds
constexpr float kHalfMicrosecond = 5.0000006e-7f;

// Fractional part with the truncation done as a 32-bit integer, as the sequence was defined;
// r*r stays below 400, so the conversion never overflows.
double Frac(double x) {
    return x - static_cast<double>(static_cast<int32_t>(x));
}

// Samples from half-microseconds. A bad rate gives 0 (the allpass makes that 1), and absurd rates
// saturate rather than overflow the integer conversion.
int ToSamples(int halfMicroseconds, float sampleRate) {
    if (!(sampleRate > 0.0f) || !std::isfinite(sampleRate)) return 0;
    const float samples = static_cast<float>(halfMicroseconds) * (kHalfMicrosecond * sampleRate);
    if (!(samples < static_cast<float>(kMaxDiffuserLength))) return kMaxDiffuserLength;
    return static_cast<int>(samples);
}

}  // namespace

int NextPrime(int n) {
    if (n < 4) return n;  // no candidate divisor at all (and keeps sqrt away from negatives)
    const int limit = static_cast<int>(std::sqrt(static_cast<float>(n)));
    // INT_MAX is prime and limit never exceeds its root, so the search stops before overflowing.
    for (;;) {
        bool divisible = false;
        for (int d = 2; d <= limit; ++d) {
            if (n % d == 0) {
                divisible = true;
                break;
            }
        }
        if (!divisible) return n;
        ++n;
    }
}

void ChooseDiffuserLengths(float spread, float sampleRate, int lengths[2][8]) {
    if (!(spread >= 0.0f)) spread = 0.0f;  // NaN too
    if (spread > 1.0f) spread = 1.0f;
    const float stretch = spread * spread * 300.0f + 1.0f;

    double r = kSeed;
    for (int i = 0; i < kWarmUpDraws; ++i) r = 19.0 + Frac(r * r);

    for (int bank = 0; bank < 2; ++bank) {
        for (int k = 0; k < 8; ++k) {
            const float base = std::pow(33.0f, -static_cast<float>(k) / 8.0f);
            const double u = Frac(r * r);
            r = 19.0 + u;
            const float m = static_cast<float>(u) * kFeedforwardScale + base * kBaseScale * stretch;
            lengths[bank][k] = ToSamples(NextPrime(static_cast<int>(m)), sampleRate);
        }
    }
}

// Every step from spread to length is monotone: the stretch grows with spread, the draws do not
// depend on it, float rounding keeps order, and NextPrime(a) <= NextPrime(b) for a <= b (b's
// result has no divisor up to b's limit, which is at least a's). So spread 1 gives the maximum.
int MaxDiffuserLength(int bank, int stage, float sampleRate) {
    int lengths[2][8];
    ChooseDiffuserLengths(1.0f, sampleRate, lengths);
    if (bank >= 0 && bank < 2 && stage >= 0 && stage < 8) return lengths[bank][stage];
    int largest = 0;  // a bad index still gets a bound that holds for every stage
    for (const auto& row : lengths)
        for (int length : row)
            if (length > largest) largest = length;
    return largest;
}
