// The vector crowd kernel for the x86-64 baseline (SSE2): 4 people per vector; runs on every
// x86-64 CPU, so this file is compiled without any target option.
#include <emmintrin.h>

#include <cmath>
#include <cstdint>

#include "engine/CrowdKernel.h"
#include "engine/MurmurhallPlug.h"

namespace {

#include "engine/CrowdKernelEntryPairs.h"
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
    static F LoadNext(const float* p, F) { return _mm_loadu_ps(p + 1); }
    static F LoadPrevious(const float* p, F) { return _mm_loadu_ps(p - 1); }
    static void Storeu(float* p, F v) { _mm_storeu_ps(p, v); }
    static F Set1(float x) { return _mm_set1_ps(x); }
    static I Set1i(int32_t x) { return _mm_set1_epi32(x); }
    static F Add(F a, F b) { return _mm_add_ps(a, b); }
    static F Sub(F a, F b) { return _mm_sub_ps(a, b); }
    static F Mul(F a, F b) { return _mm_mul_ps(a, b); }
    static F MulAdd(F a, F b, F c) { return _mm_add_ps(_mm_mul_ps(a, b), c); }  // a * b + c, rounded twice
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
    static M Eqi(I a, I b) { return _mm_castsi128_ps(_mm_cmpeq_epi32(a, b)); }
    static M Gti(I a, I b) { return _mm_castsi128_ps(_mm_cmpgt_epi32(a, b)); }
    static unsigned Bits(M m) { return static_cast<unsigned>(_mm_movemask_ps(m)); }
    static M And(M a, M b) { return _mm_and_ps(a, b); }
    static M Or(M a, M b) { return _mm_or_ps(a, b); }
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

    // Entries e and e + 1 of a line for people 0, 1 (e[0], e[1]); Even and Odd split two such
    // vectors into the entries of four people and the entries after them.
    static F Pairs(const float* line, const int32_t* e) { return EntryPairs(line, e[0], e[1]); }
    static F Even(F a, F b) { return _mm_shuffle_ps(a, b, 0x88); }
    static F Odd(F a, F b) { return _mm_shuffle_ps(a, b, 0xDD); }

    // Rows s0..s0+3, lanes first..first+3, become one 4-frame column per person.
    static void Transpose(const float (*rows)[kCrowdLanes], int s0, int first, float (*columns)[W]) {
        F r0 = _mm_load_ps(rows[s0] + first);
        F r1 = _mm_load_ps(rows[s0 + 1] + first);
        F r2 = _mm_load_ps(rows[s0 + 2] + first);
        F r3 = _mm_load_ps(rows[s0 + 3] + first);
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        _mm_store_ps(columns[first], r0);
        _mm_store_ps(columns[first + 1], r1);
        _mm_store_ps(columns[first + 2], r2);
        _mm_store_ps(columns[first + 3], r3);
    }
};

#include "engine/CrowdKernelVector.h"

}  // namespace

void RenderCrowdSse2(MurmurhallPlug& engine, const CrowdRun& run) { RenderCrowdVector(engine, run); }
