// `murmurhall-host render` through our own plug-in: the options must reach it and change what
// it renders, and .fxp presets must be checked before their chunk is handed over.
#include "HostTestKit.h"

namespace {

using namespace hosttest;

constexpr size_t kFrames = 22050;  // half a second at 44100 Hz

class HostPluginRenderTest : public ::testing::Test {
protected:
    void SetUp() override { WriteAudio(dir.Path("voice.wav"), 1, 44100, kWav16, kFrames); }

    // Renders `in` into `out`, expecting `exitCode`, and reads `out` back; `last` keeps what the tool said.
    Audio Render(const std::string& out, std::vector<std::string> options = {}, int exitCode = 0,
                 const std::string& in = "voice.wav") {
        std::vector<std::string> args = {"render", dir.Path(in), dir.Path(out), "--plugin", MH_PLUGIN_PATH};
        args.insert(args.end(), options.begin(), options.end());
        last = RunHost(args);
        EXPECT_EQ(last.exitCode, exitCode) << last.err;
        return Audio(dir.Path(out));
    }

    Scratch dir;
    Result last;
};

TEST_F(HostPluginRenderTest, MonoAndStereoFilesRenderStereoOfInputPlusTail) {
    const Audio mono = Render("mono.wav", {"--tail", "0.25"});
    EXPECT_TRUE(Has(last.out, "rendered 0.750 s (33075 frames, 2 channels, 44100 Hz)")) << last.out;
    ASSERT_EQ(mono.Shape(), std::make_tuple(kWav16, 44100, 2, kFrames + 11025));
    EXPECT_GT(mono.Peak(0, kFrames, 0), 0.01f);
    EXPECT_GT(mono.Peak(0, kFrames, 1), 0.01f);

    WriteAudio(dir.Path("stereo.wav"), 2, 48000, kWavFloat, 9600);
    const Audio stereo = Render("out.wav", {"--rate", "48000"}, 0, "stereo.wav");
    EXPECT_EQ(stereo.Shape(), std::make_tuple(kWavFloat, 48000, 2, size_t {9600}));
    EXPECT_GT(stereo.Peak(), 0.01f);
}

TEST_F(HostPluginRenderTest, PreRollHidesTheFadeThatSetStarts) {
    EXPECT_GT(Render("plain.wav").Peak(), 0.01f);
    // Wet and dry gains 0: with the default pre-roll nothing is heard from the first frame.
    EXPECT_EQ(Render("muted.wav", {"--set", "2=0", "--set", "3=0"}).Peak(), 0.0f);
    // Without it, the fade the change started is still heard at the start.
    const Audio raw = Render("raw.wav", {"--set", "2=0", "--set", "3=0", "--preroll", "0"});
    ASSERT_EQ(raw.Frames(), kFrames);
    EXPECT_GT(raw.Peak(0, 5000), 0.01f);
    EXPECT_EQ(raw.Peak(12000), 0.0f);
}

TEST_F(HostPluginRenderTest, ProgramByNumberOrName) {
    const Audio first = Render("p0.wav", {"--program", "0"});
    const Audio named = Render("named.wav", {"--program", "Stadium Chant"});
    ASSERT_EQ(named.Frames(), kFrames);
    ASSERT_EQ(first.samples.size(), named.samples.size());
    EXPECT_NE(first.samples, named.samples);
    // Rendering is deterministic, so the same program renders exactly the same.
    EXPECT_EQ(Render("p2.wav", {"--program", "2"}).samples, named.samples);
}

TEST_F(HostPluginRenderTest, PresetsAreLoadedIntoTheProgramOrRefused) {
    // A current record of 737 floats and an older one of 736, each with a 28-byte name; all
    // zeros, so wet and dry gains too.
    WriteBytes(dir.Path("muted.fxp"), FxpImage(0x5A756271, Bytes(737 * 4 + 28, 0)));
    WriteBytes(dir.Path("old.fxp"), FxpImage(0x5A756271, Bytes(736 * 4 + 28, 0)));
    WriteBytes(dir.Path("odd.fxp"), FxpImage(0x5A756271, Bytes(737 * 4 + 27, 0)));
    for (const char* preset : {"muted.fxp", "old.fxp"}) {
        const Audio rendered = Render("out.wav", {"--preset", dir.Path(preset)});
        ASSERT_EQ(rendered.Frames(), kFrames) << preset;
        EXPECT_EQ(rendered.Peak(), 0.0f) << preset;
    }
    // --set comes after the preset: dry gain 0.5 (1.0) brings the input through.
    EXPECT_NEAR(Render("dry.wav", {"--preset", dir.Path("muted.fxp"), "--set", "3=0.5"}).Peak(), 0.5f, 0.01f);
    Render("x.wav", {"--preset", dir.Path("odd.fxp")}, 1);
    EXPECT_TRUE(Has(last.err, "does not take a program chunk of 2975 bytes")) << last.err;
    EXPECT_EQ(dir.Listing(), "dry.wav\nmuted.fxp\nodd.fxp\nold.fxp\nout.wav\nvoice.wav\n");
}

}  // namespace
