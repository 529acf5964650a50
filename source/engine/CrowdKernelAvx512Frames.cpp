// The AVX-512 (F) crowd kernel that taps over frames: when the lines of a batch are written first
// and nobody fades, a person's reads in 16 consecutive frames are nearly always 16 consecutive line
// entries, which come in as two vector loads per line, lanes being frames. The
// people are summed in order, as the per-sample order of steps does. Everything else (and every other
// batch) is the shared vector kernel's, with 16 people per vector.
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

#include "engine/CrowdKernelAvx512Ops.h"

#include "engine/CrowdKernelVector.h"

constexpr int kBlock = 16;  // frames per tap block: one vector

// Four columns (c0..c0+3) of 16 rows. Register r starts as the 16-byte pieces of rows r, 4 + r,
// 8 + r, 12 + r (loads and half inserts, measured cheaper than a full 16x16 shuffle transpose);
// an in-lane 4x4 transpose then leaves rows 0-15 of one column in each.
[[gnu::always_inline]] inline __m512 RowPieces(const float (*rows)[kCrowdLanes], int s0, int column, int r) {
    const __m256 low = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_load_ps(rows[s0 + r] + column)),
                                            _mm_load_ps(rows[s0 + 4 + r] + column), 1);
    const __m256 high = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_load_ps(rows[s0 + 8 + r] + column)),
                                             _mm_load_ps(rows[s0 + 12 + r] + column), 1);
    return _mm512_castpd_ps(
        _mm512_insertf64x4(_mm512_castps_pd(_mm512_castps256_ps512(low)), _mm256_castps_pd(high), 1));
}

[[gnu::always_inline]] inline void TransposeQuarter(const float (*rows)[kCrowdLanes], int s0, int column,
                                                    float (*columns)[kBlock]) {
    const __m512 x0 = RowPieces(rows, s0, column, 0);
    const __m512 x1 = RowPieces(rows, s0, column, 1);
    const __m512 x2 = RowPieces(rows, s0, column, 2);
    const __m512 x3 = RowPieces(rows, s0, column, 3);
    const __m512 t0 = _mm512_unpacklo_ps(x0, x1);
    const __m512 t1 = _mm512_unpackhi_ps(x0, x1);
    const __m512 t2 = _mm512_unpacklo_ps(x2, x3);
    const __m512 t3 = _mm512_unpackhi_ps(x2, x3);
    _mm512_store_ps(columns[column], _mm512_shuffle_ps(t0, t2, 0x44));
    _mm512_store_ps(columns[column + 1], _mm512_shuffle_ps(t0, t2, 0xEE));
    _mm512_store_ps(columns[column + 2], _mm512_shuffle_ps(t1, t3, 0x44));
    _mm512_store_ps(columns[column + 3], _mm512_shuffle_ps(t1, t3, 0xEE));
}

// One block's per-person values, frames along the lanes.
struct BlockColumns {
    alignas(64) float shiftSin[kCrowdLanes][kBlock];
    alignas(64) float shiftCos[kCrowdLanes][kBlock];
    alignas(64) float delay[kCrowdLanes][kBlock];
};

// Rows s0..s0+15 of people first..first+15 become one 16-frame column per person.
[[gnu::always_inline]] inline void TransposeInto(const float (*rows)[kCrowdLanes], int s0, int first,
                                                 float (*columns)[kBlock]) {
#pragma GCC unroll 4
    for (int c = 0; c < 16; c += 4) TransposeQuarter(rows, s0, first + c, columns);
}

// Transposes the block's rows for people of groups firstGroup..lastGroup and returns a bit per
// person whose whole delay holds through the block with a run of reads that does not wrap.
inline uint64_t PrepareColumns(const CrowdScratch& scratch, int s0, int position, int firstGroup, int lastGroup,
                               BlockColumns& cols) {
    uint64_t steady = 0;
    for (int k = firstGroup; k <= lastGroup; ++k) {
        const int first = k * V::W;
        TransposeInto(scratch.shiftSin, s0, first, cols.shiftSin);
        TransposeInto(scratch.shiftCos, s0, first, cols.shiftCos);
        TransposeInto(scratch.delay, s0, first, cols.delay);
        const __m512i whole = _mm512_cvttps_epi32(_mm512_load_ps(scratch.delay[s0] + first));
        __mmask16 same = 0xFFFF;
        for (int f = 1; f < kBlock; ++f)
            same = _mm512_mask_cmpeq_epi32_mask(
                same, whole, _mm512_cvttps_epi32(_mm512_load_ps(scratch.delay[s0 + f] + first)));
        // A run reads entries i..i+16: the guard entry kLineSize but no further.
        const __m512i base = _mm512_and_si512(_mm512_sub_epi32(_mm512_set1_epi32(position), whole),
                                              _mm512_set1_epi32(kLineMask));
        same = _mm512_mask_cmple_epu32_mask(same, base, _mm512_set1_epi32(kLineSize - kBlock));
        steady |= static_cast<uint64_t>(same) << first;
    }
    return steady;
}

// y for 16 frames of one person reading entries i..i+16 of one channel's A and B lines. With
// kStepped, the frames in `later` read one entry earlier (step 1) or later (step -1): the whole
// delay stepped once inside the block.
template <bool kStepped>
[[gnu::always_inline]] inline __m512 FramesTap(const float* lineA, const float* lineB, uint32_t i, __m512 sn,
                                               __m512 cs, __m512 frac, __mmask16 later, int step) {
    __m512 a0 = _mm512_loadu_ps(lineA + i);
    __m512 a1 = _mm512_loadu_ps(lineA + i + 1);
    __m512 b0 = _mm512_loadu_ps(lineB + i);
    __m512 b1 = _mm512_loadu_ps(lineB + i + 1);
    if constexpr (kStepped) {
        if (step > 0) {
            a1 = _mm512_mask_blend_ps(later, a1, a0);
            a0 = _mm512_mask_blend_ps(later, a0, _mm512_loadu_ps(lineA + i - 1));
            b1 = _mm512_mask_blend_ps(later, b1, b0);
            b0 = _mm512_mask_blend_ps(later, b0, _mm512_loadu_ps(lineB + i - 1));
        } else {
            a0 = _mm512_mask_blend_ps(later, a0, a1);
            a1 = _mm512_mask_blend_ps(later, a1, _mm512_loadu_ps(lineA + i + 2));
            b0 = _mm512_mask_blend_ps(later, b0, b1);
            b1 = _mm512_mask_blend_ps(later, b1, _mm512_loadu_ps(lineB + i + 2));
        }
    }
    const __m512 y1 = _mm512_add_ps(_mm512_mul_ps(cs, b1), _mm512_mul_ps(sn, a1));
    const __m512 y0 = _mm512_add_ps(_mm512_mul_ps(cs, b0), _mm512_mul_ps(sn, a0));
    return _mm512_add_ps(y1, _mm512_mul_ps(frac, _mm512_sub_ps(y0, y1)));
}

// The same read for one frame, for a person whose block does not read in order.
inline float FrameTap(const float* lineA, const float* lineB, uint32_t i, float sn, float cs, float frac) {
    const float y1 = cs * lineB[i + 1] + sn * lineA[i + 1];
    const float y0 = cs * lineB[i] + sn * lineA[i];
    return y1 + frac * (y0 - y1);
}

// Step 4 for frames s0..s0+15 of a batch whose lines are all written and in which nobody fades:
// people pBegin..pEnd-1, summed in order, each with its gains of row 0. Frame f of a person reads
// entry position(f) - whole(f); while the whole delay holds, those are consecutive entries, one
// vector load; when it steps once inside the block, two such runs, each frame keeping its own.
template <int kChannels>
void TapBlock(const MurmurhallPlug& engine, CrowdScratch& scratch, BlockColumns& cols, int s0, int writePos,
              int pBegin, int pEnd) {
    const float* lineA0 = engine.fLine[0][0];
    const float* lineB0 = engine.fLine[0][1];
    const float* lineA1 = engine.fLine[kChannels - 1][0];
    const float* lineB1 = engine.fLine[kChannels - 1][1];
    const int position = (writePos + s0) & kLineMask;  // frame s0's write entry
    __m512 sum0 = _mm512_setzero_ps();
    __m512 sum1 = _mm512_setzero_ps();
    if (pBegin >= pEnd) {
        _mm512_store_ps(scratch.wet[0] + s0, sum0);
        if constexpr (kChannels == 2) _mm512_store_ps(scratch.wet[1] + s0, sum1);
        return;
    }
    const uint64_t steady = PrepareColumns(scratch, s0, position, pBegin / V::W, (pEnd - 1) / V::W, cols);
    const uint64_t heard = (pEnd == 64 ? ~uint64_t{0} : (uint64_t{1} << pEnd) - 1) & ~((uint64_t{1} << pBegin) - 1);
    // The steady people first, then the rest: one predictable branch per group of people rather
    // than one per person (only the order of summing the people changes).
    for (uint64_t m = steady & heard; m != 0; m &= m - 1) {
        const int p = __builtin_ctzll(m);
        const __m512 d = _mm512_load_ps(cols.delay[p]);
        const __m512 frac = _mm512_sub_ps(d, _mm512_cvtepi32_ps(_mm512_cvttps_epi32(d)));
        const __m512 sn = _mm512_load_ps(cols.shiftSin[p]);
        const __m512 cs = _mm512_load_ps(cols.shiftCos[p]);
        const uint32_t base = static_cast<uint32_t>(position - static_cast<int>(cols.delay[p][0])) & kLineMask;
        sum0 = _mm512_add_ps(sum0, _mm512_mul_ps(_mm512_set1_ps(scratch.gain[0][0][p]),
                                                 FramesTap<false>(lineA0, lineB0, base, sn, cs, frac, 0, 0)));
        if constexpr (kChannels == 2)
            sum1 = _mm512_add_ps(sum1, _mm512_mul_ps(_mm512_set1_ps(scratch.gain[1][0][p]),
                                                     FramesTap<false>(lineA1, lineB1, base, sn, cs, frac, 0, 0)));
    }
    for (uint64_t m = ~steady & heard; m != 0; m &= m - 1) {
        const int p = __builtin_ctzll(m);
        const float g0 = scratch.gain[0][0][p];
        const float g1 = scratch.gain[1][0][p];
        const __m512 d = _mm512_load_ps(cols.delay[p]);
        const __m512i whole = _mm512_cvttps_epi32(d);
        const __m512 frac = _mm512_sub_ps(d, _mm512_cvtepi32_ps(whole));
        const __m512 sn = _mm512_load_ps(cols.shiftSin[p]);
        const __m512 cs = _mm512_load_ps(cols.shiftCos[p]);
        const int firstWhole = static_cast<int>(cols.delay[p][0]);
        const int lastWhole = static_cast<int>(cols.delay[p][kBlock - 1]);
        const __mmask16 onFirst = _mm512_cmpeq_epi32_mask(whole, _mm512_set1_epi32(firstWhole));
        const __mmask16 onLast = _mm512_cmpeq_epi32_mask(whole, _mm512_set1_epi32(lastWhole));
        const uint32_t base = static_cast<uint32_t>(position - firstWhole) & kLineMask;
        const uint32_t alt = static_cast<uint32_t>(position - lastWhole) & kLineMask;
        const bool fits = base <= kLineSize - kBlock && alt <= kLineSize - kBlock;
        const int step = lastWhole - firstWhole;
        if ((onFirst | onLast) == 0xFFFF && (step == 1 || step == -1) && fits) {
            const __mmask16 later = static_cast<__mmask16>(~onFirst);
            sum0 = _mm512_add_ps(sum0, _mm512_mul_ps(_mm512_set1_ps(g0),
                                                     FramesTap<true>(lineA0, lineB0, base, sn, cs, frac, later, step)));
            if constexpr (kChannels == 2)
                sum1 = _mm512_add_ps(
                    sum1, _mm512_mul_ps(_mm512_set1_ps(g1), FramesTap<true>(lineA1, lineB1, base, sn, cs, frac, later, step)));
            continue;
        }
        // Rare: the whole delay steps by more than one, or a run would wrap round the ring.
        alignas(64) float acc0[kBlock];
        alignas(64) float acc1[kBlock];
        alignas(64) int32_t wholes[kBlock];
        alignas(64) float fracs[kBlock];
        _mm512_store_ps(acc0, sum0);
        _mm512_store_ps(acc1, sum1);
        _mm512_store_si512(wholes, whole);
        _mm512_store_ps(fracs, frac);
        for (int f = 0; f < kBlock; ++f) {
            const uint32_t entry = static_cast<uint32_t>(position + f - wholes[f]) & kLineMask;
            const float sf = cols.shiftSin[p][f];
            const float cf = cols.shiftCos[p][f];
            acc0[f] += g0 * FrameTap(lineA0, lineB0, entry, sf, cf, fracs[f]);
            if constexpr (kChannels == 2) acc1[f] += g1 * FrameTap(lineA1, lineB1, entry, sf, cf, fracs[f]);
        }
        sum0 = _mm512_load_ps(acc0);
        sum1 = _mm512_load_ps(acc1);
    }
    _mm512_store_ps(scratch.wet[0] + s0, sum0);
    if constexpr (kChannels == 2) _mm512_store_ps(scratch.wet[1] + s0, sum1);
}

// The shared driver taps whole blocks of 16 frames through this wherever the batch allows it.
struct FrameBlockTaps {
    static constexpr bool kTapsBlocks = true;
    template <int kChannels>
    static int Run(MurmurhallPlug& engine, CrowdScratch& scratch, int frames, int writePos, int first, int last) {
        BlockColumns cols;
        int s = 0;
        for (; s + kBlock <= frames; s += kBlock)
            TapBlock<kChannels>(engine, scratch, cols, s, writePos, first, last);
        return s;
    }
};

}  // namespace

void RenderCrowdAvx512Frames(MurmurhallPlug& engine, const CrowdRun& run) {
    RenderCrowdVector<FrameBlockTaps>(engine, run);
}

#pragma GCC diagnostic pop
#pragma GCC pop_options
