// Builds .fxp file images for the tests: the big-endian header written field by field, so a
// test can get any one of them wrong on purpose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FxpBuilder {
    std::string chunkMagic = "CcnK";
    std::string kind = "FPCh";        // "FPCh" opaque chunk, "FxCk" parameter list
    int32_t version = 1;
    int32_t pluginId = 0;
    int32_t pluginVersion = 1;
    int32_t numElements = 1;          // parameter count for "FxCk"
    std::string name = "Test Preset";
    std::vector<uint8_t> chunk;       // "FPCh" payload
    std::vector<float> params;        // "FxCk" payload
    int32_t sizeAdjust = 0;           // added to the byte-size field at offset 4
    int32_t chunkSizeAdjust = 0;      // added to the chunk-size field at offset 56

    std::vector<uint8_t> Bytes() const;
    void WriteTo(const std::string& path) const;

    static void PutBig(std::vector<uint8_t>& bytes, int32_t value);
    static std::vector<uint8_t> FloatBytes(const std::vector<float>& values);  // little-endian image
};
