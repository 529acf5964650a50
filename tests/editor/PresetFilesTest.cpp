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

using Bytes = std::vector<unsigned char>;

class PresetFilesTest : public OpenEditorTest {
protected:
    void SetUp() override {
        folder = fs::path(::testing::TempDir()) / ("mh-presets-" + std::to_string(::getpid()) + "-" +
                                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        OpenEditorTest::SetUp();
    }
    void TearDown() override {
        OpenEditorTest::TearDown();
        fs::remove_all(folder);
    }
    std::string PathOf(const char* name) { return (folder / name).string(); }
    // The preset action menu's entries, as the user picks them: 0 load, 1 save, 2 reset.
    void Pick(int entry) {
        Menu(7)->setCurrent(entry);
        editor->valueChanged(Menu(7));
    }
    void SaveAs(const std::string& path) {
        host.AnswerFileSelectorWith(path);
        Pick(1);
    }
    void LoadFrom(const std::string& path) {
        host.AnswerFileSelectorWith(path);
        Pick(0);
    }
    static Bytes ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void WriteFile(const std::string& path, const Bytes& bytes) {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    Bytes ProgramChunk() {
        void* data = nullptr;
        const VstIntPtr size = Call(effGetChunk, 1, 0, &data);
        return Bytes(static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size);
    }
    long FilesInFolder() { return std::distance(fs::directory_iterator(folder), fs::directory_iterator()); }

    fs::path folder;
};

TEST_F(PresetFilesTest, SaveAsksForAFileAndWritesTheHeaderAndTheCurrentProgram) {
    SetProgram(3);
    Set(2, 0.375f);
    const Bytes program = ProgramChunk();
    host.Clear();
    Control(3)->setValue(0.125f);  // shown only: a save that re-applied the program would undo it
    SaveAs(PathOf("hall"));
    EXPECT_EQ(Control(3)->getValue(), 0.125f);
    const char header[] = "CcnK\0\0\x0B\xD4" "FPCh\0\0\0\1" "Zubq\0\0\0\1\0\0\0\1";
    Bytes expected(header, header + 28);
    const std::string name = ProgramName();
    expected.insert(expected.end(), name.begin(), name.end());
    expected.resize(56, 0);
    expected.insert(expected.end(), {0x00, 0x00, 0x0B, 0xA0});
    expected.insert(expected.end(), program.begin(), program.end());
    EXPECT_EQ(expected.size(), 3036u);
    EXPECT_EQ(ReadFile(PathOf("hall.fxp")), expected);
    EXPECT_EQ(host.FileRequests(),
              std::vector<std::string>{"1 0 1 'Select filename to SAVE' VST Effect FXP|.fxp|FXP|| - -"});
    EXPECT_TRUE(host.Automations().empty());
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 0);
}

TEST_F(PresetFilesTest, ExtensionRule) {
    EXPECT_EQ(EffectEditor::PresetFilePath("a/b"), "a/b.fxp");
    EXPECT_EQ(EffectEditor::PresetFilePath("a/b.fxp"), "a/b.fxp");
    EXPECT_EQ(EffectEditor::PresetFilePath("a/b.txt"), "a/b.fxp");
    EXPECT_EQ(EffectEditor::PresetFilePath("a/b.wave"), "a/b.wave.fxp");
    EXPECT_EQ(EffectEditor::PresetFilePath(".fxp"), ".fxp.fxp") << "four characters are not longer than four";

    SaveAs(PathOf("x.fxp"));
    SaveAs(PathOf("x.fxp"));  // overwrites, leaving nothing beside it
    EXPECT_TRUE(fs::exists(PathOf("x.fxp")));
    EXPECT_EQ(FilesInFolder(), 1);
    Set(3, 0.0625f);
    SaveAs(PathOf("y"));
    Set(3, 0.5f);
    host.Clear();
    LoadFrom(PathOf("y.txt"));
    EXPECT_EQ(Get(3), 0.0625f) << "y.txt opens y.fxp";
    EXPECT_EQ(host.FileRequests(), std::vector<std::string>{"0 0 1 'Select filename to LOAD' VST FXP|.fxp|FXP|| - -"});
}

TEST_F(PresetFilesTest, SavedFileLoadsBackBitForBitAndTheWindowShowsIt) {
    SetProgram(6);
    Set(0, 10 * kStep);
    Set(1, 2 * kStep);
    Set(PersonIndex(2, 5), 0.1234567f);
    Set(15, 0.75f);  // no role, but part of the record
    char renamed[] = "Loaded Hall";
    Call(effSetProgramName, 0, 0, renamed);
    const Bytes saved = ProgramChunk();
    SaveAs(PathOf("round"));
    SetProgram(9);
    ASSERT_NE(ProgramChunk(), saved);
    host.Clear();
    LoadFrom(PathOf("round.fxp"));
    EXPECT_EQ(Program(), 9);
    EXPECT_EQ(ProgramChunk(), saved);
    ExpectWindowShowsProgram();
    EXPECT_EQ(NameField(), "Loaded Hall");
    EXPECT_EQ(Title(Menu(8), 9), "Loaded Hall") << "the program menu shows the new name at once";
    EXPECT_EQ(Menu(7)->getValue(), 0.0f);
    EXPECT_GE(host.Count(audioMasterUpdateDisplay), 1) << "the program was re-applied";
}

TEST_F(PresetFilesTest, OldFormatFileIsConverted) {
    Bytes file(3032, 0);
    std::memcpy(file.data(), "CcnK", 4);
    float values[736] = {30.0f, 15.0f, 0.25f};
    values[16 + 12 * 4 + 6] = 0.8125f;  // person 4's pan
    std::memcpy(file.data() + 60, values, sizeof values);  // the name stays empty
    WriteFile(PathOf("old.fxp"), file);
    LoadFrom(PathOf("old.fxp"));
    EXPECT_STREQ(engine->CurrentProgram().name, "Init");
    EXPECT_EQ(Get(0), 30.0f * kStep);
    EXPECT_EQ(Get(1), 0.5f);
    EXPECT_EQ(Get(2), 0.25f);
    EXPECT_EQ(Get(PersonIndex(4, 6)), 0.8125f);
    EXPECT_EQ(Get(12), 0.0f);
    EXPECT_EQ(Get(13), 0.5f);
}

TEST_F(PresetFilesTest, BrokenMissingOrCancelledFilesChangeNothing) {
    const Bytes before = ProgramChunk();
    SaveAs(PathOf("good"));
    const Bytes good = ReadFile(PathOf("good.fxp"));
    for (size_t size : {0, 59, 60, 3000, 3031, 3035, 3037}) {
        Bytes broken(size, 0x7F);
        std::copy(good.begin(), good.begin() + std::min(size, good.size()), broken.begin());
        WriteFile(PathOf("broken.fxp"), broken);
        LoadFrom(PathOf("broken.fxp"));
        EXPECT_EQ(ProgramChunk(), before) << size;
    }
    LoadFrom(PathOf("missing.fxp"));
    SaveAs(PathOf("no/such/folder/x"));
    EXPECT_FALSE(fs::exists(PathOf("no")));
    host.AnswerFileSelectorWith("");
    Pick(1);
    Pick(0);
    EXPECT_EQ(ProgramChunk(), before);
    EXPECT_EQ(FilesInFolder(), 2);
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 0) << "nothing re-applied";
}

TEST_F(PresetFilesTest, ResetCurrentRestoresTheFactoryProgram) {
    SetProgram(4);
    const Bytes factory = ProgramChunk();
    Set(2, 0.0625f);
    Set(PersonIndex(0, 0), 0.0625f);
    char renamed[] = "Mine";
    Call(effSetProgramName, 0, 0, renamed);
    host.Clear();
    Pick(2);
    EXPECT_EQ(ProgramChunk(), factory);
    ExpectWindowShowsProgram();
    EXPECT_GE(host.Count(audioMasterUpdateDisplay), 1);
    EXPECT_TRUE(host.FileRequests().empty());
}

TEST(PresetPathTest, ConversionCopiesWhatFits) {
    char path[8];
    EXPECT_EQ(EffectEditor::FSSpecToPOSIXPath("/a/b.fx", path, sizeof path), 0);
    EXPECT_STREQ(path, "/a/b.fx");
    std::strcpy(path, "keep");
    EXPECT_EQ(EffectEditor::FSSpecToPOSIXPath("/a/b.fxp", path, sizeof path), -43);
    EXPECT_STREQ(path, "keep");
    EXPECT_EQ(EffectEditor::FSSpecToPOSIXPath(nullptr, path, sizeof path), -43);
    EXPECT_EQ(EffectEditor::FSSpecToPOSIXPath("/a", nullptr, 8), -43);
    EXPECT_EQ(EffectEditor::FSSpecToPOSIXPath("/a", path, 0), -43);
}

}  // namespace
