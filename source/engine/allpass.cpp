#include "engine/allpass.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/DiffuserLengths.h"

namespace {

constexpr size_t kAlignment = 16;
// Rounding (address + slack) down to 16 leaves at least slack - 15 bytes below the result for the
// block's address. The historic 20 fits an 8-byte pointer only because malloc's blocks are at
// least 4-aligned (the result then lands 8 to 20 bytes in); 15 + 8 needs no such assumption.
constexpr size_t kSlack = (kAlignment - 1) + sizeof(void*);

constexpr int kDefaultSize = 8192;

float* AllocateCleared(int size) {
    const size_t count = static_cast<size_t>(size) + 2;
    auto* block = static_cast<float*>(AlignMalloc(count * sizeof(float)));
    if (block) std::memset(block, 0, count * sizeof(float));
    return block;
}

}  // namespace

void* AlignMalloc(size_t bytes) {
    if (bytes > SIZE_MAX - kSlack) return nullptr;
    void* block = std::malloc(bytes + kSlack);
    if (!block) return nullptr;
    const uintptr_t aligned = (reinterpret_cast<uintptr_t>(block) + kSlack) & ~(kAlignment - 1);
    std::memcpy(reinterpret_cast<void*>(aligned - sizeof(void*)), &block, sizeof(void*));
    return reinterpret_cast<void*>(aligned);
}

void AlignFree(void* aligned) {
    if (!aligned) return;
    void* block;
    std::memcpy(&block, static_cast<char*>(aligned) - sizeof(void*), sizeof(void*));
    std::free(block);
}

allpass::allpass() : feedback(0.0f), buffer(nullptr), size(kDefaultSize), position(1), lastOutput(0.0f),
                     capacity(kDefaultSize), fallback{} {
    buffer = AllocateCleared(kDefaultSize);  // cleared: stale heap must never reach the output
    if (!buffer) {
        buffer = fallback;
        capacity = 1;
        size = 1;
        position = 0;
    }
}

allpass::~allpass() {
    if (buffer != fallback) AlignFree(buffer);
}

void allpass::Reserve(int maxSize) {
    if (maxSize > kMaxDiffuserLength) maxSize = kMaxDiffuserLength;  // no diffuser length exceeds it
    if (maxSize <= capacity) return;
    float* grown = AllocateCleared(maxSize);
    if (!grown) return;  // keep the old room; SetBuffer clamps to it
    // Carry the running delay over so a reserve between blocks does not cut the tail.
    std::memcpy(grown, buffer, (static_cast<size_t>(size) + 2) * sizeof(float));
    float* old = buffer;
    buffer = grown;
    capacity = maxSize;
    if (old != fallback) AlignFree(old);
}

void allpass::SetBuffer(int n) {
    if (n < 1) n = 1;  // very low rates give 0 samples
    if (n > capacity) n = capacity;
    size = n;
    position = (size > 1) ? 1 : 0;
    std::memset(buffer, 0, (static_cast<size_t>(size) + 2) * sizeof(float));
    lastOutput = 0.0f;
}

void allpass::mute() {
    std::memset(buffer, 0, (static_cast<size_t>(size) + 2) * sizeof(float));
    lastOutput = 0.0f;
}
