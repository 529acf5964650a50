// The host's command-line parsing: what is accepted, what is refused, and with which status.
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "HostError.h"

namespace {

const std::string kDefault = "/default/Murmurhall.so";

CommandLine Parse(const std::vector<std::string>& args) { return CommandLine::Parse(args, kDefault); }

TEST(CommandLineTest, RenderDefaultsAndEveryOptionInBothSpellings) {
    const RenderOptions plain = Parse({"render", "in.wav", "out.wav"}).render;
    EXPECT_EQ(plain.plugin, kDefault);
    EXPECT_EQ(plain.blockSize, 512);
    EXPECT_EQ(plain.tailSeconds, 0.0);
    EXPECT_EQ(plain.prerollSeconds, 0.5);
    EXPECT_FALSE(plain.program || plain.preset || plain.rate || plain.format || plain.quiet || !plain.sets.empty());

    const RenderOptions all = Parse({"render", "--plugin", "p.so", "in.wav", "--program=3 Stadium Chant", "--set",
        "17=0.25", "out.wav", "--set=2=.5", "--preset", "x.fxp", "--rate=48000", "--block", "65536", "--tail", "1e3",
        "--preroll", "0", "--format", "32f", "-q"}).render;
    EXPECT_EQ(all.plugin + "|" + all.input + "|" + all.output + "|" + all.program.value() + "|" + all.preset.value(),
              "p.so|in.wav|out.wav|3 Stadium Chant|x.fxp");
    EXPECT_EQ(all.sets, (std::vector<std::pair<long, float>> {{17, 0.25f}, {2, 0.5f}}));
    EXPECT_EQ(std::make_tuple(all.rate.value(), all.blockSize, all.tailSeconds, all.prerollSeconds, all.quiet),
              std::make_tuple(48000.0, 65536, 1000.0, 0.0, true));
    EXPECT_EQ(all.format, SampleFormat::Float32);
    const RenderOptions pcm16 = Parse({"render", "a", "b", "--format", "16", "--block", "1"}).render;
    EXPECT_EQ(pcm16.format, SampleFormat::Pcm16);
    EXPECT_EQ(pcm16.blockSize, 1);
    EXPECT_EQ(Parse({"render", "a", "b", "--format=24"}).render.format, SampleFormat::Pcm24);
    // After "--" names may start with a dash.
    const RenderOptions dashed = Parse({"render", "--block", "8", "--", "-in.wav", "--out.wav"}).render;
    EXPECT_EQ(dashed.input + "|" + dashed.output + "|" + std::to_string(dashed.blockSize), "-in.wav|--out.wav|8");
}

TEST(CommandLineTest, BadLinesAreUsageErrorsThatSayWhy) {
    std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no command"}, {{"play"}, "unknown command 'play'"}, {{"info", "a.so", "b.so"}, "at most one"},
        {{"info", ""}, "needs a plug-in path"}, {{"render", "a.wav"}, "input and an output"},
        {{"render", "a", "b", "c"}, "input and an output"}, {{"render", "", "b"}, "non-empty"},
        {{"render", "a", "b", "--volume", "3"}, "unknown option '--volume'"},
        {{"render", "a", "b", "--block"}, "needs a value"}, {{"render", "a", "b", "--quiet=yes"}, "takes no value"},
        {{"render", "a", "b", "--program", "1", "--program", "2"}, "given twice"},
        {{"render", "a", "b", "--plugin="}, "needs a path"}, {{"render", "a", "b", "--preset="}, "needs a path"},
    };
    // Numbers are plain decimals in range: no blanks, hex, units, infinities or overflow.
    const std::pair<const char*, std::vector<const char*>> badValues[] = {
        {"--block", {"0", "65537", "-4", "1.5", "abc", "", "0x10", " 64", "64 ", "64k", "1e3", "99999999999999999999"}},
        {"--tail", {"-0.1", "3600.5", "nan", "inf", "1e999", "x", "1s", ".", "1,5", "0x1p3", "+"}},
        {"--rate", {"0", "999", "768001", "nan", "44.1k"}},
        {"--preroll", {"-0.1", "60.5"}},
        {"--set", {"5", "=0.5", "x=0.5", "-1=0.5", "5=", "5=1.5", "5=-0.1", "5=nan", "5=abc", "1.5=0.5", "5=0x1"}},
        {"--format", {"8", "32", "float", ""}},
    };
    for (const auto& [option, values] : badValues) {
        for (const char* value : values) cases.push_back({{"render", "a", "b", option, value}, option});
    }
    for (const auto& [args, reason] : cases) {
        try {
            Parse(args);
            ADD_FAILURE() << "accepted: " << reason;
        } catch (const HostError& error) {
            EXPECT_EQ(error.ExitStatus(), HostError::kUsage) << error.what();
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << reason << ": " << error.what();
        }
    }
}

}  // namespace
