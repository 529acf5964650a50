// murmurhall-presetgen: writes the 24 factory program sources, source/presets/Preset00.cpp to
// Preset23.cpp. Run it once after changing a profile and commit its output; nothing else runs it.
//
//   ninja -C build murmurhall-presetgen && build/murmurhall-presetgen source/presets
//
// or, without CMake:
//
//   g++ -std=c++20 -O1 -ffp-contract=off tools/presetgen/*.cpp -o presetgen && ./presetgen source/presets
//
// The output is the same on every run: the generator has its own seeded random source.
#include <cstdio>
#include <fstream>
#include <string>

#include "PeopleGenerator.h"
#include "PresetSourceWriter.h"
#include "ProgramProfile.h"

namespace {

// How many of the 1440 people hold 0, 0.5 and 1 in each field, across the whole bank.
constexpr int kSpecialValues[3] = {0, kHalf, kUnits};
constexpr int kExpectedCounts[kPersonFields][3] = {
    {0, 42, 0},       // parPitchShift
    {263, 0, 104},    // parPitchModGain
    {40, 40, 40},     // parPitchModSpeed
    {163, 0, 23},     // parDelayTime
    {65, 0, 90},      // parDelayModGain
    {0, 40, 79},      // parDelayModSpeed
    {0, 0, 0},        // parPan
    {0, 1440, 0},     // parGain
    {1155, 1, 284},   // par00
};

bool CheckBank(const PeopleTable (&bank)[24]) {
    bool ok = true;
    for (int f = 0; f < kPersonFields; ++f) {
        for (int s = 0; s < 3; ++s) {
            int count = 0;
            for (const PeopleTable& table : bank)
                for (const PersonRow& row : table) count += row[f] == kSpecialValues[s] ? 1 : 0;
            if (count != kExpectedCounts[f][s]) {
                std::fprintf(stderr, "field %d value %d: %d people, expected %d\n", f, kSpecialValues[s], count,
                             kExpectedCounts[f][s]);
                ok = false;
            }
        }
    }
    for (const PeopleTable& table : bank)
        for (const PersonRow& row : table)
            for (int v : row)
                if (v < 0 || v > kUnits) ok = false;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder, normally source/presets>\n", argv[0]);
        return 2;
    }
    const auto& profiles = FactoryProfiles();
    if (profiles.size() != 24) {
        std::fprintf(stderr, "expected 24 profiles, have %zu\n", profiles.size());
        return 1;
    }
    static PeopleTable bank[24];
    const PeopleGenerator generator;
    for (int n = 0; n < 24; ++n) {
        std::string error;
        if (!generator.Generate(profiles[n], n, bank[n], error)) {
            std::fprintf(stderr, "program %d (%s): %s\n", n, profiles[n].name, error.c_str());
            return 1;
        }
    }
    if (!CheckBank(bank)) return 1;

    const PresetSourceWriter writer;
    for (int n = 0; n < 24; ++n) {
        char file[32];
        std::snprintf(file, sizeof file, "/Preset%02d.cpp", n);
        const std::string path = std::string(argv[1]) + file;
        std::ofstream out(path, std::ios::binary);
        out << writer.Write(profiles[n], n, bank[n]);
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
