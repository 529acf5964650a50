// The vector crowd kernel for AVX-512 (F): 16 people, or 16 frames of one person, per vector. Only
// this file's entry function is visible outside; everything compiled for AVX-512 stays inside it.
#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "engine/CrowdKernel.h"
#include "engine/MurmurhallPlug.h"

#pragma GCC push_options
#pragma GCC target("avx512f")
// GCC 12's AVX-512 intrinsics start from self-initialised "undefined" registers, which its own
// uninitialised-use analysis then reports at every use.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"

namespace {

#include "engine/CrowdKernelEntryPairs.h"
#include "engine/CrowdKernelTranspose8.h"

#include "engine/CrowdKernelAvx512Ops.h"

#include "engine/CrowdKernelVector.h"

}  // namespace

void RenderCrowdAvx512Frames(MurmurhallPlug& engine, const CrowdRun& run) { RenderCrowdVector(engine, run); }

#pragma GCC diagnostic pop
#pragma GCC pop_options
