// .fxp preset files: the request to the file selector, the bytes written, the extension rule, old
// and broken files, and the window after a load or a reset.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "EditorHarness.h"

using namespace edtest;
namespace fs = std::filesystem;

namespace {

enum { kLoad, kSave, kReset };  // the preset action menu's entries

class PresetFilesTest : public OpenEditorTest {
protected:
    void SetUp() override {
        fs::create_directories(folder);
        OpenEditorTest::SetUp();
    }
    void TearDown() override {
        OpenEditorTest::TearDown();
        fs::remove_all(folder);
    }
    std::string PathOf(const char* name) { return (folder / name).string(); }
    // The user picks a menu entry; the host's file selector answers with path (empty: cancelled).
    void Pick(int entry, const std::string& path = "") {
        host.AnswerFileSelectorWith(path);
        Menu(7)->setCurrent(entry);
        editor->valueChanged(Menu(7));
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string ProgramChunk() {
        void* data = nullptr;
        const VstIntPtr size = Call(effGetChunk, 1, 0, &data);
        return std::string(static_cast<const char*>(data), size);
    }
    long FilesInFolder() { return std::distance(fs::directory_iterator(folder), fs::directory_iterator()); }

    const fs::path folder = fs::path(::testing::TempDir()) / ("mh-presets-" + std::to_string(::getpid()));
};

TEST_F(PresetFilesTest, SaveAsksForAFileAndWritesTheHeaderAndTheCurrentProgram) {
    Set(2, 0.375f);
    Control(3)->setValue(0.125f);  // shown only: a save that re-applied the program would undo it
    Pick(kSave, PathOf("hall"));
    EXPECT_EQ(Control(3)->getValue(), 0.125f);
    std::string expected("CcnK\0\0\x0B\xD4" "FPCh\0\0\0\1" "Zubq\0\0\0\1\0\0\0\1", 28);
    expected += ProgramName();
    expected.resize(56, '\0');
    expected += std::string("\0\0\x0B\xA0", 4) + ProgramChunk();
    EXPECT_EQ(expected.size(), 3036u);
    EXPECT_EQ(ReadFile(PathOf("hall.fxp")), expected);
    EXPECT_EQ(host.FileRequests(),
              std::vector<std::string>{"1 1 'Select filename to SAVE' VST Effect FXP|.fxp|FXP"});
    EXPECT_TRUE(host.Of(audioMasterUpdateDisplay).empty());
}

TEST_F(PresetFilesTest, ExtensionRule) {
    const std::pair<const char*, const char*> cases[] = {
        {"a/b", "a/b.fxp"}, {"a/b.fxp", "a/b.fxp"}, {"a/b.txt", "a/b.fxp"}, {"a/b.wave", "a/b.wave.fxp"},
        {".fxp", ".fxp.fxp"}};  // four characters are not longer than four
    for (const auto& [chosen, file] : cases) EXPECT_EQ(EffectEditor::PresetFilePath(chosen), file);
    Pick(kSave, PathOf("x.fxp"));
    Pick(kSave, PathOf("x.fxp"));  // overwrites, leaving nothing beside it
    EXPECT_TRUE(fs::exists(PathOf("x.fxp")));
    EXPECT_EQ(FilesInFolder(), 1);
    Set(3, 0.0625f);
    Pick(kSave, PathOf("y"));
    Set(3, 0.5f);
    host.Clear();
    Pick(kLoad, PathOf("y.txt"));
    EXPECT_EQ(Get(3), 0.0625f) << "y.txt opens y.fxp";
    EXPECT_EQ(host.FileRequests(), std::vector<std::string>{"0 1 'Select filename to LOAD' VST FXP|.fxp|FXP"});
}

TEST_F(PresetFilesTest, SavedFileLoadsBackBitForBitAndTheWindowShowsIt) {
    SetProgram(6);
    Set(0, 10 * kStep);
    Set(1, 2 * kStep);
    Set(PersonIndex(2, 5), 0.1234567f);
    Set(15, 0.75f);  // no role, but part of the record
    char renamed[] = "Loaded Hall";
    Call(effSetProgramName, 0, 0, renamed);
    const std::string saved = ProgramChunk();
    Pick(kSave, PathOf("round"));
    SetProgram(9);
    host.Clear();
    Pick(kLoad, PathOf("round.fxp"));
    EXPECT_EQ(Program(), 9);
    EXPECT_EQ(ProgramChunk(), saved);
    ExpectWindowShowsProgram();
    EXPECT_EQ(Titles(8, 9, 9), "Loaded Hall|") << "the program menu shows the new name at once";
    EXPECT_FALSE(host.Of(audioMasterUpdateDisplay).empty()) << "the program was re-applied";
}

TEST_F(PresetFilesTest, OldFormatFilesAreConvertedAndBrokenMissingOrCancelledOnesChangeNothing) {
    float values[736] = {30.0f, 15.0f, 0.25f};
    values[16 + 12 * 4 + 6] = 0.8125f;  // person 4's pan
    std::string file = "CcnK" + std::string(3028, '\0');
    std::memcpy(file.data() + 60, values, sizeof values);  // the name stays empty
    std::ofstream(PathOf("old.fxp"), std::ios::binary) << file;
    Pick(kLoad, PathOf("old.fxp"));
    EXPECT_STREQ(engine->CurrentProgram().name, "Init");
    EXPECT_EQ((std::vector<float>{Get(0), Get(1), Get(2), Get(PersonIndex(4, 6)), Get(12), Get(13)}),
              (std::vector<float>{30.0f * kStep, 0.5f, 0.25f, 0.8125f, 0.0f, 0.5f}));
    host.Clear();
    const std::string before = ProgramChunk();
    Pick(kSave, PathOf("good"));
    const std::string good = ReadFile(PathOf("good.fxp"));
    for (size_t size : {0, 59, 60, 3000, 3031, 3035, 3037}) {
        std::ofstream(PathOf("broken.fxp"), std::ios::binary) << (good + "\x7F").substr(0, size);
        Pick(kLoad, PathOf("broken.fxp"));
        EXPECT_EQ(ProgramChunk(), before) << size;
    }
    Pick(kLoad, PathOf("missing.fxp"));
    Pick(kSave, PathOf("no/such/folder/x"));
    Pick(kSave);
    Pick(kLoad);
    EXPECT_EQ(ProgramChunk(), before);
    EXPECT_EQ(FilesInFolder(), 3) << "old, good and broken";
    EXPECT_TRUE(host.Of(audioMasterUpdateDisplay).empty()) << "nothing re-applied";
}

TEST_F(PresetFilesTest, ResetCurrentRestoresTheFactoryProgram) {
    SetProgram(4);
    const std::string factory = ProgramChunk();
    Set(2, 0.0625f);
    char renamed[] = "Mine";
    Call(effSetProgramName, 0, 0, renamed);
    host.Clear();
    Pick(kReset);
    EXPECT_EQ(ProgramChunk(), factory);
    ExpectWindowShowsProgram();
    EXPECT_FALSE(host.Of(audioMasterUpdateDisplay).empty());
}

}  // namespace
