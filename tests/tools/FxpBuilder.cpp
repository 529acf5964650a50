#include "FxpBuilder.h"

#include <algorithm>
#include <cstring>
#include <fstream>

void FxpBuilder::PutBig(std::vector<uint8_t>& bytes, int32_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(bits >> shift));
}

std::vector<uint8_t> FxpBuilder::FloatBytes(const std::vector<float>& values) {
    std::vector<uint8_t> bytes(values.size() * sizeof(float));
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

std::vector<uint8_t> FxpBuilder::Bytes() const {
    const bool opaque = kind == "FPCh";
    std::vector<uint8_t> payload;
    if (opaque) {
        PutBig(payload, static_cast<int32_t>(chunk.size()) + chunkSizeAdjust);
        payload.insert(payload.end(), chunk.begin(), chunk.end());
    } else {
        for (float value : params) {
            uint32_t bits;
            std::memcpy(&bits, &value, sizeof bits);
            PutBig(payload, static_cast<int32_t>(bits));
        }
    }
    std::vector<uint8_t> bytes(chunkMagic.begin(), chunkMagic.end());
    PutBig(bytes, static_cast<int32_t>(48 + payload.size()) + sizeAdjust);
    bytes.insert(bytes.end(), kind.begin(), kind.end());
    PutBig(bytes, version);
    PutBig(bytes, pluginId);
    PutBig(bytes, pluginVersion);
    PutBig(bytes, numElements);
    // Up to all 28 bytes, so a test can leave the field without a terminator.
    char field[28] = {};
    std::memcpy(field, name.data(), std::min(name.size(), sizeof field));
    bytes.insert(bytes.end(), field, field + sizeof field);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

void FxpBuilder::WriteTo(const std::string& path) const {
    const std::vector<uint8_t> bytes = Bytes();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
