// .fxp preset files: the request to the file selector, the bytes written, the extension rule, old
// and broken files, and the window after a load or a reset.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "EditorHarness.h"

using namespace edtest;

namespace {

using Bytes = std::vector<unsigned char>;

class PresetFilesTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        folder = std::filesystem::path(::testing::TempDir()) /
                 ("mh-presets-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(Open());
        host.Clear();
    }
    void TearDown() override {
        EditorTest::TearDown();
        std::filesystem::remove_all(folder);
    }
    std::string PathOf(const char* name) { return (folder / name).string(); }
    // The preset action menu's entries, as the user picks them.
    void Pick(int entry) {
        COptionMenu* menu = Menu(7);
        menu->setCurrent(entry);
        editor->valueChanged(menu);
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
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    Bytes ProgramChunk() {
        void* data = nullptr;
        const VstIntPtr size = Call(effGetChunk, 1, 0, &data);
        const auto* bytes = static_cast<const unsigned char*>(data);
        return Bytes(bytes, bytes + size);
    }
    static uint32_t BigEndian(const Bytes& b, size_t at) {
        return static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
               static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3];
    }

    std::filesystem::path folder;
};

TEST_F(PresetFilesTest, SaveWritesTheHeaderAndTheCurrentProgram) {
    SetProgram(3);
    Set(2, 0.375f);
    const Bytes program = ProgramChunk();
    SaveAs(PathOf("hall"));
    const Bytes file = ReadFile(PathOf("hall.fxp"));
    ASSERT_EQ(file.size(), 3036u);
    EXPECT_EQ(Bytes(file.begin() + 4, file.begin() + 8), (Bytes{0x00, 0x00, 0x0B, 0xD4}));
    EXPECT_EQ(Bytes(file.begin() + 56, file.begin() + 60), (Bytes{0x00, 0x00, 0x0B, 0xA0}));
    EXPECT_EQ(std::memcmp(file.data(), "CcnK", 4), 0);
    EXPECT_EQ(std::memcmp(file.data() + 8, "FPCh", 4), 0);
    EXPECT_EQ(BigEndian(file, 12), 1u);
    EXPECT_EQ(BigEndian(file, 16), 0x5A756271u);
    EXPECT_EQ(BigEndian(file, 20), 1u);
    EXPECT_EQ(BigEndian(file, 24), 1u);
    char name[32] = {};
    Call(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(reinterpret_cast<const char*>(file.data() + 28), name);
    for (size_t i = 28 + std::strlen(name); i < 56; ++i) EXPECT_EQ(file[i], 0) << i;
    EXPECT_EQ(Bytes(file.begin() + 60, file.end()), program);

    const auto requests = host.FileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].command, 1);
    EXPECT_EQ(requests[0].type, 0);
    EXPECT_EQ(requests[0].nbFileTypes, 1);
    EXPECT_EQ(requests[0].title, "Select filename to SAVE");
    EXPECT_STREQ(requests[0].fileType.name, "VST Effect FXP");
    EXPECT_STREQ(requests[0].fileType.macType, ".fxp");
    EXPECT_STREQ(requests[0].fileType.dosType, "FXP");
    EXPECT_STREQ(requests[0].fileType.unixType, "");
    EXPECT_STREQ(requests[0].fileType.mimeType1, "");
    EXPECT_TRUE(requests[0].initialPathNull);
    EXPECT_TRUE(requests[0].returnPathEmpty);
    EXPECT_TRUE(host.Automations().empty());
}

TEST_F(PresetFilesTest, ExtensionRule) {
    EXPECT_EQ(EffectEditor::PresetFilePath("a/b"), "a/b.fxp");
    EXPECT_EQ(EffectEditor::PresetFilePath("a/b.fxp"), "a/b.fxp");
    EXPECT_EQ(EffectEditor::PresetFilePath("a/b.txt"), "a/b.fxp");
    EXPECT_EQ(EffectEditor::PresetFilePath("a/b.wave"), "a/b.wave.fxp");
    EXPECT_EQ(EffectEditor::PresetFilePath(".fxp"), ".fxp.fxp") << "four characters are not longer than four";

    SaveAs(PathOf("x.fxp"));
    EXPECT_TRUE(std::filesystem::exists(PathOf("x.fxp")));
    EXPECT_FALSE(std::filesystem::exists(PathOf("x.fxp.fxp")));
    SaveAs(PathOf("x.fxp"));  // overwrites, leaving nothing beside it
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);

    Set(3, 0.0625f);
    SaveAs(PathOf("y"));
    Set(3, 0.5f);
    LoadFrom(PathOf("y.txt"));
    EXPECT_EQ(Get(3), 0.0625f) << "x.txt opens x.fxp";
    EXPECT_EQ(host.FileRequests().back().title, "Select filename to LOAD");
    EXPECT_EQ(host.FileRequests().back().command, 0);
    EXPECT_STREQ(host.FileRequests().back().fileType.name, "VST FXP");
}

TEST_F(PresetFilesTest, SavedFileLoadsBackBitForBit) {
    SetProgram(6);
    Set(PersonIndex(3, 5), 0.1234567f);
    Set(15, 0.75f);  // no role, but part of the record
    const Bytes saved = ProgramChunk();
    SaveAs(PathOf("round"));
    SetProgram(9);
    const Bytes other = ProgramChunk();
    ASSERT_NE(saved, other);
    LoadFrom(PathOf("round.fxp"));
    EXPECT_EQ(Program(), 9);
    EXPECT_EQ(ProgramChunk(), saved);
}

TEST_F(PresetFilesTest, LoadEndsWithTheWindowShowingTheNewProgram) {
    Set(0, 10 * kStep);
    Set(2, 0.125f);
    Set(13, 0.875f);
    Set(1, 2 * kStep);
    Set(PersonIndex(2, 0), 0.625f);
    char renamed[] = "Loaded Hall";
    Call(effSetProgramName, 0, 0, renamed);
    SaveAs(PathOf("shown"));
    SetProgram(1);  // back to the unchanged program 1 ...
    Set(2, 0.5f);
    host.Clear();
    LoadFrom(PathOf("shown.fxp"));  // ... which now takes the saved values
    EXPECT_EQ(Control(2)->getValue(), 0.125f);
    EXPECT_EQ(Control(13)->getValue(), 0.875f);
    EXPECT_EQ(Control(17)->getValue(), 0.625f);
    EXPECT_STREQ(static_cast<CTextEdit*>(Control(11))->getText(), "Loaded Hall");
    EXPECT_EQ(Title(Menu(8), 1), "Loaded Hall") << "the program menu shows the new name at once";
    EXPECT_EQ(Menu(7)->getValue(), 0.0f);
    EXPECT_GE(host.Count(audioMasterUpdateDisplay), 1) << "the program was re-applied";
}

TEST_F(PresetFilesTest, OldFormatFileIsConverted) {
    Bytes file(3032, 0);
    std::memcpy(file.data(), "CcnK", 4);
    float values[736] = {};
    values[0] = 30.0f;
    values[1] = 15.0f;
    values[2] = 0.25f;
    values[16 + 12 * 4 + 6] = 0.8125f;  // person 4's pan
    std::memcpy(file.data() + 60, values, sizeof values);  // the name stays empty
    WriteFile(PathOf("old.fxp"), file);
    LoadFrom(PathOf("old.fxp"));
    EXPECT_STREQ(engine->CurrentProgram().name, "Init");
    EXPECT_EQ(Get(0), 30.0f * 0.016666668f);
    EXPECT_EQ(Get(1), 0.5f);
    EXPECT_EQ(Get(2), 0.25f);
    EXPECT_EQ(Get(PersonIndex(4, 6)), 0.8125f);
    EXPECT_EQ(Get(12), 0.0f);
    EXPECT_EQ(Get(13), 0.5f);
}

TEST_F(PresetFilesTest, FilesOfAnyOtherLengthChangeNothing) {
    const Bytes before = ProgramChunk();
    SaveAs(PathOf("good"));
    const Bytes good = ReadFile(PathOf("good.fxp"));
    for (size_t size : {size_t{0}, size_t{59}, size_t{60}, size_t{3000}, size_t{3031}, size_t{3035}, size_t{3037}}) {
        Bytes broken(size, 0x7F);
        std::copy(good.begin(), good.begin() + std::min(size, good.size()), broken.begin());
        WriteFile(PathOf("broken.fxp"), broken);
        host.Clear();
        LoadFrom(PathOf("broken.fxp"));
        EXPECT_EQ(ProgramChunk(), before) << size;
        EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 0) << "nothing re-applied for " << size;
    }
    LoadFrom(PathOf("missing.fxp"));
    EXPECT_EQ(ProgramChunk(), before);
    SaveAs(PathOf("no/such/folder/x"));
    EXPECT_FALSE(std::filesystem::exists(PathOf("no")));
}

TEST_F(PresetFilesTest, CancelledSelectorDoesNothing) {
    const Bytes before = ProgramChunk();
    host.AnswerFileSelectorWith("");
    Pick(1);
    Pick(0);
    EXPECT_EQ(host.FileRequests().size(), 2u);
    EXPECT_EQ(ProgramChunk(), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 0);
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 0);
}

TEST_F(PresetFilesTest, SaveChangesNoControl) {
    float values[14];
    for (int i = 0; i < 14; ++i)
        values[i] = editor->GetControlForParameter(i) ? editor->GetControlForParameter(i)->getValue() : -1.0f;
    SaveAs(PathOf("quiet"));
    for (int i = 0; i < 14; ++i) {
        if (editor->GetControlForParameter(i)) {
            EXPECT_EQ(editor->GetControlForParameter(i)->getValue(), values[i]) << i;
        }
    }
    EXPECT_EQ(host.Count(audioMasterUpdateDisplay), 0);
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
    EXPECT_EQ(Control(2)->getValue(), Get(2));
    EXPECT_NE(Get(2), 0.0625f);
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
