// Formats one factory program as the C++ source of its writer function PresetNN.
#pragma once

#include <string>

#include "PeopleGenerator.h"
#include "ProgramProfile.h"

class PresetSourceWriter {
public:
    std::string Write(const ProgramProfile& profile, int programIndex, const PeopleTable& people) const;
};
