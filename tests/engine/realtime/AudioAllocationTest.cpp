// The audio path must never touch the heap: every allocation and release in the process is counted
// while the engine renders through program changes, population, solo and diffuser changes.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <new>

#include "EngineHarness.h"
#include "engine/DiffuserLengths.h"

namespace {

std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0}, gFrees{0};

void NoteAllocation() {
    if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
}
void NoteFree(void* p) {
    if (p != nullptr && gCounting.load(std::memory_order_relaxed)) gFrees.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

// The C allocator is replaced only without sanitizers: theirs must see every block.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define MH_COUNT_C_ALLOCATOR 1
extern "C" {
void* __libc_malloc(size_t);
void __libc_free(void*);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);

void* malloc(size_t size) { return NoteAllocation(), __libc_malloc(size); }
void free(void* p) { NoteFree(p), __libc_free(p); }
void* calloc(size_t n, size_t size) { return NoteAllocation(), __libc_calloc(n, size); }
void* realloc(void* p, size_t size) { return NoteAllocation(), __libc_realloc(p, size); }
void* memalign(size_t alignment, size_t size) { return NoteAllocation(), __libc_memalign(alignment, size); }
void* aligned_alloc(size_t alignment, size_t size) { return NoteAllocation(), __libc_memalign(alignment, size); }
int posix_memalign(void** out, size_t alignment, size_t size) {
    NoteAllocation();
    void* p = __libc_memalign(alignment, size);
    return p == nullptr ? ENOMEM : (*out = p, 0);
}
}
#endif

namespace {
void* CountedNew(size_t size, size_t alignment = 0) {
    NoteAllocation();
    void* p = alignment ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                        : std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void CountedDelete(void* p) {
    NoteFree(p);
    std::free(p);
}
}  // namespace

void* operator new(size_t size) { return CountedNew(size); }
void* operator new[](size_t size) { return CountedNew(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return std::malloc(size == 0 ? 1 : size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return std::malloc(size == 0 ? 1 : size); }
void* operator new(size_t size, std::align_val_t a) { return CountedNew(size, static_cast<size_t>(a)); }
void* operator new[](size_t size, std::align_val_t a) { return CountedNew(size, static_cast<size_t>(a)); }
void operator delete(void* p) noexcept { CountedDelete(p); }
void operator delete[](void* p) noexcept { CountedDelete(p); }
void operator delete(void* p, size_t) noexcept { CountedDelete(p); }
void operator delete[](void* p, size_t) noexcept { CountedDelete(p); }
void operator delete(void* p, std::align_val_t) noexcept { CountedDelete(p); }
void operator delete[](void* p, std::align_val_t) noexcept { CountedDelete(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { CountedDelete(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { CountedDelete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { CountedDelete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { CountedDelete(p); }

using namespace mhtest;

namespace {

void StartCounting() {
    gAllocations.store(0);
    gFrees.store(0);
    gCounting.store(true);
}
// {allocations, frees} since StartCounting.
std::pair<long, long> StopCounting() {
    gCounting.store(false);
    return {gAllocations.load(), gFrees.load()};
}

}  // namespace

TEST(AudioAllocation, RenderingThroughEveryKindOfChangeNeverAllocates) {
    // {block, parameter or -1 for a program change, value}: eight fades that reach their bottom.
    const float changes[][3] = {{0, -1, 3},   {30, kParPopulation, 0.9f}, {60, kParSelected, 0.1f}, {60, kParSolo, 1},
                                {90, kParSpread, 1}, {120, kParSpread, 0.3f}, {150, kParSpread, 0}, {150, kParSolo, 0},
                                {180, -1, 11}, {210, kParPopulation, 0}};
    for (float rate : {44100.0f, 48000.0f, 96000.0f, 192000.0f}) {
        // Constructed, rate handed over, diffuser room made, reset: which the counter must see (an
        // aligned operator new for the engine, the C allocator for the diffuser's blocks).
        StartCounting();
        auto engine = MakeEngine(rate);
        const auto [allocations, frees] = StopCounting();
#ifdef MH_COUNT_C_ALLOCATOR
        EXPECT_TRUE(allocations > 16 && frees > 0) << allocations << " " << frees;
#else
        EXPECT_GT(allocations, 0);
#endif
        constexpr int kBlock = 512;
        std::vector<float> inL = Noise(kBlock, 1), inR = Noise(kBlock, 2), outL(kBlock), outR(kBlock);
        float *inputs[2] = {inL.data(), inR.data()}, *outputs[2] = {outL.data(), outR.data()};
        int expected[2][8], atFullSpread[2][8] = {};
        ChooseDiffuserLengths(1.0f, rate, expected);
        int bottoms = 0;
        float lastStep = 0.0f;

        StartCounting();
        for (int block = 0; block < 240; ++block) {
            for (const auto& [at, index, value] : changes) {
                if (at != block) continue;
                if (index < 0) engine->setProgram(static_cast<int>(value));
                else engine->setParameter(static_cast<int>(index), value);
            }
            if (block == 119)  // the full spread, installed in silence at block 90's fade bottom
                for (int i = 0; i < 16; ++i) atFullSpread[i / 8][i % 8] = engine->diffuser[i / 8][i % 8].GetSize();
            // Ordinary automation on the way: a person's delay, pan and shift, and the wet gain.
            const int p = block % kNumPeople;
            engine->setParameter(PersonParam(p, kSlotDelayTime), (block % 7) / 7.0f);
            engine->setParameter(PersonParam(p, kSlotPan), (block % 5) / 5.0f);
            engine->setParameter(PersonParam(p, kSlotPitchShift), (block % 3) / 3.0f);
            engine->setParameter(kParWet, 0.3f + 0.01f * (block % 10));
            // A mono block now and then, like a host that switches its buffers.
            engine->DoProcessReplacing(inputs, outputs, block % 4 == 0 ? 1 : 2, 2, kBlock);
            const float step = engine->fFadeStep.load();
            bottoms += lastStep < 0.0f && step > 0.0f;
            lastStep = step;
        }
        EXPECT_EQ(StopCounting(), std::make_pair(0L, 0L)) << rate << ": {allocations, frees}";
        EXPECT_GE(bottoms, 8) << rate;
        for (int i = 0; i < 16; ++i) EXPECT_EQ(atFullSpread[i / 8][i % 8], expected[i / 8][i % 8]) << rate << " " << i;
        EXPECT_EQ(engine->fAllpassSpread, engine->bank.programs[11].parAllpassSpread) << "program 11 in force";
    }
    SetGlobalRate(44100.0f);
}
