#include "platform/EmbeddedResources.h"

#include <atomic>
#include <cstring>

#include "platform/EmbeddedResourceTable.h"

namespace {

std::atomic<bool> gEnabled{true};

}  // namespace

EmbeddedResource FindEmbeddedResource(const char* name, const char* type) {
    if (name == nullptr || !gEnabled.load(std::memory_order_relaxed)) return {nullptr, 0};
    if (type == nullptr) type = "";
    for (size_t i = 0; i < kEmbeddedResourceCount; ++i) {
        const EmbeddedResourceEntry& entry = kEmbeddedResourceTable[i];
        if (std::strcmp(entry.name, name) == 0 && std::strcmp(entry.type, type) == 0)
            return {entry.begin, static_cast<size_t>(entry.end - entry.begin)};
    }
    return {nullptr, 0};
}

void SetEmbeddedResourcesEnabledForTesting(bool enabled) { gEnabled.store(enabled, std::memory_order_relaxed); }
