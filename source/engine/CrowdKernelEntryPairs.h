// A line's values at two people's read entries and the entries after them, one 8-byte load per
// person (x86-64 baseline instructions only). Include it only from a kernel source file, inside
// that file's anonymous namespace.
//
// Lanes: line[first], line[first + 1], line[second], line[second + 1].
inline __m128 EntryPairs(const float* line, int32_t first, int32_t second) {
    const __m128 low = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(line + first)));
    return _mm_loadh_pi(low, reinterpret_cast<const __m64*>(line + second));
}
