// Audio through the binary interface: channel counts from the buffer pointers, finite output, and
// buffers a host should never pass.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "TestHost.h"
#include "shell/EffectVST.h"

namespace {

constexpr int kFrames = 512;
constexpr float kSentinel = 7.0f;  // no rendered sample comes near it

class ShellAudio : public ::testing::Test {
protected:
    void SetUp() override {
        effect = host.Load();
        ASSERT_NE(effect, nullptr);
        for (auto* channel : {&inLeft, &inRight, &outLeft, &outRight}) channel->assign(kFrames, 0.0f);
        for (int i = 0; i < kFrames; ++i) {
            inLeft[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
            inRight[i] = 0.5f * std::sin(0.031f * static_cast<float>(i));
        }
        Fill(kSentinel);
    }
    void TearDown() override { TestHost::Unload(effect); }

    void Fill(float value) {
        outLeft.assign(kFrames, value);
        outRight.assign(kFrames, value);
    }
    static bool AllFiniteAndBounded(const std::vector<float>& samples, float bound) {
        for (float s : samples)
            if (!std::isfinite(s) || std::fabs(s) > bound) return false;
        return true;
    }
    static bool AllEqual(const std::vector<float>& samples, float value) {
        for (float s : samples)
            if (s != value) return false;
        return true;
    }

    TestHost host;
    AEffect* effect = nullptr;
    std::vector<float> inLeft, inRight, outLeft, outRight;
};

TEST(ShellChannels, CountsFollowTheSecondPointer) {
    float a[4], b[4];
    float* stereo[2] = {a, b};
    float* same[2] = {a, a};
    float* missing[2] = {a, nullptr};
    EXPECT_EQ(EffectVST::CountChannels(stereo), 2);
    EXPECT_EQ(EffectVST::CountChannels(same), 1);
    EXPECT_EQ(EffectVST::CountChannels(missing), 1);
    EXPECT_EQ(EffectVST::CountChannels(nullptr), 0);
}

TEST_F(ShellAudio, StereoBlocksRenderFiniteBoundedOutput) {
    float* inputs[2] = {inLeft.data(), inRight.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    for (int block = 0; block < 40; ++block) {
        effect->processReplacing(effect, inputs, outputs, kFrames);
        ASSERT_TRUE(AllFiniteAndBounded(outLeft, 4.0f)) << block;
        ASSERT_TRUE(AllFiniteAndBounded(outRight, 4.0f)) << block;
    }
    float energy = 0.0f;
    for (int i = 0; i < kFrames; ++i) energy += outLeft[i] * outLeft[i] + outRight[i] * outRight[i];
    EXPECT_GT(energy, 0.0f);  // the input is heard
}

TEST_F(ShellAudio, TheOldAccumulatingEntryOverwritesToo) {
    float* inputs[2] = {inLeft.data(), inRight.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    effect->process(effect, inputs, outputs, kFrames);
    EXPECT_TRUE(AllFiniteAndBounded(outLeft, 4.0f));  // nothing of the sentinel was added to
    EXPECT_TRUE(AllFiniteAndBounded(outRight, 4.0f));
}

TEST_F(ShellAudio, MonoHostsRenderWithSharedOrMissingSecondBuffers) {
    float* sharedInput[2] = {inLeft.data(), inLeft.data()};
    float* missingOutput[2] = {outLeft.data(), nullptr};
    for (int block = 0; block < 8; ++block) effect->processReplacing(effect, sharedInput, missingOutput, kFrames);
    EXPECT_TRUE(AllFiniteAndBounded(outLeft, 4.0f));
    EXPECT_TRUE(AllEqual(outRight, kSentinel));

    float* sharedOutput[2] = {outLeft.data(), outLeft.data()};
    float* missingInput[2] = {inLeft.data(), nullptr};
    effect->processReplacing(effect, missingInput, sharedOutput, kFrames);
    EXPECT_TRUE(AllFiniteAndBounded(outLeft, 4.0f));
}

TEST_F(ShellAudio, MissingInputsGiveSilenceOnEveryOutputThatExists) {
    float* outputs[2] = {outLeft.data(), outRight.data()};
    effect->processReplacing(effect, nullptr, outputs, kFrames);
    EXPECT_TRUE(AllEqual(outLeft, 0.0f));
    EXPECT_TRUE(AllEqual(outRight, 0.0f));

    Fill(kSentinel);
    float* noFirstInput[2] = {nullptr, inRight.data()};
    effect->process(effect, noFirstInput, outputs, kFrames);
    EXPECT_TRUE(AllEqual(outLeft, 0.0f));
    EXPECT_TRUE(AllEqual(outRight, 0.0f));

    Fill(kSentinel);
    float* inputs[2] = {inLeft.data(), inRight.data()};
    float* noFirstOutput[2] = {nullptr, outRight.data()};
    effect->processReplacing(effect, inputs, noFirstOutput, kFrames);
    EXPECT_TRUE(AllEqual(outRight, 0.0f));
}

TEST_F(ShellAudio, NoOutputsOrNoFramesTouchNothing) {
    float* inputs[2] = {inLeft.data(), inRight.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    effect->processReplacing(effect, inputs, nullptr, kFrames);
    effect->process(effect, inputs, nullptr, kFrames);
    float* none[2] = {nullptr, nullptr};
    effect->processReplacing(effect, inputs, none, kFrames);
    effect->processReplacing(effect, inputs, outputs, 0);
    effect->processReplacing(effect, inputs, outputs, -5);
    effect->processReplacing(effect, nullptr, outputs, -5);
    EXPECT_TRUE(AllEqual(outLeft, kSentinel));
    EXPECT_TRUE(AllEqual(outRight, kSentinel));
}

TEST_F(ShellAudio, DoublePrecisionIsNotOfferedAndDoesNothing) {
    EXPECT_EQ(effect->flags & effFlagsCanDoubleReplacing, 0);
    std::vector<double> in(kFrames, 0.25), out(kFrames, 7.0);
    double* inputs[2] = {in.data(), in.data()};
    double* outputs[2] = {out.data(), out.data()};
    effect->processDoubleReplacing(effect, inputs, outputs, kFrames);
    for (double s : out) ASSERT_EQ(s, 7.0);
}

TEST_F(ShellAudio, RendersAtOtherRatesAfterAResume) {
    float* inputs[2] = {inLeft.data(), inRight.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    for (float rate : {22050.0f, 96000.0f, 192000.0f, 44100.0f}) {
        TestHost::Dispatch(effect, effMainsChanged, 0, 0);
        TestHost::Dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
        TestHost::Dispatch(effect, effMainsChanged, 0, 1);
        for (int block = 0; block < 20; ++block) {
            effect->processReplacing(effect, inputs, outputs, kFrames);
            ASSERT_TRUE(AllFiniteAndBounded(outLeft, 4.0f)) << rate;
            ASSERT_TRUE(AllFiniteAndBounded(outRight, 4.0f)) << rate;
        }
    }
}

}  // namespace
