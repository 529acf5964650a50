// A VST program file (.fxp): a big-endian header, then either an opaque chunk ("FPCh") or one
// big-endian float per parameter ("FxCk"). Bank files (.fxb) are recognised and refused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FxpPreset {
    bool opaque = false;         // true: `chunk` holds the bytes; false: `params` holds the values
    int32_t pluginId = 0;        // the unique ID of the plug-in that wrote it
    int32_t pluginVersion = 0;
    int32_t numElements = 0;     // header field at byte 24
    std::string name;            // program name, at most 27 characters
    std::vector<uint8_t> chunk;
    std::vector<float> params;
};

class FxpFile {
public:
    static constexpr size_t kHeaderSize = 60;       // opaque-chunk header, size field included
    static constexpr size_t kParamsOffset = 56;     // first parameter of a parameter list
    static constexpr size_t kMaxFileSize = 64u << 20;

    // Any thread: reads and checks a file. Throws HostError naming the file and the fault.
    static FxpPreset Load(const std::string& path);
    // Any thread: checks the bytes of a whole file: magics, and the length fields against the
    // real length. Throws HostError (without a file name) when they disagree.
    static FxpPreset Parse(const std::vector<uint8_t>& bytes);
    // Any thread: a four-character code as text, with unprintable bytes shown as '.'.
    static std::string FourCC(int32_t code);
};
