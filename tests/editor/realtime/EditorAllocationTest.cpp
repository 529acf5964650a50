// A host may call setParameter and setProgram on its audio thread. With the window open, the
// editor's part of those calls must not touch the heap: every allocation in the process is counted
// while another thread automates.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "ProgramData.h"
#include "shell/EffectVST.h"
#include "toolkit/HeadlessPlatformFrame.h"

namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0}, gFrees{0};
void NoteAllocation() {
    if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
}
void NoteFree(const volatile void* p) {
    if (p != nullptr && gCounting.load(std::memory_order_relaxed)) gFrees.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// A sanitizer keeps its own allocator, which reports every block (new included) to these hooks.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
static const int gHooked = __sanitizer_install_malloc_and_free_hooks(
    [](const volatile void*, size_t) { NoteAllocation(); }, [](const volatile void* p) { NoteFree(p); });
#else
// The C allocator replaced; operator new comes here through malloc. Aligned blocks are counted in
// the sanitizer builds only.
extern "C" {
void* __libc_malloc(size_t);
void __libc_free(void*);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* malloc(size_t size) { return NoteAllocation(), __libc_malloc(size); }
void free(void* p) { NoteFree(p), __libc_free(p); }
void* calloc(size_t n, size_t size) { return NoteAllocation(), __libc_calloc(n, size); }
void* realloc(void* p, size_t size) { return NoteAllocation(), __libc_realloc(p, size); }
}
#endif

namespace {

// A host whose callback itself never allocates.
VstIntPtr QuietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

TEST(EditorAllocation, ParameterAndProgramCallsFromAnotherThreadNeverAllocate) {
    SetPlatformFrameFactory(HeadlessPlatformFrame::Create);
    AEffect* effect = CreateMurmurhallEffect(QuietHost);
    ASSERT_NE(effect, nullptr);
    auto call = [effect](VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
    };
    int parent = 0;
    ASSERT_EQ(call(effEditOpen, 0, &parent), 1);
    call(effEditIdle);

    // Every kind of change the editor reacts to: population, selection (relabelling and
    // re-targeting on the UI thread), the name slot, person values, program select and steps.
    std::thread([&] {
        gAllocations.store(0);
        gFrees.store(0);
        gCounting.store(true);
        for (int round = 0; round < 4; ++round) {
            effect->setParameter(effect, 0, 0.25f + 0.1f * static_cast<float>(round));
            effect->setParameter(effect, 1, 0.05f * static_cast<float>(round));
            for (int index = 2; index < kNumParams; ++index)
                if (index != 8 && index != 9 && index != 10 && index != 14)
                    effect->setParameter(effect, index, 0.001f * static_cast<float>(index % 1000));
            for (int index : {11, 8, 10, 9}) effect->setParameter(effect, index, index == 8 ? round / 24.0f : 0.0f);
            call(effSetProgram, round + 3);
        }
        gCounting.store(false);
    }).join();
    EXPECT_EQ(gAllocations.load(), 0);
    EXPECT_EQ(gFrees.load(), 0);

    EXPECT_EQ(call(effGetProgram), 6) << "the calls did take effect";

    // The counter works: the UI thread's own changes do allocate (the program list's rescan).
    gCounting.store(true);
    effect->setParameter(effect, 11, 0.0f);
    gCounting.store(false);
    EXPECT_GT(gAllocations.load(), 0);

    call(effEditClose);
    call(effClose);
    SetPlatformFrameFactory(nullptr);
}

}  // namespace
