// Reading .fxp program files: the header's sizes must agree with the file, magics are checked.
#include <cstring>

#include "FxpFile.h"
#include "HostError.h"
#include "HostTestKit.h"

namespace {

using namespace hosttest;

std::string ParseError(const Bytes& bytes) {
    try {
        FxpFile::Parse(bytes);
    } catch (const HostError& error) {
        return error.what();
    }
    return "(accepted)";
}

TEST(FxpFileTest, OpaqueChunkAndParameterListAreRead) {
    Bytes chunk(2976);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(i * 7);
    const Bytes bytes = FxpImage(0x5A756271, chunk);
    // The layout of our plug-in's own files: 3028 bytes after the size field, a 2976-byte chunk.
    ASSERT_EQ(bytes.size(), 3036u);
    EXPECT_EQ(Bytes(bytes.begin() + 4, bytes.begin() + 8), (Bytes {0, 0, 0x0B, 0xD4}));
    EXPECT_EQ(Bytes(bytes.begin() + 56, bytes.begin() + 60), (Bytes {0, 0, 0x0B, 0xA0}));
    const FxpPreset preset = FxpFile::Parse(bytes);
    EXPECT_EQ(std::make_tuple(preset.opaque, preset.pluginId, preset.pluginVersion, preset.name, preset.params.empty()),
              std::make_tuple(true, 0x5A756271, 1, std::string("Test Preset"), true));
    EXPECT_EQ(preset.chunk, chunk);

    const Bytes list = FxpImage(0, {}, {0.25f, 1.0f, 0.0f, 0.7f}, std::string(40, 'n'));
    EXPECT_EQ(Bytes(list.begin() + 56, list.begin() + 58), (Bytes {0x3E, 0x80}));  // 0.25f, big-endian on disk
    const FxpPreset values = FxpFile::Parse(list);
    // A full name field has no terminator.
    EXPECT_EQ(std::tie(values.opaque, values.params, values.name),
              std::make_tuple(false, std::vector<float> {0.25f, 1.0f, 0.0f, 0.7f}, std::string(27, 'n')));
    EXPECT_EQ(FxpFile::FourCC(0x5A756271) + FxpFile::FourCC(0x00410A42), "Zubq.A.B");  // unprintable as '.'
}

TEST(FxpFileTest, MalformedFilesAreRefused) {
    const auto with = [](Bytes bytes, size_t at, const std::string& text, long resize = 0) {
        std::memcpy(&bytes[at], text.data(), text.size());
        bytes.resize(static_cast<size_t>(std::ssize(bytes) + resize));
        return bytes;
    };
    const Bytes good = FxpImage(1, Bytes(100, 1));
    const std::pair<Bytes, const char*> cases[] = {
        {with(good, 3, "X"), "does not start with \"CcnK\""},
        {with(good, 8, "FBCh"), "bank file"},
        {with(good, 8, "FxBk"), "bank file"},
        {with(good, 8, "Junk"), "unknown preset kind \"Junk\""},
        {with(good, 0, "", -1), "cut short or padded"},
        {with(good, 0, "", 1), "cut short or padded"},
        {with(good, 7, "\x99"), "cut short or padded"},  // 153 bytes after the size field, not 152
        {with(good, 59, "\x60"), "chunk of 96 bytes, but 100 bytes follow"},
        {with(good, 0, "", 40 - 160), "too short"},
        {{}, "too short"},
        {{'C', 'c', 'n', 'K'}, "too short"},
        {FxpImage(1, {}), "empty chunk"},
        {with(FxpImage(1, {}, {0.5f, 0.5f}), 27, "\x03"), "gives 3 parameters"},
    };
    for (const auto& [bytes, reason] : cases) EXPECT_TRUE(Has(ParseError(bytes), reason)) << ParseError(bytes);
}

}  // namespace
