// The shell under concurrent use: one thread renders while another changes parameters, programs
// and chunks, as a host's automation and its audio thread do. Run under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "shell/EffectVST.h"

namespace {

constexpr int kFrames = 256;
constexpr float kBound = 16.0f;  // far above any crowd of these inputs; a blow-up passes it at once

VstIntPtr QuietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

VstIntPtr Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
    return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
}

// Deterministic values in 0..1 for a control thread (rand() is not for threads); Below(n): 0..n-1.
struct Values {
    uint32_t state;
    float Next() { return static_cast<float>((state = state * 1664525u + 1013904223u) >> 8) / 16777216.0f; }
    int Below(int n) { return static_cast<int>(Next() * static_cast<float>(n)) % n; }
};

// An audio thread for one instance: renders until stopped, counting blocks and insane samples.
struct AudioThread {
    explicit AudioThread(AEffect* effect) : thread([this, effect] { Run(effect); }) {}
    void Run(AEffect* effect) {
        float in[2][kFrames], out[2][kFrames];
        for (int i = 0; i < kFrames; ++i) {
            in[0][i] = 0.5f * std::sin(0.0627f * static_cast<float>(i));
            in[1][i] = 0.5f * std::sin(0.0411f * static_cast<float>(i));
        }
        float* inputs[2] = {in[0], in[1]};
        float* outputs[2] = {out[0], out[1]};
        while (!stop.load(std::memory_order_acquire)) {
            effect->processReplacing(effect, inputs, outputs, kFrames);
            for (const auto& channel : out)
                for (float s : channel) {
                    if (!std::isfinite(s) || std::fabs(s) > kBound) ++badSamples;
                    peak = std::max(peak, std::fabs(s));
                }
            blocks.fetch_add(1, std::memory_order_release);
        }
    }
    // Lets it render some more blocks, then stops it.
    void StopAfter(int moreBlocks) {
        const int target = blocks.load(std::memory_order_acquire) + moreBlocks;
        while (blocks.load(std::memory_order_acquire) < target) std::this_thread::yield();
        stop.store(true, std::memory_order_release);
        thread.join();
    }

    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    int badSamples = 0;  // read after the join only
    float peak = 0.0f;
    std::thread thread;  // last, so that it starts after everything it uses
};

// Each instance has its own audio thread and its own control thread, which changes parameters,
// runs the program actions, switches programs and reads and writes program and bank chunks.
TEST(ShellThreads, RenderingStaysFiniteWhileProgramsParametersAndChunksChange) {
    AEffect* effects[2] = {CreateMurmurhallEffect(QuietHost), CreateMurmurhallEffect(QuietHost)};
    ASSERT_TRUE(effects[0] != nullptr && effects[1] != nullptr);
    for (AEffect* effect : effects) {
        Dispatch(effect, effSetBlockSize, 0, kFrames);
        Dispatch(effect, effMainsChanged, 0, 1);
    }
    AudioThread audio[2] = {AudioThread(effects[0]), AudioThread(effects[1])};
    auto control = [](AEffect* effect, Values values) {
        std::vector<unsigned char> chunks[2] = {std::vector<unsigned char>(71428), std::vector<unsigned char>(2976)};
        for (int round = 0; round < 60; ++round) {
            for (int i = 0; i < 40; ++i) effect->setParameter(effect, values.Below(736), values.Next());
            effect->setParameter(effect, 8, values.Next());  // select, step, reload
            effect->setParameter(effect, 9 + values.Below(2), 0.0f);
            effect->setParameter(effect, 14, 0.0f);
            Dispatch(effect, effSetProgram, 0, values.Below(24));
            std::vector<unsigned char>& chunk = chunks[round % 2];  // banks and programs by turns
            void* data = nullptr;
            EXPECT_EQ(Dispatch(effect, effGetChunk, round % 2, 0, &data), static_cast<VstIntPtr>(chunk.size()));
            std::memcpy(chunk.data(), data, chunk.size());
            for (int i = 0; round % 2 == 1 && i < 20; ++i) {
                const float value = values.Next();
                std::memcpy(chunk.data() + 4 * values.Below(737), &value, 4);
            }
            EXPECT_EQ(Dispatch(effect, effSetChunk, round % 2, static_cast<VstIntPtr>(chunk.size()), chunk.data()), 1);
            for (int i = 0; i < 8; ++i) effect->getParameter(effect, values.Below(736));
        }
    };
    std::thread controls[2] = {std::thread(control, effects[0], Values{1}),
                               std::thread(control, effects[1], Values{2})};
    for (int n = 0; n < 2; ++n) {
        controls[n].join();
        audio[n].StopAfter(60);  // the last fade finishes under rendering
        EXPECT_EQ(audio[n].badSamples, 0) << n;
        EXPECT_GT(audio[n].peak, 0.0f) << n;  // sound came through, not just silence
        EXPECT_EQ(Dispatch(effects[n], effClose), 1);
    }
}

}  // namespace
