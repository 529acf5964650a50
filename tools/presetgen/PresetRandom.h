// A small deterministic generator (SplitMix64) so the factory tables come out the same on every
// machine and every run; rand() differs between C libraries.
#pragma once

#include <cstdint>

class PresetRandom {
public:
    explicit PresetRandom(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // 0 .. n-1 (n > 0).
    int Below(int n) { return static_cast<int>((static_cast<unsigned __int128>(Next()) * static_cast<uint64_t>(n)) >> 64); }

private:
    uint64_t state_;
};
