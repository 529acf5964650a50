// An 8-frame by 8-person piece of a first-pass row array turned into eight 8-frame columns with
// 256-bit operations (for the AVX2 and AVX-512 kernels): whole-row loads, as loads are what the
// block taps run short of. Include it only from a kernel source file, inside that file's target
// region and anonymous namespace.
//
// Rows f0..f0+7, lanes column..column+7: an in-lane 4 x 4 transpose of each half, then the halves
// exchanged, leaves person column + j's eight frames in out + j * kStride.
template <int kStride>
[[gnu::always_inline]] inline void TransposeEightByEight(const float (*rows)[kCrowdLanes], int f0, int column,
                                                     float* out) {
    __m256 u[8];
    for (int h = 0; h < 2; ++h) {
        const __m256 r0 = _mm256_load_ps(rows[f0 + 4 * h] + column);
        const __m256 r1 = _mm256_load_ps(rows[f0 + 4 * h + 1] + column);
        const __m256 r2 = _mm256_load_ps(rows[f0 + 4 * h + 2] + column);
        const __m256 r3 = _mm256_load_ps(rows[f0 + 4 * h + 3] + column);
        const __m256 t0 = _mm256_unpacklo_ps(r0, r1);
        const __m256 t1 = _mm256_unpackhi_ps(r0, r1);
        const __m256 t2 = _mm256_unpacklo_ps(r2, r3);
        const __m256 t3 = _mm256_unpackhi_ps(r2, r3);
        u[4 * h] = _mm256_shuffle_ps(t0, t2, 0x44);
        u[4 * h + 1] = _mm256_shuffle_ps(t0, t2, 0xEE);
        u[4 * h + 2] = _mm256_shuffle_ps(t1, t3, 0x44);
        u[4 * h + 3] = _mm256_shuffle_ps(t1, t3, 0xEE);
    }
    for (int j = 0; j < 4; ++j) {
        _mm256_store_ps(out + j * kStride, _mm256_permute2f128_ps(u[j], u[4 + j], 0x20));
        _mm256_store_ps(out + (4 + j) * kStride, _mm256_permute2f128_ps(u[j], u[4 + j], 0x31));
    }
}
