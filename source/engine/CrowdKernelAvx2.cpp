// The vector crowd kernel for AVX2: 8 people per vector. Only this file's entry function is
// visible outside; everything compiled for AVX2 stays inside it.
#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "engine/CrowdKernel.h"
#include "engine/MurmurhallPlug.h"

#pragma GCC push_options
#pragma GCC target("avx2")

namespace {

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
    static void Storeu(float* p, F v) { _mm256_storeu_ps(p, v); }
    static I Shli3(I a) { return _mm256_slli_epi32(a, 3); }
    static F Set1(float x) { return _mm256_set1_ps(x); }
    static I Set1i(int32_t x) { return _mm256_set1_epi32(x); }
    static F Add(F a, F b) { return _mm256_add_ps(a, b); }
    static F Sub(F a, F b) { return _mm256_sub_ps(a, b); }
    static F Mul(F a, F b) { return _mm256_mul_ps(a, b); }
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
    static M And(M a, M b) { return _mm256_and_ps(a, b); }
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

    // The four line values of 8 people, one 16-byte load each (offsets in bytes): register k holds
    // people k and 4 + k, and the in-lane transpose restores their order.
    static __m128 Entry(const char* line, uint32_t offset) {
        return _mm_loadu_ps(reinterpret_cast<const float*>(line + offset));
    }
    static F Gather2(const char* line, const uint32_t* o, int k) {
        return _mm256_insertf128_ps(_mm256_castps128_ps256(Entry(line, o[k])), Entry(line, o[4 + k]), 1);
    }
    static void Taps(const char* line, const uint32_t* o, F& a0, F& b0, F& a1, F& b1) {
        const F r0 = Gather2(line, o, 0);
        const F r1 = Gather2(line, o, 1);
        const F r2 = Gather2(line, o, 2);
        const F r3 = Gather2(line, o, 3);
        const F t0 = _mm256_unpacklo_ps(r0, r1);
        const F t1 = _mm256_unpackhi_ps(r0, r1);
        const F t2 = _mm256_unpacklo_ps(r2, r3);
        const F t3 = _mm256_unpackhi_ps(r2, r3);
        a0 = _mm256_shuffle_ps(t0, t2, 0x44);
        b0 = _mm256_shuffle_ps(t0, t2, 0xEE);
        a1 = _mm256_shuffle_ps(t1, t3, 0x44);
        b1 = _mm256_shuffle_ps(t1, t3, 0xEE);
    }
};

#include "engine/CrowdKernelVector.h"

}  // namespace

void RenderCrowdAvx2(MurmurhallPlug& engine, const CrowdRun& run) { RenderCrowdVector(engine, run); }

#pragma GCC pop_options
