// Thin vector types for the hot loops: four floats or four 32-bit integers with their operators,
// comparisons that give lane masks, and select. They compile to single SSE2 instructions, so
// code written with them reads as arithmetic and costs what the intrinsics cost.
#pragma once

#include <emmintrin.h>

#include <cstdint>

namespace sw::simd {

struct I4;

struct F4 {
    __m128 v;

    F4() = default;
    F4(__m128 value) : v(value) {}  // NOLINT: the intrinsics' type converts freely
    explicit F4(float all) : v(_mm_set1_ps(all)) {}
    static F4 lanes(float a, float b, float c, float d) { return _mm_setr_ps(a, b, c, d); }
    static F4 zero() { return _mm_setzero_ps(); }
    static F4 load(const float* p) { return _mm_load_ps(p); }  // 16-byte aligned
    void store(float* p) const { _mm_store_ps(p, v); }
    operator __m128() const { return v; }  // NOLINT

    friend F4 operator+(F4 a, F4 b) { return _mm_add_ps(a, b); }
    friend F4 operator-(F4 a, F4 b) { return _mm_sub_ps(a, b); }
    friend F4 operator*(F4 a, F4 b) { return _mm_mul_ps(a, b); }
    friend F4 operator/(F4 a, F4 b) { return _mm_div_ps(a, b); }
    F4& operator+=(F4 b) { return *this = *this + b; }
    F4& operator*=(F4 b) { return *this = *this * b; }

    // Lane masks: all bits set where the comparison holds (false for NaN).
    friend F4 operator<(F4 a, F4 b) { return _mm_cmplt_ps(a, b); }
    friend F4 operator>(F4 a, F4 b) { return _mm_cmpgt_ps(a, b); }
    friend F4 operator<=(F4 a, F4 b) { return _mm_cmple_ps(a, b); }
    friend F4 operator>=(F4 a, F4 b) { return _mm_cmpge_ps(a, b); }
    friend F4 operator&(F4 a, F4 b) { return _mm_and_ps(a, b); }
    friend F4 operator|(F4 a, F4 b) { return _mm_or_ps(a, b); }
};

struct I4 {
    __m128i v;

    I4() = default;
    I4(__m128i value) : v(value) {}  // NOLINT
    explicit I4(std::int32_t all) : v(_mm_set1_epi32(all)) {}
    static I4 lanes(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
        return _mm_setr_epi32(a, b, c, d);
    }
    static I4 zero() { return _mm_setzero_si128(); }
    operator __m128i() const { return v; }  // NOLINT

    friend I4 operator+(I4 a, I4 b) { return _mm_add_epi32(a, b); }
    friend I4 operator-(I4 a, I4 b) { return _mm_sub_epi32(a, b); }
    friend I4 operator&(I4 a, I4 b) { return _mm_and_si128(a, b); }
    friend I4 operator|(I4 a, I4 b) { return _mm_or_si128(a, b); }
    friend I4 operator^(I4 a, I4 b) { return _mm_xor_si128(a, b); }
    friend I4 operator<<(I4 a, int bits) { return _mm_slli_epi32(a, bits); }
    friend I4 operator>>(I4 a, int bits) { return _mm_srai_epi32(a, bits); }  // arithmetic
    friend I4 operator==(I4 a, I4 b) { return _mm_cmpeq_epi32(a, b); }
    friend I4 operator<(I4 a, I4 b) { return _mm_cmplt_epi32(a, b); }
    friend I4 operator>(I4 a, I4 b) { return _mm_cmpgt_epi32(a, b); }
};

inline F4 min(F4 a, F4 b) {
    return _mm_min_ps(a, b);
}
// max(NaN, b) is b: with b = 0 this also turns NaN into 0.
inline F4 max(F4 a, F4 b) {
    return _mm_max_ps(a, b);
}
inline F4 sqrt(F4 a) {
    return _mm_sqrt_ps(a);
}
// mask ? a : b, lane by lane; the mask's lanes are all ones or all zeros.
inline F4 select(F4 mask, F4 a, F4 b) {
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}
inline I4 select(I4 mask, I4 a, I4 b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}
// One bit per lane, lane 0 lowest.
inline int bits(F4 mask) {
    return _mm_movemask_ps(mask);
}
inline int bits(I4 mask) {
    return _mm_movemask_ps(_mm_castsi128_ps(mask));
}
inline I4 asInt(F4 a) {
    return _mm_castps_si128(a);
}
inline F4 asFloat(I4 a) {
    return _mm_castsi128_ps(a);
}
// Each lane shifted right, zeros coming in, by the count in the low 64 bits of `count`.
inline I4 shiftRightLogical(I4 a, I4 count) {
    return _mm_srl_epi32(a, count);
}
inline I4 truncateToInt(F4 a) {
    return _mm_cvttps_epi32(a);
}
inline I4 roundToInt(F4 a) {  // to nearest, ties to even
    return _mm_cvtps_epi32(a);
}
inline F4 toFloat(I4 a) {
    return _mm_cvtepi32_ps(a);
}
// True in lanes whose value is finite (not NaN, not infinite).
inline F4 isFinite(F4 a) {
    return _mm_cmpord_ps(a - a, F4::zero());
}
inline float lane(F4 a, int i) {
    alignas(16) float out[4];
    a.store(out);
    return out[i];
}

}  // namespace sw::simd
