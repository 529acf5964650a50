// The AVX-512 (F) vector operations the crowd kernels are written in: 16 people (or frames) per
// vector. Include it only from an AVX-512 kernel source, inside its target region and anonymous
// namespace, so nothing compiled for AVX-512 is visible outside that file.
struct V {
    static constexpr int W = 16;
    using F = __m512;
    using I = __m512i;
    using M = __mmask16;

    static F Load(const float* p) { return _mm512_load_ps(p); }
    static void Store(float* p, F v) { _mm512_store_ps(p, v); }
    static I Loadi(const int32_t* p) { return _mm512_load_si512(p); }
    static void Storei(int32_t* p, I v) { _mm512_store_si512(p, v); }
    static F Loadu(const float* p) { return _mm512_loadu_ps(p); }
    // Loadu(p + 1) given now = Loadu(p): one 4-byte load instead of a second line-straddling one.
    static F LoadNext(const float* p, F now) {
        return _mm512_castsi512_ps(
            _mm512_alignr_epi32(_mm512_castps_si512(_mm512_set1_ps(p[W])), _mm512_castps_si512(now), 1));
    }
    // Loadu(p - 1) given now = Loadu(p), likewise.
    static F LoadPrevious(const float* p, F now) {
        return _mm512_castsi512_ps(
            _mm512_alignr_epi32(_mm512_castps_si512(now), _mm512_castps_si512(_mm512_set1_ps(p[-1])), 15));
    }
    static void Storeu(float* p, F v) { _mm512_storeu_ps(p, v); }
    static F Set1(float x) { return _mm512_set1_ps(x); }
    static I Set1i(int32_t x) { return _mm512_set1_epi32(x); }
    static F Add(F a, F b) { return _mm512_add_ps(a, b); }
    static F Sub(F a, F b) { return _mm512_sub_ps(a, b); }
    static F Mul(F a, F b) { return _mm512_mul_ps(a, b); }
    static F MulAdd(F a, F b, F c) { return _mm512_fmadd_ps(a, b, c); }  // a * b + c, rounded once
    static F Max(F a, F b) { return _mm512_max_ps(a, b); }  // b when either is NaN
    static F Min(F a, F b) { return _mm512_min_ps(a, b); }
    static I Cvtt(F a) { return _mm512_cvttps_epi32(a); }
    static F Cvt(I a) { return _mm512_cvtepi32_ps(a); }
    static I Subi(I a, I b) { return _mm512_sub_epi32(a, b); }
    static I Andi(I a, I b) { return _mm512_and_si512(a, b); }
    static M Lt(F a, F b) { return _mm512_cmp_ps_mask(a, b, _CMP_LT_OQ); }
    static M Gt(F a, F b) { return _mm512_cmp_ps_mask(a, b, _CMP_GT_OQ); }
    static M Neq(F a, F b) { return _mm512_cmp_ps_mask(a, b, _CMP_NEQ_UQ); }
    static M Eq(F a, F b) { return _mm512_cmp_ps_mask(a, b, _CMP_EQ_OQ); }
    static M Ge(F a, F b) { return _mm512_cmp_ps_mask(a, b, _CMP_GE_OQ); }
    static M Eqi(I a, I b) { return _mm512_cmpeq_epi32_mask(a, b); }
    static M Gti(I a, I b) { return _mm512_cmpgt_epi32_mask(a, b); }
    static unsigned Bits(M m) { return m; }
    static M And(M a, M b) { return static_cast<M>(a & b); }
    static M Or(M a, M b) { return static_cast<M>(a | b); }
    static M AndNot(M a, M b) { return static_cast<M>(~a & b); }
    static bool Any(M m) { return m != 0; }
    static F Select(M m, F a, F b) { return _mm512_mask_blend_ps(m, b, a); }
    static I Selecti(M m, I a, I b) { return _mm512_mask_blend_epi32(m, b, a); }
    static M LanesBelow(int first, int count) {
        const int n = count - first;
        return n <= 0 ? M(0) : (n >= W ? M(0xFFFF) : static_cast<M>((1u << n) - 1u));
    }
    static M LaneIs(int first, int lane) {
        const int n = lane - first;
        return n < 0 || n >= W ? M(0) : static_cast<M>(1u << n);
    }
    static float MaxLane(F a) {
        const F h = _mm512_max_ps(a, _mm512_shuffle_f32x4(a, a, 0x4E));
        const F q = _mm512_max_ps(h, _mm512_shuffle_f32x4(h, h, 0xB1));
        __m128 m = _mm512_castps512_ps128(q);
        m = _mm_max_ps(m, _mm_movehl_ps(m, m));
        m = _mm_max_ss(m, _mm_shuffle_ps(m, m, 1));
        return _mm_cvtss_f32(m);
    }
    static float Sum(F a) {
        const F h = _mm512_add_ps(a, _mm512_shuffle_f32x4(a, a, 0x4E));
        const F q = _mm512_add_ps(h, _mm512_shuffle_f32x4(h, h, 0xB1));
        __m128 m = _mm512_castps512_ps128(q);
        m = _mm_add_ps(m, _mm_movehl_ps(m, m));
        m = _mm_add_ss(m, _mm_shuffle_ps(m, m, 1));
        return _mm_cvtss_f32(m);
    }

    // Entries e and e + 1 of a line for people k, k + 1 (k = 0, 4, 8, 12), a pair per 128-bit lane;
    // Even and Odd split two such vectors lane by lane.
    static F Pairs(const float* line, const int32_t* e) {
        const __m256 low =
            _mm256_insertf128_ps(_mm256_castps128_ps256(EntryPairs(line, e[0], e[1])), EntryPairs(line, e[4], e[5]), 1);
        const __m256 high = _mm256_insertf128_ps(_mm256_castps128_ps256(EntryPairs(line, e[8], e[9])),
                                                 EntryPairs(line, e[12], e[13]), 1);
        return _mm512_castpd_ps(
            _mm512_insertf64x4(_mm512_castps_pd(_mm512_castps256_ps512(low)), _mm256_castps_pd(high), 1));
    }
    static F Even(F a, F b) { return _mm512_shuffle_ps(a, b, 0x88); }
    static F Odd(F a, F b) { return _mm512_shuffle_ps(a, b, 0xDD); }

    // Rows s0..s0+15, lanes first..first+15, become one 16-frame column per person, as 8 x 8 pieces
    // of 256-bit shuffles (measured cheaper here than 512-bit ones, which this CPU runs at half the
    // rate).
    static void Transpose(const float (*rows)[kCrowdLanes], int s0, int first, float (*columns)[W]) {
        for (int half = 0; half < 2; ++half)
            for (int column = first; column < first + W; column += 8)
                TransposeEightByEight<W>(rows, s0 + 8 * half, column, columns[column] + 8 * half);
    }
};
