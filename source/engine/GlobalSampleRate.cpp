#include "engine/GlobalSampleRate.h"

// Constant-initialised, so every engine built from another static initialiser already sees 44.1 kHz.
std::atomic<float> fGlobalSampleRate{44100.0f};
std::atomic<float> fGlobalSampleRateOver{1.0f / 44100.0f};
std::atomic<int32_t> iGlobalSampleRate{44100};
