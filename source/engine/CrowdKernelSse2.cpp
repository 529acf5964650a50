// The vector crowd kernel for the x86-64 baseline (SSE2): 4 people per vector; runs on every
// x86-64 CPU, so this file is compiled without any target option.
#include <emmintrin.h>

#include <cmath>
#include <cstdint>

#include "engine/CrowdKernel.h"
#include "engine/MurmurhallPlug.h"

namespace {

struct V {
    static constexpr int W = 4;
    using F = __m128;
    using I = __m128i;
    using M = __m128;  // all ones in a selected lane

    static F Load(const float* p) { return _mm_load_ps(p); }
    static void Store(float* p, F v) { _mm_store_ps(p, v); }
    static I Loadi(const int32_t* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }
    static void Storei(int32_t* p, I v) { _mm_store_si128(reinterpret_cast<__m128i*>(p), v); }
    static F Loadu(const float* p) { return _mm_loadu_ps(p); }
    static void Storeu(float* p, F v) { _mm_storeu_ps(p, v); }
    static I Shli3(I a) { return _mm_slli_epi32(a, 3); }
    static F Set1(float x) { return _mm_set1_ps(x); }
    static I Set1i(int32_t x) { return _mm_set1_epi32(x); }
    static F Add(F a, F b) { return _mm_add_ps(a, b); }
    static F Sub(F a, F b) { return _mm_sub_ps(a, b); }
    static F Mul(F a, F b) { return _mm_mul_ps(a, b); }
    static F Max(F a, F b) { return _mm_max_ps(a, b); }  // b when either is NaN
    static F Min(F a, F b) { return _mm_min_ps(a, b); }
    static I Cvtt(F a) { return _mm_cvttps_epi32(a); }
    static F Cvt(I a) { return _mm_cvtepi32_ps(a); }
    static I Subi(I a, I b) { return _mm_sub_epi32(a, b); }
    static I Andi(I a, I b) { return _mm_and_si128(a, b); }
    static M Lt(F a, F b) { return _mm_cmplt_ps(a, b); }
    static M Gt(F a, F b) { return _mm_cmpgt_ps(a, b); }
    static M Neq(F a, F b) { return _mm_cmpneq_ps(a, b); }
    static M Eq(F a, F b) { return _mm_cmpeq_ps(a, b); }
    static M Ge(F a, F b) { return _mm_cmpge_ps(a, b); }
    static M And(M a, M b) { return _mm_and_ps(a, b); }
    static M AndNot(M a, M b) { return _mm_andnot_ps(a, b); }
    static bool Any(M m) { return _mm_movemask_ps(m) != 0; }
    static F Select(M m, F a, F b) { return _mm_or_ps(_mm_and_ps(m, a), _mm_andnot_ps(m, b)); }
    static I Selecti(M m, I a, I b) { return _mm_castps_si128(Select(m, _mm_castsi128_ps(a), _mm_castsi128_ps(b))); }
    static M LanesBelow(int first, int count) {
        const I lane = _mm_add_epi32(_mm_set1_epi32(first), _mm_setr_epi32(0, 1, 2, 3));
        return _mm_castsi128_ps(_mm_cmpgt_epi32(_mm_set1_epi32(count), lane));
    }
    static M LaneIs(int first, int which) {
        const I lane = _mm_add_epi32(_mm_set1_epi32(first), _mm_setr_epi32(0, 1, 2, 3));
        return _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_set1_epi32(which), lane));
    }
    static float MaxLane(F a) {
        F m = _mm_max_ps(a, _mm_movehl_ps(a, a));
        m = _mm_max_ss(m, _mm_shuffle_ps(m, m, 1));
        return _mm_cvtss_f32(m);
    }
    static float Sum(F a) {
        F m = _mm_add_ps(a, _mm_movehl_ps(a, a));
        m = _mm_add_ss(m, _mm_shuffle_ps(m, m, 1));
        return _mm_cvtss_f32(m);
    }

    // The four line values of 4 people, one 16-byte load each (offsets in bytes), transposed.
    static F Entry(const char* line, uint32_t offset) {
        return _mm_loadu_ps(reinterpret_cast<const float*>(line + offset));
    }
    static void Taps(const char* line, const uint32_t* o, F& a0, F& b0, F& a1, F& b1) {
        const F r0 = Entry(line, o[0]);
        const F r1 = Entry(line, o[1]);
        const F r2 = Entry(line, o[2]);
        const F r3 = Entry(line, o[3]);
        const F t0 = _mm_unpacklo_ps(r0, r1);
        const F t1 = _mm_unpackhi_ps(r0, r1);
        const F t2 = _mm_unpacklo_ps(r2, r3);
        const F t3 = _mm_unpackhi_ps(r2, r3);
        a0 = _mm_movelh_ps(t0, t2);
        b0 = _mm_movehl_ps(t2, t0);
        a1 = _mm_movelh_ps(t1, t3);
        b1 = _mm_movehl_ps(t3, t1);
    }
};

#include "engine/CrowdKernelVector.h"

}  // namespace

void RenderCrowdSse2(MurmurhallPlug& engine, const CrowdRun& run) { RenderCrowdVector(engine, run); }
