#include "PeopleGenerator.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "PresetRandom.h"

namespace {

constexpr uint64_t kSeed = 0x4D75726D68616C6Cull;

// Drawn values never land on 0, 0.5 or 1: those are placed only by pins, so their counts are exact.
bool IsSpecial(int v) { return v == 0 || v == kHalf || v == kUnits; }

int DrawOnce(const Spread& spread, PresetRandom& random) {
    switch (spread.shape) {
        case Shape::Uniform:
            return spread.a + random.Below(spread.b - spread.a + 1);
        case Shape::Triangle:
            return spread.a - spread.b + random.Below(spread.b + 1) + random.Below(spread.b + 1);
        case Shape::Edges:
            return random.Below(2) == 0 ? random.Below(spread.a + 1) : kUnits - random.Below(spread.a + 1);
    }
    return kHalf;
}

int Draw(const Spread& spread, PresetRandom& random) {
    for (;;) {
        const int v = std::clamp(DrawOnce(spread, random), 0, kUnits);
        if (!IsSpecial(v)) return v;
    }
}

// The twin of a mirrored person: opposite side of the spectrum and of the stage.
int MirrorValue(int field, int v) { return field == kShift || field == kPan ? kUnits - v : v; }

}  // namespace

bool PeopleGenerator::Generate(const ProgramProfile& profile, int programIndex, PeopleTable& table,
                               std::string& error) const {
    // Hash the program number into the seed: SplitMix64 states that differ by a multiple of its
    // step are one stream shifted, and would give the programs each other's values.
    PresetRandom seeder(kSeed ^ (0xD1B54A32D192ED03ull * static_cast<uint64_t>(programIndex + 1)));
    PresetRandom random(seeder.Next());
    bool placed[kPeopleCount][kPersonFields] = {};  // fixed or pinned: not drawn

    for (PersonRow& row : table) {
        row.fill(0);
        row[kGain] = kHalf;
    }
    if (profile.mirrored && !profile.fixed.empty()) {
        error = "a mirrored program cannot have fixed rows";
        return false;
    }
    for (const FixedRow& fixed : profile.fixed) {
        for (int f = 0; f < kPersonFields; ++f) {
            table[fixed.person][f] = fixed.values[f];
            placed[fixed.person][f] = true;
        }
    }

    const int step = profile.mirrored ? 2 : 1;
    for (const Pin& pin : profile.pins) {
        int already = 0;
        std::vector<int> free;
        for (int p = 0; p < kPeopleCount; p += step) {
            if (placed[p][pin.field])
                already += table[p][pin.field] == pin.value ? 1 : 0;
            else
                free.push_back(p);
        }
        const int need = pin.count - already * step;
        if (need < 0 || need % step != 0 || need / step > static_cast<int>(free.size())) {
            error = "pin on field " + std::to_string(pin.field) + " cannot be met";
            return false;
        }
        for (int i = 0; i < need / step; ++i) {
            std::swap(free[i], free[i + random.Below(static_cast<int>(free.size()) - i)]);
            for (int p = free[i]; p < free[i] + step; ++p) {
                table[p][pin.field] = pin.value;
                placed[p][pin.field] = true;
            }
        }
    }

    for (int p = 0; p < kPeopleCount; p += step) {
        for (int f = 0; f < kDrawnFields; ++f) {
            if (!placed[p][f]) table[p][f] = Draw(profile.spread[f], random);
            if (profile.mirrored) table[p + 1][f] = MirrorValue(f, table[p][f]);
        }
        if (profile.mirrored) table[p + 1][kFlag] = table[p][kFlag];
    }
    return true;
}
