#include "FxpFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "HostError.h"

namespace {

constexpr int32_t Code(const char (&text)[5]) {
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
                                static_cast<uint32_t>(static_cast<unsigned char>(text[3])));
}

int32_t ReadBig(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<int32_t>((static_cast<uint32_t>(bytes[offset]) << 24) |
                                (static_cast<uint32_t>(bytes[offset + 1]) << 16) |
                                (static_cast<uint32_t>(bytes[offset + 2]) << 8) |
                                static_cast<uint32_t>(bytes[offset + 3]));
}

float ReadBigFloat(const std::vector<uint8_t>& bytes, size_t offset) {
    const uint32_t bits = static_cast<uint32_t>(ReadBig(bytes, offset));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string Number(size_t value) { return std::to_string(value); }

}  // namespace

std::string FxpFile::FourCC(int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char c = static_cast<unsigned char>(static_cast<uint32_t>(code) >> shift);
        text += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '.';
    }
    return text;
}

FxpPreset FxpFile::Parse(const std::vector<uint8_t>& bytes) {
    const size_t length = bytes.size();
    if (length >= 4 && ReadBig(bytes, 0) != Code("CcnK")) {
        throw HostError("not a VST preset file (it does not start with \"CcnK\")");
    }
    if (length < kParamsOffset) {
        throw HostError("too short for a VST preset file (" + Number(length) + " bytes, the header alone is " +
                        Number(kParamsOffset) + ")");
    }
    const int32_t declared = ReadBig(bytes, 4);
    if (declared < 0 || static_cast<size_t>(declared) != length - 8) {
        throw HostError("the header gives a size of " + std::to_string(declared) + " bytes after byte 8, but the file has " +
                        Number(length - 8) + ": the file is cut short or padded");
    }
    const int32_t kind = ReadBig(bytes, 8);
    if (kind == Code("FBCh") || kind == Code("FxBk")) {
        throw HostError("this is a bank file (\"" + FourCC(kind) + "\"), not a single program");
    }
    FxpPreset preset;
    preset.pluginId = ReadBig(bytes, 16);
    preset.pluginVersion = ReadBig(bytes, 20);
    preset.numElements = ReadBig(bytes, 24);
    // 28 bytes of name; a writer that filled all of them left no terminator, so cut at 27.
    const char* name = reinterpret_cast<const char*>(bytes.data() + 28);
    preset.name.assign(name, strnlen(name, 27));

    if (kind == Code("FPCh")) {
        if (length < kHeaderSize) {
            throw HostError("too short for an opaque program file (" + Number(length) + " bytes, the header is " +
                            Number(kHeaderSize) + ")");
        }
        const int32_t chunkSize = ReadBig(bytes, 56);
        if (chunkSize < 0 || static_cast<size_t>(chunkSize) != length - kHeaderSize) {
            throw HostError("the header gives a chunk of " + std::to_string(chunkSize) + " bytes, but " +
                            Number(length - kHeaderSize) + " bytes follow the header");
        }
        if (chunkSize == 0) {
            throw HostError("the preset holds an empty chunk");
        }
        preset.opaque = true;
        preset.chunk.assign(bytes.begin() + kHeaderSize, bytes.end());
        return preset;
    }
    if (kind == Code("FxCk")) {
        const int32_t count = preset.numElements;
        if (count < 0 || (length - kParamsOffset) % 4 != 0 || static_cast<size_t>(count) != (length - kParamsOffset) / 4) {
            throw HostError("the header gives " + std::to_string(count) + " parameters, but " +
                            Number(length - kParamsOffset) + " bytes of values follow it");
        }
        preset.params.reserve(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            preset.params.push_back(ReadBigFloat(bytes, kParamsOffset + 4 * static_cast<size_t>(i)));
        }
        return preset;
    }
    throw HostError("unknown preset kind \"" + FourCC(kind) + "\" (expected \"FPCh\" or \"FxCk\")");
}

FxpPreset FxpFile::Load(const std::string& path) {
    const auto fail = [&path](const std::string& why) { return HostError("preset '" + path + "': " + why); };
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        throw fail(std::strerror(errno));
    }
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        if (bytes.size() + got > kMaxFileSize) {
            throw fail("larger than " + Number(kMaxFileSize >> 20) + " MB; not a program file");
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    if (std::ferror(file.get())) {
        throw fail(std::string("read error: ") + std::strerror(errno));
    }
    try {
        return Parse(bytes);
    } catch (const HostError& error) {
        throw fail(error.what());
    }
}
