// `murmurhall-host render` against the fixture gain plug-in, whose output is known exactly:
// lengths, channels, formats, program and parameter choice, latency, failures and the summary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <regex>

#include "HostTestPaths.h"
#include "ScratchDir.h"
#include "TestAudio.h"
#include "ToolRunner.h"

namespace {

constexpr int kRate = 44100;
constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kWav24 = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
constexpr int kWavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

class HostRenderTest : public ::testing::Test {
protected:
    ToolResult Render(const std::string& in, const std::string& out, std::vector<std::string> options = {},
                      const std::string& plugin = FixturePlugin("fixture_gain")) {
        // No pre-roll: these tests read the exact call sequence the render itself makes.
        std::vector<std::string> args = {"render", in, out, "--plugin", plugin, "--preroll", "0"};
        args.insert(args.end(), options.begin(), options.end());
        return ToolRunner::Run(args, {"MH_FIXTURE_LOG=" + dir.Path("calls.log")});
    }
    std::string Log() const { return ReadText(dir.Path("calls.log")); }

    ScratchDir dir;
};

TEST_F(HostRenderTest, MonoInputBecomesStereoOnOneSharedInputBuffer) {
    const std::string in = dir.Path("mono.wav");
    TestAudio::WriteTone(in, 1, kRate, 3000, kWav16);
    const ToolResult result = Render(in, dir.Path("out.wav"));
    ASSERT_EQ(result.exitCode, 0) << result.err;

    const TestAudio source = TestAudio::Read(in);
    const TestAudio rendered = TestAudio::Read(dir.Path("out.wav"));
    EXPECT_EQ(rendered.info.format, kWav16);
    EXPECT_EQ(rendered.info.samplerate, kRate);
    ASSERT_EQ(rendered.Channels(), 2);
    ASSERT_EQ(rendered.Frames(), 3000u);
    for (size_t f = 0; f < 3000; ++f) {
        ASSERT_EQ(rendered.At(f, 0), source.At(f, 0)) << f;
        ASSERT_EQ(rendered.At(f, 1), source.At(f, 0)) << f;
    }
    EXPECT_TRUE(Contains(Log(), "first process frames=512 sameInput=1 level=4\n"));
}

TEST_F(HostRenderTest, StereoInputKeepsItsChannelsApart) {
    const std::string in = dir.Path("stereo.wav");
    TestAudio::WriteTone(in, 2, kRate, 2000, kWav24);
    const TestAudio source = TestAudio::Read(in);

    ASSERT_EQ(Render(in, dir.Path("straight.wav")).exitCode, 0);
    EXPECT_TRUE(Contains(Log(), "sameInput=0"));
    const TestAudio straight = TestAudio::Read(dir.Path("straight.wav"));
    EXPECT_EQ(straight.info.format, kWav24);
    ASSERT_EQ(straight.Frames(), 2000u);
    // Parameter 2 of the fixture exchanges left and right.
    ASSERT_EQ(Render(in, dir.Path("swapped.wav"), {"--set", "2=1"}).exitCode, 0);
    const TestAudio swapped = TestAudio::Read(dir.Path("swapped.wav"));
    ASSERT_EQ(swapped.Frames(), 2000u);
    for (size_t f = 0; f < 2000; ++f) {
        ASSERT_EQ(straight.At(f, 0), source.At(f, 0)) << f;
        ASSERT_EQ(straight.At(f, 1), source.At(f, 1)) << f;
        ASSERT_EQ(swapped.At(f, 0), source.At(f, 1)) << f;
        ASSERT_EQ(swapped.At(f, 1), source.At(f, 0)) << f;
    }
    EXPECT_GT(source.Peak(0, 2000, 1), 0.4f);
}

TEST_F(HostRenderTest, TailAddsSilenceAtTheInputRate) {
    const std::string in = dir.Path("short.wav");
    TestAudio::WriteTone(in, 1, 22050, 1000, kWav16);
    const ToolResult result = Render(in, dir.Path("out.wav"), {"--tail", "0.1"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const TestAudio rendered = TestAudio::Read(dir.Path("out.wav"));
    EXPECT_EQ(rendered.info.samplerate, 22050);
    ASSERT_EQ(rendered.Frames(), 1000u + 2205u);
    EXPECT_GT(rendered.Peak(0, 1000), 0.4f);
    EXPECT_EQ(rendered.Peak(1000), 0.0f);
    EXPECT_TRUE(Contains(Log(), "op 10 index 0 value 0 opt 22050\n"));
}

TEST_F(HostRenderTest, OutputFormatFollowsTheInputUnlessAsked) {
    const std::string floatIn = dir.Path("float.wav");
    TestAudio::WriteTone(floatIn, 2, kRate, 700, kWavFloat);
    ASSERT_EQ(Render(floatIn, dir.Path("f.wav")).exitCode, 0);
    EXPECT_EQ(TestAudio::Read(dir.Path("f.wav")).info.format, kWavFloat);
    ASSERT_EQ(Render(floatIn, dir.Path("16.wav"), {"--format", "16"}).exitCode, 0);
    EXPECT_EQ(TestAudio::Read(dir.Path("16.wav")).info.format, kWav16);
    ASSERT_EQ(Render(floatIn, dir.Path("24.wav"), {"--format=24"}).exitCode, 0);
    EXPECT_EQ(TestAudio::Read(dir.Path("24.wav")).info.format, kWav24);

    const std::string pcm16 = dir.Path("pcm16.wav");
    TestAudio::WriteTone(pcm16, 1, kRate, 700, kWav16);
    ASSERT_EQ(Render(pcm16, dir.Path("32f.wav"), {"--format", "32f"}).exitCode, 0);
    const TestAudio asFloat = TestAudio::Read(dir.Path("32f.wav"));
    EXPECT_EQ(asFloat.info.format, kWavFloat);
    EXPECT_EQ(asFloat.Frames(), 700u);
}

TEST_F(HostRenderTest, AiffAndFlacContainers) {
    const std::string in = dir.Path("in.wav");
    TestAudio::WriteTone(in, 2, kRate, 900, kWav24);
    ASSERT_EQ(Render(in, dir.Path("out.aiff")).exitCode, 0);
    EXPECT_EQ(TestAudio::Read(dir.Path("out.aiff")).info.format, SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    ASSERT_EQ(Render(in, dir.Path("out.flac"), {"--format", "16"}).exitCode, 0);
    const TestAudio flac = TestAudio::Read(dir.Path("out.flac"));
    EXPECT_EQ(flac.info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(flac.Frames(), 900u);
    const ToolResult refused = Render(in, dir.Path("float.flac"), {"--format", "32f"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(Contains(refused.err, "FLAC cannot hold 32-bit float"));
}

TEST_F(HostRenderTest, BlockSizeBoundsEveryProcessCall) {
    const std::string in = dir.Path("in.wav");
    TestAudio::WriteTone(in, 1, kRate, 1050, kWav16);
    ASSERT_EQ(Render(in, dir.Path("out.wav"), {"--block", "100"}).exitCode, 0);
    EXPECT_TRUE(Contains(Log(), "op 11 index 0 value 100 opt 0\n"));
    EXPECT_TRUE(Contains(Log(), "processed calls=11 frames=1050 largest=100\n"));
    EXPECT_EQ(TestAudio::Read(dir.Path("out.wav")).Frames(), 1050u);
}

TEST_F(HostRenderTest, RenderLifecycleIsBracketedByStartAndStop) {
    const std::string in = dir.Path("in.wav");
    TestAudio::WriteTone(in, 1, kRate, 600, kWav16);
    ASSERT_EQ(Render(in, dir.Path("out.wav"), {"--program", "1"}).exitCode, 0);
    std::vector<std::string> ops;
    for (const std::string& line : Lines(Log())) {
        if (line.rfind("op ", 0) == 0 && line.rfind("op 29 ", 0) != 0) ops.push_back(line.substr(0, line.find(" opt")));
    }
    const std::vector<std::string> expected = {
        "op 0 index 0 value 0",   "op 10 index 0 value 0", "op 11 index 0 value 512", "op 67 index 0 value 0",
        "op 2 index 0 value 1",   "op 68 index 0 value 0", "op 3 index 0 value 0",    "op 12 index 0 value 1",
        "op 71 index 0 value 0",  "op 72 index 0 value 0", "op 12 index 0 value 0",   "op 1 index 0 value 0"};
    EXPECT_EQ(ops, expected);
}

TEST_F(HostRenderTest, ProgramByNumberOrNameSetsTheGain) {
    const std::string in = dir.Path("in.wav");
    TestAudio::WriteTone(in, 1, kRate, 2000, kWavFloat, 0.8f);
    const struct {
        std::vector<std::string> options;
        float gain;
    } cases[] = {
        {{}, 1.0f},
        {{"--program", "1"}, 0.5f},
        {{"--program", "2 half level"}, 0.5f},
        {{"--program", "3 Stadium Chant"}, 0.25f},
        {{"--program", "Stadium Chant"}, 0.25f},
        // --set comes after the program, whatever the order on the command line.
        {{"--set", "0=0.75", "--program", "2"}, 0.75f},
    };
    for (const auto& c : cases) {
        const ToolResult result = Render(in, dir.Path("out.wav"), c.options);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const TestAudio rendered = TestAudio::Read(dir.Path("out.wav"));
        EXPECT_NEAR(rendered.Peak(), 0.8f * c.gain, 1e-4f) << (c.options.empty() ? "" : c.options.back());
    }
}

TEST_F(HostRenderTest, UnknownOrOutOfRangeProgramFailsWithoutOutput) {
    const std::string in = dir.Path("in.wav");
    TestAudio::WriteTone(in, 1, kRate, 500, kWav16);
    const ToolResult unknown = Render(in, dir.Path("out.wav"), {"--program", "Many Monks"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(Contains(unknown.err, "no program named 'Many Monks'"));
    EXPECT_TRUE(Contains(unknown.err, "2  3 Stadium Chant"));
    const ToolResult range = Render(in, dir.Path("out.wav"), {"--program", "3"});
    EXPECT_EQ(range.exitCode, 2);
    EXPECT_TRUE(Contains(range.err, "out of range"));
    EXPECT_EQ(dir.Listing(), "calls.log\nin.wav\n");
}

TEST_F(HostRenderTest, SetRejectsIndicesThePluginDoesNotHave) {
    const std::string in = dir.Path("in.wav");
    TestAudio::WriteTone(in, 1, kRate, 500, kWav16);
    const ToolResult result = Render(in, dir.Path("out.wav"), {"--set", "3=0.5"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(Contains(result.err, "the plug-in has 3 parameters (0..2)"));
    EXPECT_EQ(dir.Listing(), "calls.log\nin.wav\n");
}

TEST_F(HostRenderTest, NonFiniteOutputIsSilencedCountedAndFlagged) {
    const std::string in = dir.Path("in.wav");
    TestAudio::WriteTone(in, 1, kRate, 1000, kWav16);
    const ToolResult result = Render(in, dir.Path("out.wav"), {"--set", "1=1"});
    EXPECT_EQ(result.exitCode, 3);
    // The fixture poisons left samples 0, 64, ..., 960: 16 of them.
    EXPECT_TRUE(Contains(result.out, ", 16 non-finite samples replaced by silence\n"));
    EXPECT_TRUE(Contains(result.err, "warning: the plug-in produced 16 NaN or infinite samples"));
    const TestAudio rendered = TestAudio::Read(dir.Path("out.wav"));
    ASSERT_EQ(rendered.Frames(), 1000u);
    for (size_t f = 0; f < 1000; ++f) {
        ASSERT_TRUE(std::isfinite(rendered.At(f, 0)));
        if (f % 64 == 0) {
            EXPECT_EQ(rendered.At(f, 0), 0.0f) << f;
        }
    }
    EXPECT_GT(rendered.Peak(0, 1000, 0), 0.4f);
}

TEST_F(HostRenderTest, FullScaleSamplesAreCountedAndIntegerOutputClipsInsteadOfWrapping) {
    const std::string in = dir.Path("hot.wav");
    std::vector<float> samples(400, 0.25f);
    samples[10] = 1.5f;
    samples[20] = -1.0f;
    samples[30] = 0.9999f;
    TestAudio::Write(in, 1, kRate, kWavFloat, samples);

    const ToolResult asFloat = Render(in, dir.Path("float.wav"));
    ASSERT_EQ(asFloat.exitCode, 0) << asFloat.err;
    // Two samples per frame (stereo out), two frames at or over full scale; 1.5 is +3.52 dBFS.
    EXPECT_TRUE(Contains(asFloat.out, "peak 3.52 dBFS, 4 samples at or over full scale"));
    EXPECT_EQ(TestAudio::Read(dir.Path("float.wav")).At(10, 0), 1.5f);

    const ToolResult as16 = Render(in, dir.Path("16.wav"), {"--format", "16"});
    ASSERT_EQ(as16.exitCode, 0) << as16.err;
    const TestAudio clipped = TestAudio::Read(dir.Path("16.wav"));
    EXPECT_GT(clipped.At(10, 0), 0.999f);
    EXPECT_LE(clipped.At(10, 0), 1.0f);
    EXPECT_EQ(clipped.At(20, 1), -1.0f);
}

TEST_F(HostRenderTest, LatencyIsCompensated) {
    const std::string in = dir.Path("in.wav");
    TestAudio::WriteTone(in, 2, kRate, 1500, kWavFloat);
    const ToolResult result = Render(in, dir.Path("out.wav"), {"--block", "64"}, FixturePlugin("fixture_latency"));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const TestAudio source = TestAudio::Read(in);
    const TestAudio rendered = TestAudio::Read(dir.Path("out.wav"));
    ASSERT_EQ(rendered.Frames(), 1500u);
    for (size_t f = 0; f < 1500; ++f) {
        ASSERT_EQ(rendered.At(f, 0), source.At(f, 0)) << f;
        ASSERT_EQ(rendered.At(f, 1), source.At(f, 1)) << f;
    }
    EXPECT_TRUE(Contains(Log(), "processed calls=25 frames=1600 largest=64\n"));
}

TEST_F(HostRenderTest, EmptyInputGivesOnlyTheTail) {
    const std::string in = dir.Path("empty.wav");
    TestAudio::Write(in, 1, kRate, kWav16, {});
    ASSERT_EQ(Render(in, dir.Path("none.wav")).exitCode, 0);
    const TestAudio none = TestAudio::Read(dir.Path("none.wav"));
    EXPECT_EQ(none.info.channels, 2);
    EXPECT_EQ(none.Frames(), 0u);
    ASSERT_EQ(Render(in, dir.Path("tail.wav"), {"--tail", "0.01"}).exitCode, 0);
    EXPECT_EQ(TestAudio::Read(dir.Path("tail.wav")).Frames(), 441u);
}

TEST_F(HostRenderTest, SummaryLineAndQuiet) {
    const std::string in = dir.Path("in.wav");
    TestAudio::WriteTone(in, 1, kRate, 4410, kWav16, 0.5f);
    const ToolResult result = Render(in, dir.Path("out.wav"));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::regex summary(
        R"(rendered 0\.100 s \(4410 frames, 2 channels, 44100 Hz\): peak -6\.0[0-9] dBFS, 0 samples at or over full scale, real-time factor [0-9]+\.[0-9]{4}
)");
    EXPECT_TRUE(std::regex_match(result.out, summary)) << result.out;

    const ToolResult quiet = Render(in, dir.Path("quiet.wav"), {"--quiet"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "");

    const ToolResult silent = Render(in, dir.Path("silent.wav"), {"--set", "0=0"});
    EXPECT_TRUE(Contains(silent.out, "peak -inf dBFS")) << silent.out;
}

TEST_F(HostRenderTest, BadInputsFailAndLeaveNoFile) {
    const std::string good = dir.Path("good.wav");
    TestAudio::WriteTone(good, 1, kRate, 500, kWav16);
    const std::string text = dir.Path("text.wav");
    std::ofstream(text) << "not audio at all\n";
    const std::string surround = dir.Path("surround.wav");
    TestAudio::WriteTone(surround, 3, kRate, 100, kWav16);
    const std::string slow = dir.Path("slow.wav");
    TestAudio::WriteTone(slow, 1, 500, 100, kWav16);
    const std::string out = dir.Path("out.wav");
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"render", slow, out}, 1, "rates from 1000 to 768000 Hz"},
        {{"render", dir.Path("missing.wav"), out}, 1, "No such file"},
        {{"render", text, out}, 1, "cannot read input"},
        {{"render", surround, out}, 1, "has 3 channels"},
        {{"render", good, out, "--rate", "48000"}, 2, "does not resample"},
        {{"render", good, dir.Path("no/such/folder/out.wav")}, 1, "cannot create a file"},
        {{"render", good, good}, 2, "is the input file"},
        {{"render", good, dir.Path("out.mp3")}, 2, "unknown file type"},
        {{"render", good, out, "--plugin", dir.Path("nothing.so")}, 1, "cannot open plug-in"},
        {{"render", good, out, "--plugin", FixturePlugin("fixture_null_entry")}, 1, "returned no effect"},
        {{"render", good, out, "--preset", dir.Path("missing.fxp")}, 1, "preset"},
        {{"render", good, dir.Root()}, 2, "is a folder"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        if (std::find(args.begin(), args.end(), "--plugin") == args.end()) {
            args.insert(args.end(), {"--plugin", FixturePlugin("fixture_gain")});
        }
        const ToolResult result = ToolRunner::Run(args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.message << ": " << result.err;
        EXPECT_TRUE(Contains(result.err, c.message)) << result.err;
        EXPECT_EQ(result.out, "") << c.message;
        EXPECT_EQ(dir.Listing(), "good.wav\nslow.wav\nsurround.wav\ntext.wav\n") << c.message;
    }
    // The input survived the attempt to overwrite it.
    EXPECT_EQ(TestAudio::Read(good).Frames(), 500u);
}

TEST_F(HostRenderTest, FailedRenderKeepsAnOlderOutputUntouched) {
    const std::string in = dir.Path("in.wav");
    TestAudio::WriteTone(in, 1, kRate, 500, kWav16);
    const std::string out = dir.Path("out.wav");
    std::ofstream(out) << "previous result";
    EXPECT_NE(Render(in, out, {"--set", "9=0.5"}).exitCode, 0);
    EXPECT_EQ(ReadText(out), "previous result");
    ASSERT_EQ(Render(in, out).exitCode, 0);
    EXPECT_EQ(TestAudio::Read(out).Frames(), 500u);
    EXPECT_EQ(dir.Listing(), "calls.log\nin.wav\nout.wav\n");
}

}  // namespace
