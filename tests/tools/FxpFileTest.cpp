// Reading .fxp program files: the header's sizes must agree with the file, magics are checked.
#include <gtest/gtest.h>

#include <fstream>

#include "FxpBuilder.h"
#include "FxpFile.h"
#include "HostError.h"
#include "ScratchDir.h"

namespace {

std::string ParseError(const std::vector<uint8_t>& bytes) {
    try {
        FxpFile::Parse(bytes);
    } catch (const HostError& error) {
        return error.what();
    }
    return "";
}

FxpBuilder OpaqueOf(size_t chunkBytes) {
    FxpBuilder builder;
    builder.pluginId = 0x5A756271;
    builder.chunk.resize(chunkBytes);
    for (size_t i = 0; i < chunkBytes; ++i) builder.chunk[i] = static_cast<uint8_t>(i * 7);
    return builder;
}

TEST(FxpFileTest, OpaqueProgramOfTheUsualSize) {
    const FxpBuilder builder = OpaqueOf(2976);
    const std::vector<uint8_t> bytes = builder.Bytes();
    ASSERT_EQ(bytes.size(), 3036u);
    // The layout our plug-in's own files have: size field 3028, chunk size 2976.
    EXPECT_EQ(bytes[4] << 24 | bytes[5] << 16 | bytes[6] << 8 | bytes[7], 3028);
    EXPECT_EQ(bytes[56] << 24 | bytes[57] << 16 | bytes[58] << 8 | bytes[59], 2976);

    const FxpPreset preset = FxpFile::Parse(bytes);
    EXPECT_TRUE(preset.opaque);
    EXPECT_EQ(preset.pluginId, 0x5A756271);
    EXPECT_EQ(preset.pluginVersion, 1);
    EXPECT_EQ(preset.name, "Test Preset");
    EXPECT_EQ(preset.chunk, builder.chunk);
    EXPECT_TRUE(preset.params.empty());
}

TEST(FxpFileTest, OlderShorterRecordIsJustAnotherChunkSize) {
    const FxpPreset preset = FxpFile::Parse(OpaqueOf(2972).Bytes());
    EXPECT_EQ(preset.chunk.size(), 2972u);
}

TEST(FxpFileTest, LengthFieldsMustAgreeWithTheFile) {
    FxpBuilder builder = OpaqueOf(100);
    std::vector<uint8_t> cut = builder.Bytes();
    cut.pop_back();
    EXPECT_NE(ParseError(cut).find("cut short or padded"), std::string::npos);

    std::vector<uint8_t> padded = builder.Bytes();
    padded.push_back(0);
    EXPECT_NE(ParseError(padded).find("cut short or padded"), std::string::npos);

    builder.chunkSizeAdjust = -4;
    EXPECT_NE(ParseError(builder.Bytes()).find("chunk of 96 bytes, but 100 bytes follow"), std::string::npos);
    builder.chunkSizeAdjust = 0;
    builder.sizeAdjust = 1;
    EXPECT_NE(ParseError(builder.Bytes()), "");
}

TEST(FxpFileTest, MagicsAndKinds) {
    FxpBuilder builder = OpaqueOf(16);
    builder.chunkMagic = "CcnX";
    EXPECT_NE(ParseError(builder.Bytes()).find("CcnK"), std::string::npos);
    builder.chunkMagic = "CcnK";
    builder.kind = "FBCh";
    EXPECT_NE(ParseError(builder.Bytes()).find("bank file"), std::string::npos);
    builder.kind = "FxBk";
    EXPECT_NE(ParseError(builder.Bytes()).find("bank file"), std::string::npos);
    builder.kind = "Junk";
    EXPECT_NE(ParseError(builder.Bytes()).find("unknown preset kind \"Junk\""), std::string::npos);
}

TEST(FxpFileTest, TooShortAndEmptyFiles) {
    EXPECT_NE(ParseError({}), "");
    EXPECT_NE(ParseError({'C', 'c', 'n', 'K'}), "");
    std::vector<uint8_t> header = OpaqueOf(16).Bytes();
    header.resize(40);
    EXPECT_NE(ParseError(header).find("too short"), std::string::npos);
    EXPECT_NE(ParseError(OpaqueOf(0).Bytes()).find("empty chunk"), std::string::npos);
}

TEST(FxpFileTest, ParameterListIsReadBigEndian) {
    FxpBuilder builder;
    builder.kind = "FxCk";
    builder.params = {0.25f, 1.0f, 0.0f, 0.7f};
    builder.numElements = 4;
    const std::vector<uint8_t> bytes = builder.Bytes();
    ASSERT_EQ(bytes.size(), 56u + 16u);
    // 0.25f is 0x3E800000: big-endian on disk.
    EXPECT_EQ(bytes[56], 0x3E);
    EXPECT_EQ(bytes[57], 0x80);

    const FxpPreset preset = FxpFile::Parse(bytes);
    EXPECT_FALSE(preset.opaque);
    EXPECT_EQ(preset.params, builder.params);

    builder.numElements = 5;
    EXPECT_NE(ParseError(builder.Bytes()).find("gives 5 parameters"), std::string::npos);
}

TEST(FxpFileTest, FullNameFieldIsCutAtTwentySevenCharacters) {
    FxpBuilder builder = OpaqueOf(8);
    builder.name = std::string(40, 'n');  // fills all 28 bytes, no terminator
    EXPECT_EQ(FxpFile::Parse(builder.Bytes()).name, std::string(27, 'n'));
}

TEST(FxpFileTest, LoadNamesTheFileInItsErrors) {
    ScratchDir dir;
    const std::string missing = dir.Path("missing.fxp");
    try {
        FxpFile::Load(missing);
        FAIL() << "a missing file loaded";
    } catch (const HostError& error) {
        EXPECT_NE(std::string(error.what()).find(missing), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("No such file"), std::string::npos);
    }
    const std::string text = dir.Path("text.fxp");
    std::ofstream(text) << "hello, not a preset\n";
    EXPECT_THROW(FxpFile::Load(text), HostError);
    EXPECT_THROW(FxpFile::Load(dir.Root()), HostError);

    const std::string good = dir.Path("good.fxp");
    OpaqueOf(2976).WriteTo(good);
    EXPECT_EQ(FxpFile::Load(good).chunk.size(), 2976u);
}

TEST(FxpFileTest, FourCharacterCodes) {
    EXPECT_EQ(FxpFile::FourCC(0x5A756271), "Zubq");
    EXPECT_EQ(FxpFile::FourCC(0x00410A42), ".A.B");
}

}  // namespace
