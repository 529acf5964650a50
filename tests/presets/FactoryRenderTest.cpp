// The factory programs played through the engine: every one gives finite, bounded sound, and
// several are heard to do what their names promise (direction of shift, width, lateness).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "EngineHarness.h"
#include "presets/FactoryPresets.h"

using namespace mhtest;

namespace {

constexpr float kRate = 44100.0f;
constexpr int kSecond = 44100;
constexpr int kHalfSecond = kSecond / 2;  // longer than any delay plus its wobble

// What one program sounds like, measured once for all tests.
struct Heard {
    bool finite = true;
    double peak = 0.0;        // voice in, either channel
    double quietestRms = 0.0;  // voice in, the quieter channel
    double width = 0.0;       // voice in: rms(L - R) / rms(L + R)
    double pitchHz = 0.0;     // 440 Hz tone in: zero-crossing rate of L + R
    double lateness = 0.0;    // click in, dry muted: energy-weighted mean time of the crowd, s
};

// A sung vowel, roughly: a 150 Hz tone with falling harmonics, peak about 0.68.
std::vector<float> Voice(int frames) {
    std::vector<float> v(frames, 0.0f);
    for (int h = 1; h <= 8; ++h)
        for (int i = 0; i < frames; ++i)
            v[i] += 0.25f / h * static_cast<float>(std::sin(2.0 * M_PI * 150.0 * h * i / kRate));
    return v;
}

std::vector<float> Silence(int frames) { return std::vector<float>(frames, 0.0f); }

// A fresh engine playing `program` steadily: the program change has faded out and in again, and
// every person has taken up its delay. Fresh, because the diffuser rings on long after a sound.
std::unique_ptr<MurmurhallPlug> Playing(int program, bool dry = true) {
    auto engine = MakeEngine(kRate);
    engine->setProgram(program);
    if (!dry) engine->setParameter(kParDry, 0.0f);
    Render(*engine, Silence(kHalfSecond));
    return engine;
}

Heard Listen(int program) {
    Heard heard;
    const Stereo voice = Render(*Playing(program), Voice(kSecond));
    heard.finite = AllFinite(voice.left) && AllFinite(voice.right);
    heard.peak = std::max(MaxAbs(voice.left, 0, kSecond), MaxAbs(voice.right, 0, kSecond));
    heard.quietestRms = std::min(Rms(voice.left, 0, kSecond), Rms(voice.right, 0, kSecond));
    double side = 0.0, mid = 0.0;
    for (int i = 0; i < kSecond; ++i) {
        side += std::pow(static_cast<double>(voice.left[i]) - voice.right[i], 2.0);
        mid += std::pow(static_cast<double>(voice.left[i]) + voice.right[i], 2.0);
    }
    heard.width = std::sqrt(side / mid);

    // Counted once every delay has filled with the tone.
    const Stereo tone = Render(*Playing(program), Sine(440.0, kRate, kSecond));
    int crossings = 0;
    for (int i = kHalfSecond + 1; i < kSecond; ++i)
        crossings += ((tone.left[i - 1] + tone.right[i - 1]) < 0.0f) != ((tone.left[i] + tone.right[i]) < 0.0f);
    heard.pitchHz = crossings * 0.5 * kRate / (kSecond - kHalfSecond - 1);
    heard.finite = heard.finite && AllFinite(tone.left) && AllFinite(tone.right);

    const Stereo click = Render(*Playing(program, false), Impulse(kSecond));
    double energy = 0.0, moment = 0.0;
    for (int i = 0; i < kSecond; ++i) {
        const double e =
            static_cast<double>(click.left[i]) * click.left[i] + static_cast<double>(click.right[i]) * click.right[i];
        energy += e;
        moment += e * i / kRate;
    }
    heard.lateness = energy > 0.0 ? moment / energy : 0.0;
    heard.finite = heard.finite && AllFinite(click.left) && AllFinite(click.right);
    return heard;
}

class FactoryRender : public testing::Test {
protected:
    static void SetUpTestSuite() {
        names_ = new std::array<std::string, kNumPrograms>();
        heard_ = new std::array<Heard, kNumPrograms>();
        auto engine = MakeEngine(kRate);
        for (int n = 0; n < kNumPrograms; ++n) {
            (*names_)[n] = engine->bank.programs[n].name;
            (*heard_)[n] = Listen(n);
        }
    }
    static void TearDownTestSuite() {
        delete names_;
        delete heard_;
    }

    static const Heard& Of(const char* name) {
        for (int n = 0; n < kNumPrograms; ++n)
            if ((*names_)[n] == name) return (*heard_)[n];
        ADD_FAILURE() << "no program named " << name;
        return (*heard_)[0];
    }

    static std::array<std::string, kNumPrograms>* names_;
    static std::array<Heard, kNumPrograms>* heard_;
};

std::array<std::string, kNumPrograms>* FactoryRender::names_ = nullptr;
std::array<Heard, kNumPrograms>* FactoryRender::heard_ = nullptr;

TEST_F(FactoryRender, EveryProgramSoundsFiniteBoundedAndAudible) {
    for (int n = 0; n < kNumPrograms; ++n) {
        SCOPED_TRACE((*names_)[n]);
        const Heard& h = (*heard_)[n];
        EXPECT_TRUE(h.finite);
        EXPECT_LT(h.peak, 4.0);  // a voice peaking at 0.68 never comes out as a blast
        EXPECT_GT(h.quietestRms, 0.05);
    }
}

TEST_F(FactoryRender, ShiftsAreHeardInTheirDirection) {
    // A 440 Hz tone through crowds with no dry signal mixed in.
    EXPECT_LT(Of("Decender").pitchHz, 330.0);
    EXPECT_LT(Of("Ocean Deep").pitchHz, 120.0);
    EXPECT_GT(Of("Spin up").pitchHz, 465.0);
    EXPECT_GT(Of("Up Lilt").pitchHz, 445.0);
    EXPECT_LT(Of("Up Lilt").pitchHz, Of("Spin up").pitchHz);
    EXPECT_GT(Of("Mouse Delirium").pitchHz, 800.0);
    EXPECT_GT(Of("Ghost Maker").pitchHz, 650.0);
    EXPECT_NEAR(Of("Choirish").pitchHz, 440.0, 10.0);
    EXPECT_NEAR(Of("Fat Pack").pitchHz, 440.0, 10.0);
}

TEST_F(FactoryRender, MonsterPanIsTheWidestStadiumWiderThanMonks) {
    for (int n = 0; n < kNumPrograms; ++n) {
        if ((*names_)[n] == "Monster Pan") continue;
        EXPECT_GT(Of("Monster Pan").width, (*heard_)[n].width + 0.1) << (*names_)[n];
    }
    EXPECT_GT(Of("Monster Pan").width, 0.9);
    EXPECT_GT(Of("3 Stadium Chant").width, Of("1 Many Monks").width + 0.2);
}

TEST_F(FactoryRender, CrowdsArriveAsLateAsTheirNamesSay) {
    // Lateness also holds the diffuser's ring, so compare programs rather than delay tables.
    EXPECT_LT(Of("Fat Pack").lateness, 0.03);
    EXPECT_LT(Of("Choirish").lateness, 0.1);
    EXPECT_LT(Of("1 Many Monks").lateness, 0.25);
    EXPECT_GT(Of("3 Stadium Chant").lateness, 2.0 * Of("1 Many Monks").lateness);
    EXPECT_GT(Of("Lost in the Wash").lateness, 0.4);
    EXPECT_GT(Of("Ocean Deep").lateness, 0.4);
}

}  // namespace
