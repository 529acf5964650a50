// `murmurhall-host info` and `help`, run as a separate process against our plug-in and the
// fixture plug-ins.
#include <regex>

#include "HostTestKit.h"

namespace {

using namespace hosttest;

TEST(HostInfoTest, OurPluginIdentityPinsParametersAndPrograms) {
    const Result result = RunHost({"info", MH_PLUGIN_PATH});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(Has(result.out, std::string(MH_PLUGIN_PATH) + " (entry VSTPluginMain)\n"
        "Unique ID      0x5A756271 'Zubq'\nVersion        1\nEffect name    (none)\nVendor         Pondfrog\n"
        "Product        Murmurhall\nVendor version 202\nCategory       1 (effect)\nVST version    2400\n"
        "Flags          0x00000039 HasEditor CanMono CanReplacing ProgramChunks\nInitial delay  0 samples\n"
        "Inputs         2\n      0  ZQ_in 1 In  (active, stereo)\n      1  ZQ_in 2 In  (active, stereo)\n"
        "Outputs        2\n      0  ZQ_out 1 In  (active, stereo)\n      1  ZQ_out 2 In  (active, stereo)\n"))
        << result.out;

    // Parameter rows numbered in order, each a name, the label "amount" and a value from 0 to 1.
    const std::string& out = result.out;
    const std::regex param(R"(\n +(\d+)  (.+?) +amount +(?:0\.\d{6}|1\.000000)(?=\n))"), row(R"(\n +\d+  ([^\n]*))");
    std::vector<std::string> names;
    for (std::sregex_iterator it(out.begin(), out.end(), param), end; it != end; ++it) {
        EXPECT_EQ((*it)[1], std::to_string(names.size()));
        names.push_back((*it)[2]);
    }
    EXPECT_TRUE(Has(out, "\nParameters     736\n      0  Population  "));
    ASSERT_EQ(names.size(), 736u);
    const std::pair<size_t, const char*> someNames[] = {{0, "Population"}, {2, "Global Wet gain"}, {4, "NONE"},
        {13, "Allpass Gain"}, {17, "Pitch Shift 1"}, {24, "Gain 1"}, {731, "Pan 60"}, {735, "NONE"}};
    for (const auto& [index, name] : someNames) EXPECT_EQ(names[index], name) << index;
    std::string programs;
    const std::string list = out.substr(out.find("\nPrograms       24 (current 0)\n") + 1);
    for (std::sregex_iterator it(list.begin(), list.end(), row), end; it != end; ++it) programs += (*it)[1].str() + "|";
    EXPECT_EQ(programs,
              "1 Many Monks|2 Crowded Hall|3 Stadium Chant|4 Hello Planet!|Alien Ripper|Bodiless Robot|"
              "Busted Larynx|Choirish|Decender|Evil Snake|Fat Pack|Gated Layer|Ghost Maker|Lost in the Wash|"
              "Mental Breakage|Metal Ear Box|Monster Pan|Mouse Delirium|New species 1|New species 2|Ocean Deep|"
              "Slow Mirror|Spin up|Up Lilt|");

    // Without a plug-in, and from the bundle folder, the tool finds the same one.
    std::string bundle = MH_PLUGIN_PATH;  // .../Murmurhall.vst/Contents/x86_64-linux/Murmurhall.so
    for (int i = 0; i < 3; ++i) bundle.resize(bundle.rfind('/'));
    EXPECT_EQ(RunHost({"info"}).out, result.out);
    EXPECT_EQ(RunHost({"info", bundle + "/"}).out, result.out);
}

TEST(HostInfoTest, LegacyMainEntryIsUsedWhenVSTPluginMainIsMissing) {
    const Result result = RunHost({"info", Fixture("fixture_main_only")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(Has(result.out, "fixture_main_only.so (entry main)\nUnique ID      0x46785473 'FxTs'\n"));
    EXPECT_TRUE(Has(result.out, "Programs       3 (current 0)\n      0  1 Unity\n")) << result.out;
}

TEST(HostInfoTest, UnloadablePluginsFailWithAReason) {
    Scratch dir;
    std::ofstream(dir.Path("notes.so")) << "This is a text file, not a shared library.\n";
    const std::pair<std::string, const char*> cases[] = {
        {dir.Path("missing.so"), "No such file or directory"},
        {dir.root, "a folder, but not a VST bundle"},
        {dir.Path("notes.so"), "as a shared library"},
        {Fixture("fixture_no_entry"), "exports neither VSTPluginMain nor main"},
        {Fixture("fixture_null_entry"), "returned no effect"},
        {Fixture("fixture_bad_magic"), "magic 0x12345678"},
    };
    for (const auto& [path, reason] : cases) {
        const Result result = RunHost({"info", path});
        EXPECT_EQ(result.exitCode, 1) << path;
        EXPECT_EQ(result.out, "") << path;
        EXPECT_TRUE(Has(result.err, "murmurhall-host: ") && Has(result.err, reason)) << path << ": " << result.err;
    }
}

TEST(HostInfoTest, HelpMentionsEveryOptionAndBadCommandsAreUsageErrors) {
    for (const char* word : {"--help", "help", "-h"}) {
        const Result result = RunHost({word});
        EXPECT_EQ(result.exitCode, 0) << word;
        for (const char* part : {"info [PLUGIN]", "render IN OUT", "--plugin", "--program", "--set", "--preset",
                                 "--rate", "--block", "--tail", "--preroll", "--format", "--quiet, -q",
                                 "Stadium Chant", "does not resample", "knows the input is mono", "Exit status"}) {
            EXPECT_TRUE(Has(result.out, part)) << word << " lacks " << part;
        }
    }
    const Result bare = RunHost({});
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_TRUE(Has(bare.err, "usage: murmurhall-host"));
    const Result unknown = RunHost({"frobnicate"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(Has(unknown.err, "unknown command 'frobnicate'"));
}

}  // namespace
