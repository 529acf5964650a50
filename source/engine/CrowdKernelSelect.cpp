// Run-time choice of the crowd kernel: the widest vector kernel the CPU (and the OS, for the
// wider registers) supports. The baseline kernel needs nothing beyond x86-64.
#include "engine/CrowdKernel.h"

namespace {

struct KernelTable {
    CrowdKernelEntry entries[3];
    int count = 0;
};

KernelTable BuildTable() {
    KernelTable table;
    table.entries[table.count++] = {"sse2", &RenderCrowdSse2, false};
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        table.entries[table.count++] = {"avx2", &RenderCrowdAvx2, true};
    if (__builtin_cpu_supports("avx512f"))
        table.entries[table.count++] = {"avx512frames", &RenderCrowdAvx512Frames, true};
    return table;
}

const KernelTable& Table() {
    static const KernelTable table = BuildTable();
    return table;
}

}  // namespace

std::span<const CrowdKernelEntry> SupportedCrowdKernels() {
    const KernelTable& table = Table();
    return {table.entries, static_cast<size_t>(table.count)};
}

CrowdKernelFn SelectCrowdKernel() { return SupportedCrowdKernels().back().kernel; }

const char* CrowdKernelName(CrowdKernelFn kernel) {
    if (kernel == &RenderCrowdSse2) return "sse2";
    if (kernel == &RenderCrowdAvx2) return "avx2";
    if (kernel == &RenderCrowdAvx512Frames) return "avx512frames";
    return "unknown";
}
