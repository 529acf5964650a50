// `murmurhall-host info` and `help`, run as a separate process against our plug-in and the
// fixture plug-ins.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>

#include "HostTestPaths.h"
#include "ScratchDir.h"
#include "ToolRunner.h"

namespace {

struct Row {
    int index = -1;
    std::string text;  // everything after the index
};

// The numbered lines under the heading that starts with `heading` (e.g. "Parameters").
std::vector<Row> Section(const std::string& out, const std::string& heading, int& declared) {
    std::vector<Row> rows;
    declared = -1;
    bool inside = false;
    const std::regex row(R"(^ +(\d+)  (.*)$)");
    for (const std::string& line : Lines(out)) {
        if (line.rfind(heading, 0) == 0) {
            inside = true;
            declared = std::atoi(line.substr(15).c_str());
            continue;
        }
        std::smatch match;
        if (inside && std::regex_match(line, match, row)) {
            rows.push_back({std::stoi(match[1]), match[2]});
        } else if (inside) {
            break;
        }
    }
    return rows;
}

TEST(HostInfoTest, OurPluginIdentityFlagsAndPins) {
    const ToolResult result = ToolRunner::Run({"info", RealPlugin()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string& out = result.out;
    EXPECT_TRUE(Contains(out, "(entry VSTPluginMain)"));
    EXPECT_TRUE(Contains(out, "Unique ID      0x5A756271 'Zubq'\n"));
    EXPECT_TRUE(Contains(out, "Vendor         Pondfrog\n"));
    EXPECT_TRUE(Contains(out, "Product        Murmurhall\n"));
    EXPECT_TRUE(Contains(out, "Vendor version 202\n"));
    EXPECT_TRUE(Contains(out, "Category       1 (effect)\n"));
    EXPECT_TRUE(Contains(out, "VST version    2400\n"));
    EXPECT_TRUE(Contains(out, "Flags          0x00000039 HasEditor CanMono CanReplacing ProgramChunks\n"));
    EXPECT_TRUE(Contains(out, "Initial delay  0 samples\n"));
    EXPECT_TRUE(Contains(out, "Inputs         2\n      0  ZQ_in 1 In  (active, stereo)\n      1  ZQ_in 2 In"));
    EXPECT_TRUE(Contains(out, "Outputs        2\n      0  ZQ_out 1 In  (active, stereo)\n      1  ZQ_out 2 In"));
}

TEST(HostInfoTest, OurPluginListsAll736ParametersWithNamesLabelsAndValues) {
    const ToolResult result = ToolRunner::Run({"info", RealPlugin()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    int declared = 0;
    const std::vector<Row> rows = Section(result.out, "Parameters", declared);
    EXPECT_EQ(declared, 736);
    ASSERT_EQ(rows.size(), 736u);
    const std::regex shape(R"(^(.+?) +amount +([0-9.]+)$)");
    std::vector<std::string> names;
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].index, static_cast<int>(i));
        std::smatch match;
        ASSERT_TRUE(std::regex_match(rows[i].text, match, shape)) << rows[i].text;
        names.push_back(match[1]);
        const double value = std::stod(match[2]);
        EXPECT_GE(value, 0.0);
        EXPECT_LE(value, 1.0);
    }
    EXPECT_EQ(names[0], "Population");
    EXPECT_EQ(names[2], "Global Wet gain");
    EXPECT_EQ(names[4], "NONE");
    EXPECT_EQ(names[13], "Allpass Gain");
    EXPECT_EQ(names[17], "Pitch Shift 1");
    EXPECT_EQ(names[24], "Gain 1");
    EXPECT_EQ(names[731], "Pan 60");
    EXPECT_EQ(names[735], "NONE");
}

TEST(HostInfoTest, OurPluginListsItsTwentyFourPrograms) {
    const ToolResult result = ToolRunner::Run({"info", RealPlugin()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    int declared = 0;
    const std::vector<Row> rows = Section(result.out, "Programs", declared);
    EXPECT_EQ(declared, 24);
    EXPECT_TRUE(Contains(result.out, "Programs       24 (current 0)\n"));
    ASSERT_EQ(rows.size(), 24u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].index, static_cast<int>(i));
        EXPECT_FALSE(rows[i].text.empty());
        EXPECT_NE(rows[i].text, "(no name)");
    }
    EXPECT_EQ(rows[0].text, "1 Many Monks");
    EXPECT_EQ(rows[2].text, "3 Stadium Chant");
}

TEST(HostInfoTest, DefaultPluginAndBundleFolderFindOurPlugin) {
    const ToolResult byPath = ToolRunner::Run({"info", RealPlugin()});
    const ToolResult byDefault = ToolRunner::Run({"info"});
    ASSERT_EQ(byDefault.exitCode, 0) << byDefault.err;
    EXPECT_EQ(byDefault.out, byPath.out);

    // .../Murmurhall.vst/Contents/x86_64-linux/Murmurhall.so -> .../Murmurhall.vst
    std::string bundle = RealPlugin();
    for (int i = 0; i < 3; ++i) bundle = bundle.substr(0, bundle.find_last_of('/'));
    const ToolResult byBundle = ToolRunner::Run({"info", bundle + "/"});
    ASSERT_EQ(byBundle.exitCode, 0) << byBundle.err;
    EXPECT_TRUE(Contains(byBundle.out, "Unique ID      0x5A756271 'Zubq'"));
}

TEST(HostInfoTest, FixtureDescribedLineByLine) {
    const ToolResult result = ToolRunner::Run({"info", FixturePlugin("fixture_gain")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string expected =
        "Unique ID      0x46785473 'FxTs'\n"
        "Version        3\n"
        "Effect name    Fixture Gain\n"
        "Vendor         Murmurhall Tests\n"
        "Product        Fixture\n"
        "Vendor version 7\n"
        "Category       1 (effect)\n"
        "VST version    2400\n"
        "Flags          0x00000030 CanReplacing ProgramChunks\n"
        "Initial delay  0 samples\n"
        "Inputs         2\n"
        "      0  Fixture In L  (active, stereo)\n"
        "      1  Fixture In R  (active)\n"
        "Outputs        2\n"
        "      0  Fixture Out L  (active, stereo)\n"
        "      1  Fixture Out R  (active)\n"
        "Parameters     3\n"
        "      0  Gain                     x          1.000000\n"
        "      1  Poison                              0.000000\n"
        "      2  Swap                                0.000000\n"
        "Programs       3 (current 0)\n"
        "      0  1 Unity\n"
        "      1  2 Half Level\n"
        "      2  3 Stadium Chant\n";
    const size_t firstNewline = result.out.find('\n');
    ASSERT_NE(firstNewline, std::string::npos);
    EXPECT_EQ(result.out.substr(firstNewline + 1), expected);
}

TEST(HostInfoTest, LegacyMainEntryIsUsedWhenVSTPluginMainIsMissing) {
    const ToolResult result = ToolRunner::Run({"info", FixturePlugin("fixture_main_only")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(Contains(result.out, "(entry main)\n"));
    EXPECT_TRUE(Contains(result.out, "Unique ID      0x46785473 'FxTs'"));
}

TEST(HostInfoTest, UnloadablePluginsFailWithAReason) {
    ScratchDir dir;
    const std::string text = dir.Path("notes.so");
    std::ofstream(text) << "This is a text file, not a shared library.\n";
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {dir.Path("missing.so"), "No such file or directory"},
        {dir.Root(), "a folder, but not a VST bundle"},
        {text, "as a shared library"},
        {FixturePlugin("fixture_no_entry"), "exports neither VSTPluginMain nor main"},
        {FixturePlugin("fixture_null_entry"), "returned no effect"},
        {FixturePlugin("fixture_bad_magic"), "magic 0x12345678"},
    };
    for (const auto& c : cases) {
        const ToolResult result = ToolRunner::Run({"info", c.path});
        EXPECT_EQ(result.exitCode, 1) << c.path;
        EXPECT_EQ(result.out, "") << c.path;
        EXPECT_TRUE(Contains(result.err, "murmurhall-host: ")) << result.err;
        EXPECT_TRUE(Contains(result.err, c.reason)) << c.path << ": " << result.err;
    }
}

TEST(HostInfoTest, LifecycleOrderAndCallbackAnswers) {
    ScratchDir dir;
    const std::string log = dir.Path("calls.log");
    const ToolResult result = ToolRunner::Run({"info", FixturePlugin("fixture_gain")}, {"MH_FIXTURE_LOG=" + log});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> lines = Lines(ReadText(log));
    ASSERT_GE(lines.size(), 8u);
    // The version query comes from the entry, before any effect exists.
    EXPECT_EQ(lines[0], "entry version=2400");
    EXPECT_EQ(lines[1], "op 0 index 0 value 0 opt 0");      // effOpen
    EXPECT_EQ(lines[2], "op 10 index 0 value 0 opt 44100");  // effSetSampleRate
    EXPECT_EQ(lines[3], "op 11 index 0 value 512 opt 0");    // effSetBlockSize
    EXPECT_EQ(lines[4], "op 12 index 0 value 1 opt 0");      // effMainsChanged on
    EXPECT_EQ(lines[5],
              "host rate=44100 block=512 level=1 vendor=Murmurhall(1) product=murmurhall-host(1) startStop=1 "
              "sendVstEvents=0 candoNull=0 update=1 automate=0 wantMidi=0 unknown=0 rateNullEffect=44100");
    const size_t n = lines.size();
    EXPECT_EQ(lines[n - 3], "op 12 index 0 value 0 opt 0");  // effMainsChanged off
    EXPECT_EQ(lines[n - 1], "op 1 index 0 value 0 opt 0");   // effClose, last
    int programQueries = 0;
    for (const auto& line : lines) {
        programQueries += line.rfind("op 29 ", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(programQueries, 3);
}

TEST(HostInfoTest, HelpAndUsage) {
    for (const char* word : {"--help", "help", "-h"}) {
        const ToolResult result = ToolRunner::Run({word});
        EXPECT_EQ(result.exitCode, 0) << word;
        for (const char* option : {"info [PLUGIN]", "render IN OUT", "--plugin", "--program", "--set", "--preset",
                                   "--rate", "--block", "--tail", "--format", "--quiet", "Stadium Chant",
                                   "does not resample", "knows the input is mono", "Exit status"}) {
            EXPECT_TRUE(Contains(result.out, option)) << word << " lacks " << option;
        }
    }
    const ToolResult bare = ToolRunner::Run({});
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_TRUE(Contains(bare.err, "usage: murmurhall-host"));
    const ToolResult unknown = ToolRunner::Run({"frobnicate"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(Contains(unknown.err, "unknown command 'frobnicate'"));
}

}  // namespace
