// The process-wide sample rate that every engine derives its coefficients from. Atomic because any
// instance's host thread may set it while another instance's audio thread derives.
#pragma once

#include <atomic>
#include <cstdint>

extern std::atomic<float> fGlobalSampleRate;      // Hz, 44100 until a host says otherwise
extern std::atomic<float> fGlobalSampleRateOver;  // 1 / fGlobalSampleRate
extern std::atomic<int32_t> iGlobalSampleRate;    // fGlobalSampleRate truncated

inline float GlobalSampleRate() { return fGlobalSampleRate.load(std::memory_order_relaxed); }
inline float GlobalSampleRateOver() { return fGlobalSampleRateOver.load(std::memory_order_relaxed); }
