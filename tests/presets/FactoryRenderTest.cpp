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

// A voice through one program, measured once for all tests.
struct Heard {
    bool finite = true;
    double peak = 0.0;        // voice in, either channel
    double quietestRms = 0.0;  // voice in, the quieter channel
    double width = 0.0;       // voice in: rms(L - R) / rms(L + R)
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

    return heard;
}

// The tone heard through a crowd: zero-crossing rate of L + R, counted once every delay holds it.
double PitchHz(int program) {
    const Stereo tone = Render(*Playing(program), Sine(440.0, kRate, kSecond));
    EXPECT_TRUE(AllFinite(tone.left) && AllFinite(tone.right));
    int crossings = 0;
    for (int i = kHalfSecond + 1; i < kSecond; ++i)
        crossings += ((tone.left[i - 1] + tone.right[i - 1]) < 0.0f) != ((tone.left[i] + tone.right[i]) < 0.0f);
    return crossings * 0.5 * kRate / (kSecond - kHalfSecond - 1);
}

// A click through the crowd with the dry signal muted: energy-weighted mean time, in seconds.
double Lateness(int program) {
    const Stereo click = Render(*Playing(program, false), Impulse(kSecond));
    EXPECT_TRUE(AllFinite(click.left) && AllFinite(click.right));
    double energy = 0.0, moment = 0.0;
    for (int i = 0; i < kSecond; ++i) {
        const double e =
            static_cast<double>(click.left[i]) * click.left[i] + static_cast<double>(click.right[i]) * click.right[i];
        energy += e;
        moment += e * i / kRate;
    }
    return energy > 0.0 ? moment / energy : 0.0;
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

    static int Number(const char* name) {
        for (int n = 0; n < kNumPrograms; ++n)
            if ((*names_)[n] == name) return n;
        ADD_FAILURE() << "no program named " << name;
        return 0;
    }
    static const Heard& Of(const char* name) { return (*heard_)[Number(name)]; }
    static double PitchOf(const char* name) { return PitchHz(Number(name)); }
    static double LatenessOf(const char* name) { return Lateness(Number(name)); }

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
    EXPECT_LT(PitchOf("Decender"), 330.0);
    EXPECT_LT(PitchOf("Ocean Deep"), 120.0);
    EXPECT_GT(PitchOf("Spin up"), 465.0);
    EXPECT_GT(PitchOf("Up Lilt"), 445.0);
    EXPECT_LT(PitchOf("Up Lilt"), PitchOf("Spin up"));
    EXPECT_GT(PitchOf("Mouse Delirium"), 800.0);
    EXPECT_GT(PitchOf("Ghost Maker"), 650.0);
    EXPECT_NEAR(PitchOf("Choirish"), 440.0, 10.0);
    EXPECT_NEAR(PitchOf("Fat Pack"), 440.0, 10.0);
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
    EXPECT_LT(LatenessOf("Fat Pack"), 0.03);
    EXPECT_LT(LatenessOf("Choirish"), 0.1);
    EXPECT_LT(LatenessOf("1 Many Monks"), 0.25);
    EXPECT_GT(LatenessOf("3 Stadium Chant"), 2.0 * LatenessOf("1 Many Monks"));
    EXPECT_GT(LatenessOf("Lost in the Wash"), 0.4);
    EXPECT_GT(LatenessOf("Ocean Deep"), 0.4);
}

}  // namespace
