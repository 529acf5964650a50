// Every factory program played through the engine gives finite, bounded, audible sound.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineHarness.h"
#include "presets/FactoryPresets.h"

using namespace mhtest;

TEST(FactoryRender, EveryProgramSoundsFiniteBoundedAndAudibleOnBothChannels) {
    constexpr float kRate = 44100.0f;
    constexpr int kLead = 22050, kFrames = kLead + 44100;  // lead: longer than any delay and fade
    // After the lead, a sung vowel, roughly: 150 Hz with falling harmonics, peak about 0.68.
    std::vector<float> voice(kFrames, 0.0f);
    for (int h = 1; h <= 8; ++h)
        for (int i = kLead; i < kFrames; ++i)
            voice[i] += 0.25f / h * static_cast<float>(std::sin(2.0 * M_PI * 150.0 * h * i / kRate));
    for (int n = 0; n < kNumPrograms; ++n) {
        SCOPED_TRACE(n);
        // A fresh engine each time: the diffuser rings on long after a sound.
        auto engine = MakeEngine(kRate);
        engine->setProgram(n);
        const Stereo out = Render(*engine, voice);
        for (const std::vector<float>* channel : {&out.left, &out.right}) {
            EXPECT_TRUE(AllFinite(*channel));
            EXPECT_LT(MaxAbs(*channel, 0, kFrames), 4.0);  // never a blast
            EXPECT_GT(Rms(*channel, kLead, kFrames), 0.05);
        }
    }
}
