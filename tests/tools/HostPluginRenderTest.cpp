// `murmurhall-host render` through our own plug-in: the options must reach it and change what
// it renders, and .fxp presets must be checked before their chunk is handed over.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <fstream>

#include "FxpBuilder.h"
#include "HostTestPaths.h"
#include "ScratchDir.h"
#include "TestAudio.h"
#include "ToolRunner.h"

namespace {

constexpr int kRate = 44100;
constexpr size_t kFrames = 22050;  // half a second
// Program and parameter changes sit behind a 5000-sample fade out and in; the host's pre-roll
// lets them finish unheard, so a render is settled from its first frame.
constexpr size_t kSettled = 0;
constexpr int kPluginId = 0x5A756271;

// Global slots of a program record (float index = parameter index).
constexpr int kPopulation = 0;
constexpr int kWet = 2;
constexpr int kDry = 3;
constexpr size_t kProgramFloats = 737;  // 17 globals + 60 people x 12
constexpr size_t kProgramBytes = 2976;
constexpr size_t kOldProgramBytes = 2972;

class HostPluginRenderTest : public ::testing::Test {
protected:
    void SetUp() override { TestAudio::WriteTone(input, 1, kRate, kFrames, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0.5f, 220.0); }

    ToolResult Render(const std::string& out, std::vector<std::string> options = {}) {
        std::vector<std::string> args = {"render", input, out, "--plugin", RealPlugin()};
        args.insert(args.end(), options.begin(), options.end());
        return ToolRunner::Run(args);
    }

    // A program record image: every float zero except those given, then the name.
    static std::vector<uint8_t> ProgramRecord(size_t floats, const std::vector<std::pair<int, float>>& values,
                                              const char* name) {
        std::vector<float> record(floats, 0.0f);
        for (const auto& [index, value] : values) record[static_cast<size_t>(index)] = value;
        std::vector<uint8_t> bytes = FxpBuilder::FloatBytes(record);
        char field[28] = {};
        std::strncpy(field, name, sizeof field - 1);
        bytes.insert(bytes.end(), field, field + sizeof field);
        return bytes;
    }

    static float MaxDifference(const TestAudio& a, const TestAudio& b) {
        float worst = 0.0f;
        for (size_t i = 0; i < std::min(a.samples.size(), b.samples.size()); ++i) {
            worst = std::max(worst, std::fabs(a.samples[i] - b.samples[i]));
        }
        return worst;
    }

    ScratchDir dir;
    const std::string input = dir.Path("voice.wav");
};

TEST_F(HostPluginRenderTest, MonoInRendersStereoOfInputPlusTail) {
    const ToolResult result = Render(dir.Path("out.wav"), {"--tail", "0.25"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(Contains(result.out, "rendered 0.750 s (33075 frames, 2 channels, 44100 Hz)")) << result.out;
    const TestAudio rendered = TestAudio::Read(dir.Path("out.wav"));
    EXPECT_EQ(rendered.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(rendered.info.samplerate, kRate);
    ASSERT_EQ(rendered.Channels(), 2);
    ASSERT_EQ(rendered.Frames(), kFrames + 11025);
    EXPECT_GT(rendered.Peak(kSettled, kFrames, 0), 0.01f);
    EXPECT_GT(rendered.Peak(kSettled, kFrames, 1), 0.01f);
}

TEST_F(HostPluginRenderTest, StereoFloatInRendersStereoFloat) {
    const std::string stereo = dir.Path("stereo.wav");
    TestAudio::WriteTone(stereo, 2, 48000, 9600, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0.3f);
    const ToolResult result =
        ToolRunner::Run({"render", stereo, dir.Path("out.wav"), "--plugin", RealPlugin(), "--rate", "48000"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const TestAudio rendered = TestAudio::Read(dir.Path("out.wav"));
    EXPECT_EQ(rendered.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(rendered.info.samplerate, 48000);
    EXPECT_EQ(rendered.Channels(), 2);
    EXPECT_EQ(rendered.Frames(), 9600u);
    for (float x : rendered.samples) ASSERT_TRUE(std::isfinite(x));
}

TEST_F(HostPluginRenderTest, SetReachesThePlugin) {
    ASSERT_EQ(Render(dir.Path("plain.wav")).exitCode, 0);
    // Wet and dry gains 0: nothing is left.
    const ToolResult result = Render(dir.Path("muted.wav"), {"--set", "2=0", "--set", "3=0"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const TestAudio plain = TestAudio::Read(dir.Path("plain.wav"));
    const TestAudio muted = TestAudio::Read(dir.Path("muted.wav"));
    ASSERT_EQ(muted.Frames(), kFrames);
    EXPECT_GT(plain.Peak(kSettled), 0.01f);
    EXPECT_EQ(muted.Peak(kSettled), 0.0f);
    // Without the pre-roll the fade the program change started is still heard at the start.
    ASSERT_EQ(Render(dir.Path("raw.wav"), {"--set", "2=0", "--set", "3=0", "--preroll", "0"}).exitCode, 0);
    const TestAudio raw = TestAudio::Read(dir.Path("raw.wav"));
    EXPECT_GT(raw.Peak(0, 5000), 0.01f);
    EXPECT_EQ(raw.Peak(12000), 0.0f);
}

TEST_F(HostPluginRenderTest, ProgramChoiceChangesTheSound) {
    ASSERT_EQ(Render(dir.Path("p0.wav"), {"--program", "0"}).exitCode, 0);
    ASSERT_EQ(Render(dir.Path("named.wav"), {"--program", "Stadium Chant"}).exitCode, 0);
    ASSERT_EQ(Render(dir.Path("p2.wav"), {"--program", "2"}).exitCode, 0);
    const TestAudio p0 = TestAudio::Read(dir.Path("p0.wav"));
    const TestAudio named = TestAudio::Read(dir.Path("named.wav"));
    const TestAudio p2 = TestAudio::Read(dir.Path("p2.wav"));
    ASSERT_EQ(named.Frames(), kFrames);
    EXPECT_GT(MaxDifference(p0, named), 0.01f);
    // The plug-in renders deterministically, so the name and the number pick the same program.
    EXPECT_EQ(MaxDifference(p2, named), 0.0f);

    const ToolResult unknown = Render(dir.Path("x.wav"), {"--program", "Quiet Library"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(Contains(unknown.err, "0  1 Many Monks"));
    const ToolResult range = Render(dir.Path("x.wav"), {"--program", "24"});
    EXPECT_EQ(range.exitCode, 2);
    EXPECT_TRUE(Contains(range.err, "24 programs (0..23)"));
}

TEST_F(HostPluginRenderTest, ValidPresetFilesAreLoadedIntoTheProgram) {
    ASSERT_EQ(Render(dir.Path("plain.wav")).exitCode, 0);
    // A whole current record, and an older one (people count instead of fraction); both mute
    // the wet and dry paths.
    FxpBuilder current;
    current.pluginId = kPluginId;
    current.chunk = ProgramRecord(kProgramFloats, {{kPopulation, 0.5f}, {kWet, 0.0f}, {kDry, 0.0f}}, "Muted");
    ASSERT_EQ(current.chunk.size(), kProgramBytes);
    current.WriteTo(dir.Path("muted.fxp"));
    FxpBuilder old;
    old.pluginId = kPluginId;
    old.chunk = ProgramRecord(16 + 720, {{kPopulation, 30.0f}, {1, 15.0f}, {kWet, 0.0f}, {kDry, 0.0f}}, "Old");
    ASSERT_EQ(old.chunk.size(), kOldProgramBytes);
    old.WriteTo(dir.Path("old.fxp"));

    const TestAudio plain = TestAudio::Read(dir.Path("plain.wav"));
    EXPECT_GT(plain.Peak(kSettled), 0.01f);
    for (const char* preset : {"muted.fxp", "old.fxp"}) {
        const ToolResult result = Render(dir.Path("out.wav"), {"--preset", dir.Path(preset)});
        ASSERT_EQ(result.exitCode, 0) << preset << ": " << result.err;
        const TestAudio rendered = TestAudio::Read(dir.Path("out.wav"));
        ASSERT_EQ(rendered.Frames(), kFrames) << preset;
        EXPECT_EQ(rendered.Peak(kSettled), 0.0f) << preset;
    }
    // --set comes after the preset: dry gain back to 1.0 brings the input through.
    const ToolResult dry = Render(dir.Path("dry.wav"), {"--preset", dir.Path("muted.fxp"), "--set", "3=0.5"});
    ASSERT_EQ(dry.exitCode, 0) << dry.err;
    EXPECT_NEAR(TestAudio::Read(dir.Path("dry.wav")).Peak(kSettled), 0.5f, 0.01f);
}

TEST_F(HostPluginRenderTest, BadPresetFilesAreRefusedBeforeRendering) {
    const auto write = [this](const std::string& name, const FxpBuilder& builder) {
        builder.WriteTo(dir.Path(name));
        return dir.Path(name);
    };
    FxpBuilder good;
    good.pluginId = kPluginId;
    good.chunk = ProgramRecord(kProgramFloats, {{kPopulation, 0.5f}}, "Good");

    FxpBuilder wrongMagic = good;
    wrongMagic.chunkMagic = "RIFF";
    FxpBuilder wrongKind = good;
    wrongKind.kind = "FBCh";
    FxpBuilder wrongId = good;
    wrongId.pluginId = 0x46785473;
    FxpBuilder oddChunk = good;  // consistent header, but a size the plug-in does not take
    oddChunk.chunk.resize(kProgramBytes - 1);
    FxpBuilder lyingSize = good;
    lyingSize.chunkSizeAdjust = -4;

    std::vector<uint8_t> truncated = good.Bytes();
    truncated.resize(truncated.size() - 100);
    const std::string cut = dir.Path("cut.fxp");
    std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(truncated.data()),
                                               static_cast<std::streamsize>(truncated.size()));
    const std::string tiny = dir.Path("tiny.fxp");
    std::ofstream(tiny, std::ios::binary) << "CcnK";

    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {write("magic.fxp", wrongMagic), "does not start with \"CcnK\""},
        {write("bank.fxp", wrongKind), "bank file"},
        {write("other.fxp", wrongId), "written by plug-in 'FxTs'"},
        {write("odd.fxp", oddChunk), "does not take a program chunk of 2975 bytes"},
        {write("lying.fxp", lyingSize), "chunk of 2972 bytes, but 2976 bytes follow"},
        {cut, "cut short"},
        {tiny, "too short"},
    };
    for (const auto& c : cases) {
        const ToolResult result = Render(dir.Path("out.wav"), {"--preset", c.path});
        EXPECT_EQ(result.exitCode, 1) << c.path;
        EXPECT_TRUE(Contains(result.err, c.message)) << c.path << ": " << result.err;
        EXPECT_FALSE(Contains(dir.Listing(), "out.wav")) << c.path;
        EXPECT_FALSE(Contains(dir.Listing(), ".partial")) << c.path;
    }
}

}  // namespace

namespace {

TEST_F(HostPluginRenderTest, InterruptedRenderRemovesItsPartialFile) {
    // An hour of tail keeps the tool busy long enough to be stopped half way.
    const std::string out = dir.Path("long.wav");
    const auto partialExists = [this] { return Contains(dir.Listing(), ".long.wav.partial-"); };
    for (int signal : {SIGTERM, SIGINT}) {
        const ToolResult result = ToolRunner::RunAndSignal(
            {"render", input, out, "--plugin", RealPlugin(), "--tail", "3600"}, signal, partialExists);
        EXPECT_EQ(result.exitCode, 130) << result.err;
        EXPECT_TRUE(Contains(result.err, "interrupted; no output written")) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(dir.Listing(), "voice.wav\n");
    }
}

}  // namespace
