// An 8-frame by 4-person piece of a first-pass row array turned into four 8-frame columns with
// 256-bit operations (for the AVX2 and AVX-512 kernels). Include it only from a kernel source file,
// inside that file's target region and anonymous namespace.
//
// Rows f0..f0+7, lanes column..column+3: each register starts as the 16-byte pieces of rows r and
// 4 + r, then an in-lane 4 x 4 transpose leaves person column + j's eight frames in out + j * kStride.
template <int kStride>
[[gnu::always_inline]] inline void TransposeEightByFour(const float (*rows)[kCrowdLanes], int f0, int column,
                                                    float* out) {
    auto pieces = [&](int r) {
        return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_load_ps(rows[f0 + r] + column)),
                                    _mm_load_ps(rows[f0 + 4 + r] + column), 1);
    };
    const __m256 x0 = pieces(0);
    const __m256 x1 = pieces(1);
    const __m256 x2 = pieces(2);
    const __m256 x3 = pieces(3);
    const __m256 t0 = _mm256_unpacklo_ps(x0, x1);
    const __m256 t1 = _mm256_unpackhi_ps(x0, x1);
    const __m256 t2 = _mm256_unpacklo_ps(x2, x3);
    const __m256 t3 = _mm256_unpackhi_ps(x2, x3);
    _mm256_store_ps(out, _mm256_shuffle_ps(t0, t2, 0x44));
    _mm256_store_ps(out + kStride, _mm256_shuffle_ps(t0, t2, 0xEE));
    _mm256_store_ps(out + 2 * kStride, _mm256_shuffle_ps(t1, t3, 0x44));
    _mm256_store_ps(out + 3 * kStride, _mm256_shuffle_ps(t1, t3, 0xEE));
}
