// The open window under concurrent use: a host automation thread writes parameters and switches
// programs, an audio thread renders, and the UI thread runs the window's idle and user changes.
// Run under ThreadSanitizer too: views must only ever be touched by the UI thread.
#include <atomic>
#include <cmath>
#include <thread>

#include "../EditorHarness.h"

using namespace edtest;

namespace {

// Deterministic values for a thread of its own (rand() is not for threads).
struct Values {
    uint32_t state;
    float Next() { return static_cast<float>((state = state * 1664525u + 1013904223u) >> 8) / 16777216.0f; }
    int Below(int n) { return static_cast<int>(Next() * static_cast<float>(n)) % n; }
};

using EditorThreadsTest = EditorTest;

TEST_F(EditorThreadsTest, AutomationAndAudioWhileTheWindowIdlesClosesAndOpens) {
    ASSERT_TRUE(Open());
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        constexpr int kFrames = 256;
        float in[kFrames], out[2][kFrames];
        for (int i = 0; i < kFrames; ++i) in[i] = 0.9f * std::sin(0.05f * static_cast<float>(i));
        float* inputs[2] = {in, in};
        float* outputs[2] = {out[0], out[1]};
        while (!stop.load(std::memory_order_acquire)) effect->processReplacing(effect, inputs, outputs, kFrames);
    });
    std::thread automation([&] {
        Values values{17};
        for (int i = 0; !stop.load(std::memory_order_acquire) || i < 3000; ++i)
            if (values.Below(50) == 0)
                SetProgram(values.Below(24));
            else
                Set(values.Below(kNumParams), values.Next());
    });
    Values user{5};
    for (int pass = 0; pass < 300; ++pass) {
        Advance(20);
        Idle();
        if (pass % 3 == 0) UserSets(Control(2), user.Next());
        if (pass % 7 == 0) UserSets(Control(17 + user.Below(8)), user.Next());
        if (pass % 11 == 0) Click(Control(741));
    }
    for (int i = 0; i < 10; ++i) {  // the window closed and opened again while the marks go on
        Close();
        Idle();
        ASSERT_TRUE(Open());
        Idle();
    }
    stop.store(true, std::memory_order_release);
    automation.join();
    audio.join();
    Idle();
    ExpectWindowShowsProgram();  // everything marked was applied
}

}  // namespace
