// `murmurhall-host render` against the fixture gain plug-in, whose output is known exactly:
// lengths, channels, formats, call sequence, programs, parameters, presets, latency, failures
// and the summary.
#include <regex>

#include "HostTestKit.h"

namespace {

using namespace hosttest;

constexpr int kRate = 44100;
constexpr int32_t kFixtureId = 0x46785473;  // 'FxTs'

class HostRenderTest : public ::testing::Test {
protected:
    // Renders in.wav into `out`; without pre-roll unless `options` ask for one, so the fresh call
    // log holds only the render's own calls.
    Result Render(const std::string& out, std::vector<std::string> options = {}, const char* plugin = "fixture_gain") {
        std::vector<std::string> args = {"render", dir.Path("in.wav"), dir.Path(out), "--plugin", Fixture(plugin)};
        args.insert(args.end(), options.begin(), options.end());
        if (std::find(args.begin(), args.end(), "--preroll") == args.end()) args.insert(args.end(), {"--preroll", "0"});
        std::remove(log.c_str());
        return RunHost(args, {"MH_FIXTURE_LOG=" + log});
    }

    Scratch dir;
    const std::string log = dir.Path("calls.log");
};

TEST_F(HostRenderTest, SamplesPassThroughWithTheirLengthRateChannelsAndFormat) {
    const struct {
        int channels, rate, frames, format;
        std::vector<std::string> options;
        size_t outFrames;
        std::string logged, out = "out.wav";
        int outFormat = 0;  // 0: as the input
        const char* plugin = "fixture_gain";
    } cases[] = {
        // A mono file is one buffer on both inputs, so the plug-in knows it is mono.
        {1, kRate, 3000, kWav16, {}, 3000, "processed calls=6 frames=3000 largest=512 sameInput=1"},
        {2, kRate, 2000, kWav24, {}, 2000, "processed calls=4 frames=2000 largest=512 sameInput=0"},
        {1, 22050, 1000, kWav16, {"--tail", "0.1"}, 3205, "op 10 0 0 22050\n"},
        {1, kRate, 1050, kWav16, {"--block", "100"}, 1050, "processed calls=11 frames=1050 largest=100"},
        {1, kRate, 0, kWav16, {}, 0, "processed calls=0 frames=0"},
        {1, kRate, 0, kWav16, {"--tail", "0.01"}, 441, "frames=441"},
        {2, kRate, 700, kWavFloat, {"--format", "16"}, 700, "", "b.wav", kWav16},
        {1, kRate, 700, kWav16, {"--format=32f"}, 700, "", "c.wav", kWavFloat},
        {2, kRate, 700, kWav24, {}, 700, "", "d.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
        {2, kRate, 700, kWav24, {"--format", "16"}, 700, "", "e.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        // 100 samples of latency are rendered on and dropped from the start.
        {2, kRate, 1500, kWavFloat, {"--block", "64"}, 1500, "calls=25 frames=1600", "f.wav", 0, "fixture_latency"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out + " " + c.logged);
        WriteAudio(dir.Path("in.wav"), c.channels, c.rate, c.format, c.frames);
        const Result result = Render(c.out, c.options, c.plugin);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_TRUE(Has(ReadText(log), c.logged));
        const Audio source(dir.Path("in.wav")), rendered(dir.Path(c.out));
        ASSERT_EQ(rendered.Shape(), std::make_tuple(c.outFormat != 0 ? c.outFormat : c.format, c.rate, 2, c.outFrames));
        for (int f = 0; f < c.frames; ++f) {
            ASSERT_NEAR(rendered.At(f, 0), source.At(f, 0), c.outFormat != 0 ? 1e-4 : 0.0) << f;
            ASSERT_NEAR(rendered.At(f, 1), source.At(f, c.channels - 1), c.outFormat != 0 ? 1e-4 : 0.0) << f;
        }
        EXPECT_EQ(rendered.Peak(c.frames), 0.0f);
    }
}

TEST_F(HostRenderTest, CallSequenceWithPreRollAndHostAnswers) {
    WriteAudio(dir.Path("in.wav"), 1, kRate, kWav16, 600);
    ASSERT_EQ(Render("out.wav", {"--program", "1", "--preroll", "0.01"}).exitCode, 0);
    // "op OPCODE INDEX VALUE OPT": open, rate, block size, the program names, the program change,
    // resume; the pre-roll (at the user level), suspend, resume; the render at the offline level,
    // suspend, close.
    EXPECT_EQ(ReadText(log), "entry version=2400\nop 0 0 0 0\nop 10 0 0 44100\nop 11 0 512 0\n"
        "op 29 0 0 0\nop 29 1 0 0\nop 29 2 0 0\nop 67 0 0 0\nop 2 0 1 0\nop 68 0 0 0\nop 3 0 0 0\nop 12 0 1 0\n"
        "op 71 0 0 0\nhost rate=44100 block=512 level=1\nop 72 0 0 0\n"
        "processed calls=1 frames=441 largest=441 sameInput=0\n"
        "op 12 0 0 0\nop 12 0 1 0\nop 71 0 0 0\nhost rate=44100 block=512 level=4\nop 72 0 0 0\n"
        "processed calls=2 frames=600 largest=512 sameInput=1\nop 12 0 0 0\nop 1 0 0 0\n");
}

TEST_F(HostRenderTest, ProgramsPresetsAndSetsChooseTheGain) {
    WriteAudio(dir.Path("in.wav"), 1, kRate, kWavFloat, 2000);
    const float params[2] = {0.5f, 0.0f};  // gain 0.5, no poison; the chunk holds them as in memory
    Bytes chunk = {'F', 'x', 'T', 's'};
    chunk.insert(chunk.end(), reinterpret_cast<const uint8_t*>(params), reinterpret_cast<const uint8_t*>(params + 2));
    WriteBytes(dir.Path("chunk.fxp"), FxpImage(kFixtureId, chunk));
    WriteBytes(dir.Path("list.fxp"), FxpImage(kFixtureId, {}, {0.25f, 0.0f}));
    const std::pair<std::vector<std::string>, float> cases[] = {
        {{}, 1.0f},
        {{"--program", "1"}, 0.5f},
        {{"--program", "2 half level"}, 0.5f},
        {{"--program", "Stadium Chant"}, 0.25f},
        {{"--preset", dir.Path("chunk.fxp")}, 0.5f},
        {{"--preset", dir.Path("list.fxp")}, 0.25f},
        // --set comes after the program and the preset, whatever the order on the command line.
        {{"--set", "0=0.75", "--program", "2"}, 0.75f},
        {{"--set", "0=0.75", "--preset", dir.Path("chunk.fxp")}, 0.75f},
    };
    for (const auto& [options, gain] : cases) {
        const Result result = Render("out.wav", options);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_NEAR(Audio(dir.Path("out.wav")).Peak(), 0.5f * gain, 1e-4f) << options.back();
    }
}

TEST_F(HostRenderTest, FailuresAndInterruptionsLeaveAnOlderOutputUntouchedAndNoOtherFile) {
    const std::string good = dir.Path("good.wav"), out = dir.Path("out.wav");
    WriteAudio(good, 1, kRate, kWav16, 500);
    WriteAudio(dir.Path("surround.wav"), 3, kRate, kWav16, 100);
    WriteAudio(dir.Path("slow.wav"), 1, 500, kWav16, 100);
    std::ofstream(dir.Path("text.wav")) << "not audio at all\n";
    std::ofstream(out) << "previous result";
    WriteBytes(dir.Path("odd.fxp"), FxpImage(kFixtureId, Bytes(11, 0)));
    WriteBytes(dir.Path("ours.fxp"), FxpImage(0x5A756271, Bytes(11, 0)));
    const std::string files = dir.Listing();
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{dir.Path("slow.wav"), out}, 1, "rates from 1000 to 768000 Hz"},
        {{dir.Path("missing.wav"), out}, 1, "No such file"},
        {{dir.Path("text.wav"), out}, 1, "cannot read input"},
        {{dir.Path("surround.wav"), out}, 1, "has 3 channels"},
        {{good, out, "--rate", "48000"}, 2, "does not resample"},
        {{good, dir.Path("no/such/folder/out.wav")}, 1, "cannot create a file"},
        {{good, good}, 2, "is the input file"},
        {{good, dir.Path("out.mp3")}, 2, "unknown file type"},
        {{good, dir.root}, 2, "is a folder"},
        {{good, dir.Path("out.flac"), "--format", "32f"}, 2, "FLAC cannot hold 32-bit float"},
        {{good, out, "--plugin", dir.Path("nothing.so")}, 1, "cannot open plug-in"},
        {{good, out, "--program", "Many Monks"}, 2, "no program named 'Many Monks'"},
        {{good, out, "--program", "3"}, 2, "out of range"},
        {{good, out, "--set", "2=0.5"}, 2, "the plug-in has 2 parameters (0..1)"},
        {{good, out, "--preset", dir.Path("missing.fxp")}, 1, "preset '" + dir.Path("missing.fxp") + "': No such file"},
        {{good, out, "--preset", dir.Path("text.wav")}, 1, "text.wav': not a VST preset"},
        {{good, out, "--preset", dir.root}, 1, "': read error"},
        {{good, out, "--preset", dir.Path("ours.fxp")}, 1, "written by plug-in 'Zubq', not by this one ('FxTs')"},
        {{good, out, "--preset", dir.Path("odd.fxp")}, 1, "does not take a program chunk of 11 bytes"},
    };
    for (const auto& [given, exitCode, message] : cases) {
        std::vector<std::string> args = {"render"};
        args.insert(args.end(), given.begin(), given.end());
        if (std::find(args.begin(), args.end(), "--plugin") == args.end()) {
            args.insert(args.end(), {"--plugin", Fixture("fixture_gain")});
        }
        const Result result = RunHost(args);
        EXPECT_EQ(result.exitCode, exitCode) << message << ": " << result.err;
        EXPECT_TRUE(Has(result.err, message)) << result.err;
        EXPECT_EQ(result.out, "") << message;
        EXPECT_EQ(dir.Listing(), files) << message;
        EXPECT_EQ(ReadText(out), "previous result") << message;
    }
    EXPECT_EQ(Audio(good).Frames(), 500u);  // it survived the attempt to overwrite it
    // An hour of tail keeps the tool busy long enough to be stopped half way.
    for (int signal : {SIGTERM, SIGINT}) {
        const Result result = RunHost({"render", good, out, "--plugin", Fixture("fixture_gain"), "--tail", "3600"}, {},
                                      signal, [this] { return Has(dir.Listing(), ".out.wav.partial-"); });
        EXPECT_EQ(result.exitCode, 130) << result.err;
        EXPECT_TRUE(Has(result.err, "interrupted; no output written")) << result.err;
        EXPECT_EQ(dir.Listing(), files);
        EXPECT_EQ(ReadText(out), "previous result");
    }
}

TEST_F(HostRenderTest, SummaryLineNonFiniteSamplesAndClippingAtFullScale) {
    WriteAudio(dir.Path("in.wav"), 1, kRate, kWav16, 4410);
    const Result result = Render("out.wav");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(std::regex_match(result.out, std::regex(R"(rendered 0\.100 s \(4410 frames, 2 channels, 44100 Hz\): )"
        R"(peak -6\.0[0-9] dBFS, 0 samples at or over full scale, real-time factor ([0-9]+\.[0-9]x|n/a)\n)")))
        << result.out;
    const Result quiet = Render("quiet.wav", {"--quiet"});
    EXPECT_EQ(std::to_string(quiet.exitCode) + quiet.out + quiet.err, "0");  // success, and not a word
    EXPECT_TRUE(Has(Render("silent.wav", {"--set", "0=0"}).out, "peak -inf dBFS"));

    // The fixture's parameter 1 poisons left samples 0, 64, ..., 4352: 69 of them.
    const Result poisoned = Render("poison.wav", {"--set", "1=1"});
    EXPECT_EQ(poisoned.exitCode, 3);
    EXPECT_TRUE(Has(poisoned.out, ", 69 non-finite samples replaced by silence\n")) << poisoned.out;
    EXPECT_TRUE(Has(poisoned.err, "warning: the plug-in produced 69 NaN or infinite samples"));
    const Audio plain(dir.Path("out.wav")), silenced(dir.Path("poison.wav"));
    for (size_t f = 0; f < 4410; ++f) ASSERT_EQ(silenced.At(f, 0), f % 64 == 0 ? 0.0f : plain.At(f, 0)) << f;

    WriteAudio(dir.Path("in.wav"), 1, kRate, kWavFloat, 4, {0.25f, 1.5f, -1.0f, 0.9999f});
    // Two frames at or over full scale, on both output channels; 1.5 is +3.52 dBFS.
    EXPECT_TRUE(Has(Render("float.wav").out, "peak 3.52 dBFS, 4 samples at or over full scale"));
    EXPECT_EQ(Audio(dir.Path("float.wav")).At(1, 0), 1.5f);
    ASSERT_EQ(Render("16.wav", {"--format", "16"}).exitCode, 0);
    const Audio clipped(dir.Path("16.wav"));
    EXPECT_GT(clipped.At(1, 0), 0.999f);  // clipped, not wrapped round to negative
    EXPECT_LE(clipped.At(1, 0), 1.0f);
    EXPECT_EQ(clipped.At(2, 1), -1.0f);
}

}  // namespace
