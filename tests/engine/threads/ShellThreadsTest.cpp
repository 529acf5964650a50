// The shell under concurrent use: one thread renders while another changes parameters, programs
// and chunks, as a host's automation and its audio thread do. Run under ThreadSanitizer too.
#include <gtest/gtest.h>

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

VstIntPtr Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

// Deterministic values in 0..1 for the control thread; rand() is not for threads.
class Values {
public:
    explicit Values(uint32_t seed) : state(seed) {}
    float Next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f;
    }
    int Below(int n) { return static_cast<int>(Next() * static_cast<float>(n)) % n; }

private:
    uint32_t state;
};

struct RenderResult {
    std::atomic<int> blocks{0};
    std::atomic<int> badSamples{0};
    std::atomic<float> peak{0.0f};
};

void Render(AEffect* effect, const std::atomic<bool>& stop, RenderResult& result) {
    std::vector<float> inLeft(kFrames), inRight(kFrames), outLeft(kFrames), outRight(kFrames);
    float* inputs[2] = {inLeft.data(), inRight.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    long long t = 0;
    float peak = 0.0f;
    while (!stop.load(std::memory_order_acquire)) {
        for (int i = 0; i < kFrames; ++i, ++t) {
            inLeft[i] = 0.5f * std::sin(0.0627f * static_cast<float>(t % 100000));
            inRight[i] = 0.5f * std::sin(0.0411f * static_cast<float>(t % 100000));
        }
        effect->processReplacing(effect, inputs, outputs, kFrames);
        for (int i = 0; i < kFrames; ++i) {
            for (float s : {outLeft[i], outRight[i]}) {
                if (!std::isfinite(s) || std::fabs(s) > kBound)
                    result.badSamples.fetch_add(1, std::memory_order_relaxed);
                else if (std::fabs(s) > peak)
                    peak = std::fabs(s);
            }
        }
        result.blocks.fetch_add(1, std::memory_order_release);
    }
    result.peak.store(peak, std::memory_order_relaxed);
}

TEST(ShellThreads, RenderingStaysFiniteWhileProgramsParametersAndChunksChange) {
    AEffect* effect = CreateMurmurhallEffect(QuietHost);
    ASSERT_NE(effect, nullptr);
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Dispatch(effect, effSetBlockSize, 0, kFrames);
    Dispatch(effect, effMainsChanged, 0, 1);

    std::atomic<bool> stop{false};
    RenderResult result;
    std::thread audio(Render, effect, std::cref(stop), std::ref(result));
    while (result.blocks.load(std::memory_order_acquire) == 0) std::this_thread::yield();

    Values values(12345);
    std::vector<unsigned char> program(2976), bank(71428);
    for (int round = 0; round < 60; ++round) {
        for (int i = 0; i < 40; ++i) effect->setParameter(effect, values.Below(736), values.Next());
        // The program actions: select, step down, step up, reload.
        effect->setParameter(effect, 8, values.Next());
        effect->setParameter(effect, 9 + values.Below(2), 0.0f);
        effect->setParameter(effect, 14, 0.0f);
        Dispatch(effect, effSetProgram, 0, values.Below(24));

        void* data = nullptr;
        if (round % 2 == 0) {
            ASSERT_EQ(Dispatch(effect, effGetChunk, 1, 0, &data), 2976);
            std::memcpy(program.data(), data, program.size());
            for (int i = 0; i < 20; ++i) {
                const float value = values.Next();
                std::memcpy(program.data() + 4 * values.Below(737), &value, 4);
            }
            EXPECT_EQ(Dispatch(effect, effSetChunk, 1, 2976, program.data()), 1);
        } else {
            ASSERT_EQ(Dispatch(effect, effGetChunk, 0, 0, &data), 71428);
            std::memcpy(bank.data(), data, bank.size());
            EXPECT_EQ(Dispatch(effect, effSetChunk, 0, 71428, bank.data()), 1);
        }
        for (int i = 0; i < 8; ++i) effect->getParameter(effect, values.Below(736));
    }
    // Let the last fade finish under rendering before stopping.
    const int target = result.blocks.load(std::memory_order_acquire) + 60;
    while (result.blocks.load(std::memory_order_acquire) < target) std::this_thread::yield();
    stop.store(true, std::memory_order_release);
    audio.join();

    EXPECT_EQ(result.badSamples.load(), 0);
    EXPECT_GT(result.blocks.load(), 60);
    EXPECT_GT(result.peak.load(), 0.0f);  // sound came through, not just silence
    EXPECT_EQ(Dispatch(effect, effClose), 1);
}

TEST(ShellThreads, TwoInstancesRenderWhileEachIsDrivenFromItsOwnThread) {
    AEffect* first = CreateMurmurhallEffect(QuietHost);
    AEffect* second = CreateMurmurhallEffect(QuietHost);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    for (AEffect* effect : {first, second}) Dispatch(effect, effMainsChanged, 0, 1);

    std::atomic<bool> stop{false};
    RenderResult firstResult, secondResult;
    std::thread firstAudio(Render, first, std::cref(stop), std::ref(firstResult));
    std::thread secondAudio(Render, second, std::cref(stop), std::ref(secondResult));
    auto drive = [](AEffect* effect, uint32_t seed) {
        Values values(seed);
        for (int round = 0; round < 20; ++round) {
            for (int i = 0; i < 30; ++i) effect->setParameter(effect, values.Below(736), values.Next());
            Dispatch(effect, effSetProgram, 0, values.Below(24));
        }
    };
    std::thread firstControl(drive, first, 1u);
    std::thread secondControl(drive, second, 2u);
    firstControl.join();
    secondControl.join();
    while (firstResult.blocks.load() < 20 || secondResult.blocks.load() < 20) std::this_thread::yield();
    stop.store(true, std::memory_order_release);
    firstAudio.join();
    secondAudio.join();

    EXPECT_EQ(firstResult.badSamples.load(), 0);
    EXPECT_EQ(secondResult.badSamples.load(), 0);
    EXPECT_EQ(Dispatch(first, effClose), 1);
    EXPECT_EQ(Dispatch(second, effClose), 1);
}

}  // namespace
