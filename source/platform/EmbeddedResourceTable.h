// The table of compiled-in resources, written by the build (cmake/EmbeddedResources.cmake) from the
// files of resources/. Only EmbeddedResources.cpp reads it.
#pragma once

#include <cstddef>

struct EmbeddedResourceEntry {
    const char* name;            // file name before the last '.'
    const char* type;            // after the last '.', empty when there is none
    const unsigned char* begin;  // the file's bytes
    const unsigned char* end;
};

extern const EmbeddedResourceEntry kEmbeddedResourceTable[];
extern const size_t kEmbeddedResourceCount;
