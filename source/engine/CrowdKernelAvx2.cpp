// The vector crowd kernel for AVX2 (with FMA): 8 people per vector. Only this file's entry function is
// visible outside; everything compiled for AVX2 stays inside it.
#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "engine/CrowdKernel.h"
#include "engine/MurmurhallPlug.h"

#pragma GCC push_options
#pragma GCC target("avx2,fma")

namespace {

#include "engine/CrowdKernelEntryPairs.h"
#include "engine/CrowdKernelTranspose8.h"

struct V {
    static constexpr int W = 8;
    using F = __m256;
    using I = __m256i;
    using M = __m256;  // all ones in a selected lane

    static F Load(const float* p) { return _mm256_load_ps(p); }
    static void Store(float* p, F v) { _mm256_store_ps(p, v); }
    static I Loadi(const int32_t* p) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(p)); }
    static void Storei(int32_t* p, I v) { _mm256_store_si256(reinterpret_cast<__m256i*>(p), v); }
    static F Loadu(const float* p) { return _mm256_loadu_ps(p); }
    static F LoadNext(const float* p, F) { return _mm256_loadu_ps(p + 1); }
    static F LoadPrevious(const float* p, F) { return _mm256_loadu_ps(p - 1); }
    static void Storeu(float* p, F v) { _mm256_storeu_ps(p, v); }
    static F Set1(float x) { return _mm256_set1_ps(x); }
    static I Set1i(int32_t x) { return _mm256_set1_epi32(x); }
    static F Add(F a, F b) { return _mm256_add_ps(a, b); }
    static F Sub(F a, F b) { return _mm256_sub_ps(a, b); }
    static F Mul(F a, F b) { return _mm256_mul_ps(a, b); }
    static F MulAdd(F a, F b, F c) { return _mm256_fmadd_ps(a, b, c); }  // a * b + c, rounded once
    static F Max(F a, F b) { return _mm256_max_ps(a, b); }  // b when either is NaN
    static F Min(F a, F b) { return _mm256_min_ps(a, b); }
    static I Cvtt(F a) { return _mm256_cvttps_epi32(a); }
    static F Cvt(I a) { return _mm256_cvtepi32_ps(a); }
    static I Subi(I a, I b) { return _mm256_sub_epi32(a, b); }
    static I Andi(I a, I b) { return _mm256_and_si256(a, b); }
    static M Lt(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
    static M Gt(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_GT_OQ); }
    static M Neq(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_NEQ_UQ); }
    static M Eq(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_EQ_OQ); }
    static M Ge(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_GE_OQ); }
    static M Eqi(I a, I b) { return _mm256_castsi256_ps(_mm256_cmpeq_epi32(a, b)); }
    static M Gti(I a, I b) { return _mm256_castsi256_ps(_mm256_cmpgt_epi32(a, b)); }
    static unsigned Bits(M m) { return static_cast<unsigned>(_mm256_movemask_ps(m)); }
    static M And(M a, M b) { return _mm256_and_ps(a, b); }
    static M Or(M a, M b) { return _mm256_or_ps(a, b); }
    static M AndNot(M a, M b) { return _mm256_andnot_ps(a, b); }
    static bool Any(M m) { return _mm256_movemask_ps(m) != 0; }
    static F Select(M m, F a, F b) { return _mm256_blendv_ps(b, a, m); }
    static I Selecti(M m, I a, I b) {
        return _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(b), _mm256_castsi256_ps(a), m));
    }
    static M LanesBelow(int first, int count) {
        const I lane = _mm256_add_epi32(_mm256_set1_epi32(first), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        return _mm256_castsi256_ps(_mm256_cmpgt_epi32(_mm256_set1_epi32(count), lane));
    }
    static M LaneIs(int first, int which) {
        const I lane = _mm256_add_epi32(_mm256_set1_epi32(first), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        return _mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_set1_epi32(which), lane));
    }
    static float MaxLane(F a) {
        __m128 m = _mm_max_ps(_mm256_castps256_ps128(a), _mm256_extractf128_ps(a, 1));
        m = _mm_max_ps(m, _mm_movehl_ps(m, m));
        m = _mm_max_ss(m, _mm_shuffle_ps(m, m, 1));
        return _mm_cvtss_f32(m);
    }
    static float Sum(F a) {
        __m128 m = _mm_add_ps(_mm256_castps256_ps128(a), _mm256_extractf128_ps(a, 1));
        m = _mm_add_ps(m, _mm_movehl_ps(m, m));
        m = _mm_add_ss(m, _mm_shuffle_ps(m, m, 1));
        return _mm_cvtss_f32(m);
    }

    // Entries e and e + 1 of a line for people 0, 1 and 4, 5, a pair per 128-bit lane; Even and
    // Odd split two such vectors lane by lane.
    static F Pairs(const float* line, const int32_t* e) {
        return _mm256_insertf128_ps(_mm256_castps128_ps256(EntryPairs(line, e[0], e[1])), EntryPairs(line, e[4], e[5]),
                                    1);
    }
    static F Even(F a, F b) { return _mm256_shuffle_ps(a, b, 0x88); }
    static F Odd(F a, F b) { return _mm256_shuffle_ps(a, b, 0xDD); }

    // Rows s0..s0+7, lanes first..first+7, become one 8-frame column per person.
    static void Transpose(const float (*rows)[kCrowdLanes], int s0, int first, float (*columns)[W]) {
        TransposeEightByEight<W>(rows, s0, first, columns[first]);
    }
};

#include "engine/CrowdKernelVector.h"

}  // namespace

void RenderCrowdAvx2(MurmurhallPlug& engine, const CrowdRun& run) { RenderCrowdVector(engine, run); }

#pragma GCC pop_options
