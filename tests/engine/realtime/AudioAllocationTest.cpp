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
std::atomic<long> gAllocations{0};
std::atomic<long> gFrees{0};

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

void* malloc(size_t size) {
    NoteAllocation();
    return __libc_malloc(size);
}
void free(void* p) {
    NoteFree(p);
    __libc_free(p);
}
void* calloc(size_t n, size_t size) {
    NoteAllocation();
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t size) {
    NoteAllocation();
    return __libc_realloc(p, size);
}
void* memalign(size_t alignment, size_t size) {
    NoteAllocation();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    NoteAllocation();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    NoteAllocation();
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr) return ENOMEM;
    *out = p;
    return 0;
}
}
#endif

namespace {
void* CountedNew(size_t size) {
    NoteAllocation();
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void* CountedAlignedNew(size_t size, std::align_val_t alignment) {
    NoteAllocation();
    const size_t a = static_cast<size_t>(alignment);
    void* p = std::aligned_alloc(a, (size + a - 1) / a * a);
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
void* operator new(size_t size, std::align_val_t a) { return CountedAlignedNew(size, a); }
void* operator new[](size_t size, std::align_val_t a) { return CountedAlignedNew(size, a); }
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

struct Counted {
    long allocations;
    long frees;
};

class CountingRegion {
public:
    CountingRegion() {
        gAllocations.store(0);
        gFrees.store(0);
        gCounting.store(true);
    }
    Counted Stop() {
        gCounting.store(false);
        return {gAllocations.load(), gFrees.load()};
    }
    ~CountingRegion() { gCounting.store(false); }
};

}  // namespace

TEST(AudioAllocation, TheCounterSeesEveryKindOfAllocation) {
    CountingRegion region;
    void* plain = ::operator new(64);
    ::operator delete(plain);
    void* aligned = ::operator new(64, std::align_val_t{64});
    ::operator delete(aligned, std::align_val_t{64});
    const Counted counted = region.Stop();
#ifdef MH_COUNT_C_ALLOCATOR
    // Each operator new above goes through the counted C allocator too.
    EXPECT_EQ(counted.allocations, 4);
    EXPECT_EQ(counted.frees, 4);
    CountingRegion c;
    void* volatile block = std::malloc(32);
    std::free(block);
    void* volatile zeroed = std::calloc(4, 8);
    std::free(zeroed);
    const Counted cCounted = c.Stop();
    EXPECT_EQ(cCounted.allocations, 2);
    EXPECT_EQ(cCounted.frees, 2);
#else
    EXPECT_EQ(counted.allocations, 2);
    EXPECT_EQ(counted.frees, 2);
#endif
}

TEST(AudioAllocation, RenderingThroughEveryKindOfChangeNeverAllocates) {
    for (float rate : {44100.0f, 48000.0f, 96000.0f, 192000.0f}) {
        auto engine = MakeEngine(rate);  // constructed, rate handed over, diffuser room made, reset
        constexpr int kBlock = 512;
        constexpr int kBlocks = 240;  // enough for eight fades to reach their bottom and return
        std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
        for (int i = 0; i < kBlock; ++i) {
            inL[i] = 0.5f * std::sin(0.05f * i);
            inR[i] = 0.3f * std::cos(0.031f * i);
        }
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        int expected[2][8];
        ChooseDiffuserLengths(1.0f, rate, expected);
        int atFullSpread[2][8] = {};
        int bottoms = 0;
        float lastStep = 0.0f;
        bool finite = true;

        CountingRegion region;
        for (int block = 0; block < kBlocks; ++block) {
            switch (block) {
                case 0: engine->setProgram(3); break;
                case 30: engine->setParameter(kParPopulation, 0.9f); break;
                case 60:
                    engine->setParameter(kParSelected, 0.1f);
                    engine->setParameter(kParSolo, 1.0f);
                    break;
                case 90: engine->setParameter(kParSpread, 1.0f); break;
                case 119:
                    for (int b = 0; b < 2; ++b)
                        for (int k = 0; k < 8; ++k) atFullSpread[b][k] = engine->diffuser[b][k].GetSize();
                    break;
                case 120: engine->setParameter(kParSpread, 0.3f); break;
                case 150:
                    engine->setParameter(kParSpread, 0.0f);
                    engine->setParameter(kParSolo, 0.0f);
                    break;
                case 180: engine->setProgram(11); break;
                case 210: engine->setParameter(kParPopulation, 0.0f); break;
                default: break;
            }
            // Ordinary automation on the way: a person's delay, pan and shift.
            const int p = block % kNumPeople;
            engine->setParameter(PersonParam(p, kSlotDelayTime), (block % 7) / 7.0f);
            engine->setParameter(PersonParam(p, kSlotPan), (block % 5) / 5.0f);
            engine->setParameter(PersonParam(p, kSlotPitchShift), (block % 3) / 3.0f);
            engine->setParameter(kParWet, 0.3f + 0.01f * (block % 10));
            // A mono block now and then, like a host that switches its buffers.
            engine->DoProcessReplacing(inputs, outputs, block % 4 == 0 ? 1 : 2, 2, kBlock);
            finite = finite && std::isfinite(outL[kBlock - 1]) && std::isfinite(outR[kBlock - 1]);
            const float step = engine->fFadeStep.load();
            if (lastStep < 0.0f && step > 0.0f) ++bottoms;
            lastStep = step;
        }
        const Counted counted = region.Stop();

        EXPECT_EQ(counted.allocations, 0) << rate;
        EXPECT_EQ(counted.frees, 0) << rate;
        EXPECT_GE(bottoms, 8) << rate;
        EXPECT_TRUE(finite) << rate;
        for (int b = 0; b < 2; ++b)
            for (int k = 0; k < 8; ++k)
                EXPECT_EQ(atFullSpread[b][k], expected[b][k]) << rate << " bank " << b << " stage " << k;
        EXPECT_EQ(engine->fAllpassSpread, engine->bank.programs[11].parAllpassSpread) << "program 11 in force";
    }
    SetGlobalRate(44100.0f);
}
