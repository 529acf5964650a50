// How the diffuser picks its sixteen delay lengths: a fixed pseudo-random draw per stage, rounded
// up to a prime number of half-microseconds, then scaled to samples. Pure functions, no state, so
// the engine can compute lengths (and bounds on them) on any thread.
#pragma once

// Lengths saturate here, far above any real rate (spread 1 needs about 0.3 s of delay).
constexpr int kMaxDiffuserLength = 1 << 20;

// Any thread: the first integer from n upward with no divisor between 2 and trunc(sqrt(n)), the
// limit taken once from the value first passed (so n below 4 is returned as is).
int NextPrime(int n);

// Any thread: the delay lengths in samples of both banks (lengths[bank][stage]) for a spread in
// 0..1 at the given sample rate. Reseeds its generator on every call, so equal arguments give
// equal lengths. No allocation.
void ChooseDiffuserLengths(float spread, float sampleRate, int lengths[2][8]);

// Any thread: an upper bound of ChooseDiffuserLengths' length for that bank (0..1) and stage
// (0..7) over every spread in 0..1 at that sample rate; what an allpass must reserve.
int MaxDiffuserLength(int bank, int stage, float sampleRate);
