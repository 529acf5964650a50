// Turns a program profile into its 60 rows of person values (millionths), deterministically.
#pragma once

#include <array>
#include <string>

#include "ProgramProfile.h"

constexpr int kPeopleCount = 60;

using PersonRow = std::array<int, kPersonFields>;
using PeopleTable = std::array<PersonRow, kPeopleCount>;

class PeopleGenerator {
public:
    // Fails (returns false, with the reason) when the profile cannot be met, e.g. an odd pin
    // count in a mirrored program or a pin that asks for more people than are free.
    bool Generate(const ProgramProfile& profile, int programIndex, PeopleTable& table, std::string& error) const;
};
