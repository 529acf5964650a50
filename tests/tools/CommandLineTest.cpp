// The host's command-line parsing: what is accepted, what is refused, and with which status.
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "HostError.h"

namespace {

const std::string kDefault = "/default/Murmurhall.so";

CommandLine Parse(const std::vector<std::string>& args) { return CommandLine::Parse(args, kDefault); }

// The message of the usage error `args` cause, or "" when they parse.
std::string UsageError(const std::vector<std::string>& args) {
    try {
        Parse(args);
    } catch (const HostError& error) {
        EXPECT_EQ(error.ExitStatus(), HostError::kUsage) << error.what();
        return error.what();
    }
    return "";
}

TEST(CommandLineTest, HelpInAllThreeSpellings) {
    for (const char* word : {"help", "--help", "-h"}) {
        EXPECT_EQ(Parse({word}).command, CommandLine::Command::Help) << word;
    }
    EXPECT_NE(UsageError({}), "");
    EXPECT_NE(UsageError({"play"}).find("unknown command 'play'"), std::string::npos);
}

TEST(CommandLineTest, InfoTakesAnOptionalPlugin) {
    const CommandLine plain = Parse({"info"});
    EXPECT_EQ(plain.command, CommandLine::Command::Info);
    EXPECT_EQ(plain.plugin, kDefault);
    EXPECT_EQ(Parse({"info", "other.so"}).plugin, "other.so");
    EXPECT_NE(UsageError({"info", "a.so", "b.so"}), "");
    EXPECT_NE(UsageError({"info", ""}), "");
}

TEST(CommandLineTest, RenderDefaults) {
    const RenderOptions options = Parse({"render", "in.wav", "out.wav"}).render;
    EXPECT_EQ(options.input, "in.wav");
    EXPECT_EQ(options.output, "out.wav");
    EXPECT_EQ(options.plugin, kDefault);
    EXPECT_EQ(options.blockSize, 512);
    EXPECT_EQ(options.tailSeconds, 0.0);
    EXPECT_FALSE(options.program.has_value());
    EXPECT_FALSE(options.preset.has_value());
    EXPECT_FALSE(options.rate.has_value());
    EXPECT_FALSE(options.format.has_value());
    EXPECT_FALSE(options.quiet);
    EXPECT_TRUE(options.sets.empty());
}

TEST(CommandLineTest, RenderOptionsInBothSpellingsAndAnyPosition) {
    const RenderOptions options =
        Parse({"render", "--plugin", "p.so", "in.wav", "--program=3 Stadium Chant", "--set", "17=0.25", "out.wav",
               "--set=2=1", "--preset", "x.fxp", "--rate=48000", "--block", "64", "--tail", "1.5", "--format", "32f",
               "-q"})
            .render;
    EXPECT_EQ(options.plugin, "p.so");
    EXPECT_EQ(options.input, "in.wav");
    EXPECT_EQ(options.output, "out.wav");
    EXPECT_EQ(options.program.value(), "3 Stadium Chant");
    ASSERT_EQ(options.sets.size(), 2u);
    EXPECT_EQ(options.sets[0].first, 17);
    EXPECT_EQ(options.sets[0].second, 0.25f);
    EXPECT_EQ(options.sets[1].first, 2);
    EXPECT_EQ(options.sets[1].second, 1.0f);
    EXPECT_EQ(options.preset.value(), "x.fxp");
    EXPECT_EQ(options.rate.value(), 48000.0);
    EXPECT_EQ(options.blockSize, 64);
    EXPECT_EQ(options.tailSeconds, 1.5);
    EXPECT_EQ(options.format.value(), SampleFormat::Float32);
    EXPECT_TRUE(options.quiet);
}

TEST(CommandLineTest, DoubleDashLetsFileNamesStartWithADash) {
    const RenderOptions options = Parse({"render", "--block", "8", "--", "-in.wav", "--out.wav"}).render;
    EXPECT_EQ(options.input, "-in.wav");
    EXPECT_EQ(options.output, "--out.wav");
    EXPECT_EQ(options.blockSize, 8);
}

TEST(CommandLineTest, BlockSizeLimits) {
    EXPECT_EQ(Parse({"render", "a.wav", "b.wav", "--block", "1"}).render.blockSize, 1);
    EXPECT_EQ(Parse({"render", "a.wav", "b.wav", "--block", "65536"}).render.blockSize, 65536);
    for (const char* bad : {"0", "65537", "-4", "1.5", "abc", "", "0x10", " 64", "64k"}) {
        EXPECT_NE(UsageError({"render", "a.wav", "b.wav", "--block", bad}).find("--block"), std::string::npos) << bad;
    }
}

TEST(CommandLineTest, TailAndRateLimits) {
    EXPECT_EQ(Parse({"render", "a.wav", "b.wav", "--tail", "3600"}).render.tailSeconds, 3600.0);
    EXPECT_EQ(Parse({"render", "a.wav", "b.wav", "--tail", ".25"}).render.tailSeconds, 0.25);
    for (const char* bad : {"-0.1", "3600.5", "nan", "inf", "1e999", "x", "1s"}) {
        EXPECT_NE(UsageError({"render", "a.wav", "b.wav", "--tail", bad}), "") << bad;
    }
    for (const char* bad : {"0", "999", "768001", "nan", "44.1k"}) {
        EXPECT_NE(UsageError({"render", "a.wav", "b.wav", "--rate", bad}), "") << bad;
    }
}

TEST(CommandLineTest, SetNeedsIndexEqualsUnitValue) {
    EXPECT_EQ(Parse({"render", "a.wav", "b.wav", "--set", "0=0"}).render.sets.at(0).second, 0.0f);
    for (const char* bad : {"5", "=0.5", "x=0.5", "-1=0.5", "5=", "5=1.5", "5=-0.1", "5=nan", "5=abc", "1.5=0.5"}) {
        EXPECT_NE(UsageError({"render", "a.wav", "b.wav", "--set", bad}).find("--set"), std::string::npos) << bad;
    }
}

TEST(CommandLineTest, FormatWords) {
    EXPECT_EQ(Parse({"render", "a.wav", "b.wav", "--format", "16"}).render.format.value(), SampleFormat::Pcm16);
    EXPECT_EQ(Parse({"render", "a.wav", "b.wav", "--format", "24"}).render.format.value(), SampleFormat::Pcm24);
    for (const char* bad : {"8", "32", "float", ""}) {
        EXPECT_NE(UsageError({"render", "a.wav", "b.wav", "--format", bad}), "") << bad;
    }
}

TEST(CommandLineTest, MalformedRenderLinesAreRefused) {
    EXPECT_NE(UsageError({"render", "a.wav"}).find("input and an output"), std::string::npos);
    EXPECT_NE(UsageError({"render", "a.wav", "b.wav", "c.wav"}), "");
    EXPECT_NE(UsageError({"render", "a.wav", "b.wav", "--volume", "3"}).find("unknown option '--volume'"),
              std::string::npos);
    EXPECT_NE(UsageError({"render", "a.wav", "b.wav", "--block"}).find("needs a value"), std::string::npos);
    EXPECT_NE(UsageError({"render", "a.wav", "b.wav", "--program", "1", "--program", "2"}).find("twice"),
              std::string::npos);
    EXPECT_NE(UsageError({"render", "a.wav", "b.wav", "--quiet=yes"}), "");
    EXPECT_NE(UsageError({"render", "a.wav", "b.wav", "--plugin="}), "");
}

TEST(CommandLineTest, NumberParsingIsStrict) {
    long integer = 99;
    EXPECT_TRUE(CommandLine::ParseInteger("+12", integer));
    EXPECT_EQ(integer, 12);
    EXPECT_TRUE(CommandLine::ParseInteger("-7", integer));
    EXPECT_EQ(integer, -7);
    for (const char* bad : {"", "+", "-", "1e3", "12 ", " 12", "0x1f", "3 Stadium", "99999999999999999999"}) {
        EXPECT_FALSE(CommandLine::ParseInteger(bad, integer)) << bad;
    }
    double real = 0.0;
    EXPECT_TRUE(CommandLine::ParseReal("1e3", real));
    EXPECT_EQ(real, 1000.0);
    EXPECT_TRUE(CommandLine::ParseReal("-.5", real));
    EXPECT_EQ(real, -0.5);
    for (const char* bad : {"", ".", "inf", "nan", "0x1p3", "1,5", "2 ", "1e400"}) {
        EXPECT_FALSE(CommandLine::ParseReal(bad, real)) << bad;
    }
}

}  // namespace
