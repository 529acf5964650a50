// The bundle's resources compiled into the plug-in, so a bare .so copied without its bundle still
// has its pictures and help text. Files in the bundle take precedence.
#pragma once

#include <cstddef>

struct EmbeddedResource {
    const unsigned char* data;
    size_t size;
};

// Any thread: the compiled-in copy of resources/<name>.<type>, or {nullptr, 0}.
EmbeddedResource FindEmbeddedResource(const char* name, const char* type);
// Tests: hide every compiled-in resource (to see what happens without them).
void SetEmbeddedResourcesEnabledForTesting(bool enabled);
