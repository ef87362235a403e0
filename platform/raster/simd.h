// Thin vector types for the hot loops: four or eight floats or 32-bit integers (and two or four
// doubles) with their operators, comparisons that give lane masks, and select. Each operation is
// one or a few SSE2 or AVX2 instructions, so code written with them reads as arithmetic and costs
// what the intrinsics cost.
//
// F4, I4 and D2 exist everywhere; F8, I8 and D4 only where the file is compiled for AVX2. Kernels
// are written once with Float, Int and Double, the widest types of the instruction set the file
// is compiled for, and compiled once per set. Everything compiled that way sits in the inline
// namespace SW_SIMD_ISA, so that the AVX2 copy of an inline function can never stand in for the
// SSE2 one at link time.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#if defined(__AVX2__)
#define SW_SIMD_ISA avx2
#else
#define SW_SIMD_ISA sse2
#endif

namespace sw::simd {
inline namespace SW_SIMD_ISA {

struct I4;
struct D2;

struct F4 {
    using Int = I4;
    using Double = D2;  // half as many lanes
    static constexpr int kLanes = 4;
    __m128 v;

    F4() = default;
    F4(__m128 value) : v(value) {}  // NOLINT: the intrinsics' type converts freely
    explicit F4(float all) : v(_mm_set1_ps(all)) {}
    static F4 zero() { return _mm_setzero_ps(); }
    static F4 load(const float* p) { return _mm_loadu_ps(p); }
    void store(float* p) const { _mm_storeu_ps(p, v); }
    operator __m128() const { return v; }  // NOLINT

    friend F4 operator+(F4 a, F4 b) { return _mm_add_ps(a, b); }
    friend F4 operator-(F4 a, F4 b) { return _mm_sub_ps(a, b); }
    friend F4 operator*(F4 a, F4 b) { return _mm_mul_ps(a, b); }
    friend F4 operator/(F4 a, F4 b) { return _mm_div_ps(a, b); }
    F4& operator+=(F4 b) { return *this = *this + b; }
    F4& operator-=(F4 b) { return *this = *this - b; }
    F4& operator*=(F4 b) { return *this = *this * b; }

    // Lane masks: all bits set where the comparison holds (false for NaN, except !=).
    friend F4 operator<(F4 a, F4 b) { return _mm_cmplt_ps(a, b); }
    friend F4 operator>(F4 a, F4 b) { return _mm_cmpgt_ps(a, b); }
    friend F4 operator<=(F4 a, F4 b) { return _mm_cmple_ps(a, b); }
    friend F4 operator>=(F4 a, F4 b) { return _mm_cmpge_ps(a, b); }
    friend F4 operator==(F4 a, F4 b) { return _mm_cmpeq_ps(a, b); }
    friend F4 operator!=(F4 a, F4 b) { return _mm_cmpneq_ps(a, b); }
    friend F4 operator&(F4 a, F4 b) { return _mm_and_ps(a, b); }
    friend F4 operator|(F4 a, F4 b) { return _mm_or_ps(a, b); }
    F4& operator&=(F4 b) { return *this = *this & b; }
    F4& operator|=(F4 b) { return *this = *this | b; }
};

struct I4 {
    using Float = F4;
    static constexpr int kLanes = 4;
    __m128i v;

    I4() = default;
    I4(__m128i value) : v(value) {}  // NOLINT
    explicit I4(std::int32_t all) : v(_mm_set1_epi32(all)) {}
    static I4 zero() { return _mm_setzero_si128(); }
    static I4 load(const std::int32_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    void store(std::int32_t* p) const { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
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
    I4& operator+=(I4 b) { return *this = *this + b; }
    I4& operator|=(I4 b) { return *this = *this | b; }
    I4& operator&=(I4 b) { return *this = *this & b; }
};

struct D2 {
    __m128d v;

    D2() = default;
    D2(__m128d value) : v(value) {}  // NOLINT
    explicit D2(double all) : v(_mm_set1_pd(all)) {}
    operator __m128d() const { return v; }  // NOLINT

    friend D2 operator+(D2 a, D2 b) { return _mm_add_pd(a, b); }
    friend D2 operator-(D2 a, D2 b) { return _mm_sub_pd(a, b); }
    friend D2 operator*(D2 a, D2 b) { return _mm_mul_pd(a, b); }
    friend D2 operator/(D2 a, D2 b) { return _mm_div_pd(a, b); }
};

// ---- F4, I4 and D2 functions ----

// The low 32 bits of the products.
inline I4 operator*(I4 a, I4 b) {
#if defined(__SSE4_1__)
    return _mm_mullo_epi32(a, b);
#else
    const __m128i even = _mm_mul_epu32(a, b);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
#endif
}

inline F4 min(F4 a, F4 b) {  // b where either is NaN
    return _mm_min_ps(a, b);
}
// max(NaN, b) is b: with b = 0 this also turns NaN into 0.
inline F4 max(F4 a, F4 b) {
    return _mm_max_ps(a, b);
}
inline F4 sqrt(F4 a) {
    return _mm_sqrt_ps(a);
}
inline F4 abs(F4 a) {
    return _mm_andnot_ps(_mm_set1_ps(-0.0f), a);
}
// mask ? a : b, lane by lane; the mask's lanes are all ones or all zeros.
inline F4 select(F4 mask, F4 a, F4 b) {
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}
inline I4 select(I4 mask, I4 a, I4 b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}
// a where the mask is clear, 0 where it is set.
inline F4 andNot(F4 mask, F4 a) {
    return _mm_andnot_ps(mask, a);
}
inline I4 andNot(I4 mask, I4 a) {
    return _mm_andnot_si128(mask, a);
}
inline I4 min(I4 a, I4 b) {
    return select(a < b, a, b);
}
inline I4 max(I4 a, I4 b) {
    return select(a > b, a, b);
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
inline I4 shiftLeft(I4 a, I4 count) {
    return _mm_sll_epi32(a, count);
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
// The largest whole number not above a, exactly as std::floor gives it.
inline F4 floor(F4 a) {
#if defined(__SSE4_1__)
    return _mm_floor_ps(a);
#else
    // From 2^23 up every float is whole; below, truncation and a step down where it rounded up,
    // with the sign of a kept so that -0 stays -0.
    const F4 truncated = toFloat(truncateToInt(a));
    const F4 stepped = (truncated - (F4(1.0f) & (truncated > a))) | (a & F4(-0.0f));
    return select(abs(a) < F4(8388608.0f), stepped, a);
#endif
}

// The low and the high two lanes as doubles (exact).
inline D2 toDoubleLow(I4 a) {
    return _mm_cvtepi32_pd(a);
}
inline D2 toDoubleHigh(I4 a) {
    return _mm_cvtepi32_pd(_mm_shuffle_epi32(a, _MM_SHUFFLE(3, 2, 3, 2)));
}
// Four floats, rounded to nearest, from the low and the high half.
inline F4 toFloat(D2 low, D2 high) {
    return _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
}
inline D2 abs(D2 a) {
    return _mm_andnot_pd(_mm_set1_pd(-0.0), a);
}
// Whole numbers below 2^51 in magnitude, stored as 64-bit integers: added to 1.5 * 2^52 the value
// sits in the low mantissa bits, and the difference of the bit patterns is the integer.
inline void storeWhole(D2 a, std::int64_t* out) {
    const __m128d magic = _mm_set1_pd(6755399441055744.0);
    const __m128i integer =
        _mm_sub_epi64(_mm_castpd_si128(_mm_add_pd(a, magic)), _mm_castpd_si128(magic));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), integer);
}

// ---- 16-bit pixels: four per row, one row per 128-bit part ----
// 32-bit lanes to signed 16-bit ones with saturation; each row's four land in its low 64 bits.
inline I4 packSigned16(I4 a) {
    return _mm_packs_epi32(a, a);
}
inline I4 greater16(I4 a, I4 b) {
    return _mm_cmpgt_epi16(a, b);
}
inline I4 equal16(I4 a, I4 b) {
    return _mm_cmpeq_epi16(a, b);
}
// The low four 16-bit lanes of each row, each repeated into a 32-bit lane (for masks).
inline I4 widenMask16(I4 a) {
    return _mm_unpacklo_epi16(a, a);
}
// Pairs of 16-bit lanes multiplied and summed into 32-bit lanes.
inline I4 multiplyAddPairs16(I4 a, I4 b) {
    return _mm_madd_epi16(a, b);
}
// Four 16-bit values from each row at p, p + pitch, ... (one row for I4, two for I8), into
// the low 64 bits of the row's 128-bit part; the first argument only names the type.
inline I4 loadRows16(I4, const std::uint16_t* p, std::ptrdiff_t) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}
// The reverse, for the first `rows` rows.
inline void storeRows16(I4 values, std::uint16_t* p, std::ptrdiff_t, int) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), values);
}
// base[offset] for each lane's offset, zero-extended; every offset must lie inside base's array.
// The offsets are taken as unsigned, so that they index without being sign-extended first.
inline I4 gather16(const std::uint16_t* base, I4 offsets) {
    alignas(16) std::uint32_t at[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), offsets);
    __m128i g = _mm_cvtsi32_si128(base[at[0]]);
    g = _mm_insert_epi16(g, base[at[1]], 2);
    g = _mm_insert_epi16(g, base[at[2]], 4);
    g = _mm_insert_epi16(g, base[at[3]], 6);
    return g;
}

// ---- records of eight floats (structures) to and from vectors of one field each ----
inline void transpose(F4& a, F4& b, F4& c, F4& d) {
    _MM_TRANSPOSE4_PS(a.v, b.v, c.v, d.v);
}
// fields[j] lane i = records[i][j], j < 8.
inline void loadFields8(const float* const* records, F4 (&fields)[8]) {
    for (int half = 0; half < 2; ++half) {
        F4* f = fields + 4 * half;
        for (int i = 0; i < 4; ++i) f[i] = F4::load(records[i] + 4 * half);
        transpose(f[0], f[1], f[2], f[3]);
    }
}
// records[i][j] = fields[j] lane i, j < count (4 or 8).
inline void storeFields(const F4* fields, int count, float* const* records) {
    for (int half = 0; half < count / 4; ++half) {
        F4 f[4] = {fields[4 * half], fields[4 * half + 1], fields[4 * half + 2],
                   fields[4 * half + 3]};
        transpose(f[0], f[1], f[2], f[3]);
        for (int i = 0; i < 4; ++i) f[i].store(records[i] + 4 * half);
    }
}

#if defined(__AVX2__)

struct I8;
struct D4;

struct F8 {
    using Int = I8;
    using Double = D4;
    static constexpr int kLanes = 8;
    __m256 v;

    F8() = default;
    F8(__m256 value) : v(value) {}  // NOLINT
    explicit F8(float all) : v(_mm256_set1_ps(all)) {}
    static F8 zero() { return _mm256_setzero_ps(); }
    static F8 load(const float* p) { return _mm256_loadu_ps(p); }
    void store(float* p) const { _mm256_storeu_ps(p, v); }
    operator __m256() const { return v; }  // NOLINT

    friend F8 operator+(F8 a, F8 b) { return _mm256_add_ps(a, b); }
    friend F8 operator-(F8 a, F8 b) { return _mm256_sub_ps(a, b); }
    friend F8 operator*(F8 a, F8 b) { return _mm256_mul_ps(a, b); }
    friend F8 operator/(F8 a, F8 b) { return _mm256_div_ps(a, b); }
    F8& operator+=(F8 b) { return *this = *this + b; }
    F8& operator-=(F8 b) { return *this = *this - b; }
    F8& operator*=(F8 b) { return *this = *this * b; }

    friend F8 operator<(F8 a, F8 b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
    friend F8 operator>(F8 a, F8 b) { return _mm256_cmp_ps(a, b, _CMP_GT_OQ); }
    friend F8 operator<=(F8 a, F8 b) { return _mm256_cmp_ps(a, b, _CMP_LE_OQ); }
    friend F8 operator>=(F8 a, F8 b) { return _mm256_cmp_ps(a, b, _CMP_GE_OQ); }
    friend F8 operator==(F8 a, F8 b) { return _mm256_cmp_ps(a, b, _CMP_EQ_OQ); }
    friend F8 operator!=(F8 a, F8 b) { return _mm256_cmp_ps(a, b, _CMP_NEQ_UQ); }
    friend F8 operator&(F8 a, F8 b) { return _mm256_and_ps(a, b); }
    friend F8 operator|(F8 a, F8 b) { return _mm256_or_ps(a, b); }
    F8& operator&=(F8 b) { return *this = *this & b; }
    F8& operator|=(F8 b) { return *this = *this | b; }
};

struct I8 {
    using Float = F8;
    static constexpr int kLanes = 8;
    __m256i v;

    I8() = default;
    I8(__m256i value) : v(value) {}  // NOLINT
    explicit I8(std::int32_t all) : v(_mm256_set1_epi32(all)) {}
    static I8 zero() { return _mm256_setzero_si256(); }
    static I8 load(const std::int32_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    void store(std::int32_t* p) const { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    operator __m256i() const { return v; }  // NOLINT

    friend I8 operator+(I8 a, I8 b) { return _mm256_add_epi32(a, b); }
    friend I8 operator-(I8 a, I8 b) { return _mm256_sub_epi32(a, b); }
    friend I8 operator&(I8 a, I8 b) { return _mm256_and_si256(a, b); }
    friend I8 operator|(I8 a, I8 b) { return _mm256_or_si256(a, b); }
    friend I8 operator^(I8 a, I8 b) { return _mm256_xor_si256(a, b); }
    friend I8 operator*(I8 a, I8 b) { return _mm256_mullo_epi32(a, b); }
    friend I8 operator<<(I8 a, int bits) { return _mm256_slli_epi32(a, bits); }
    friend I8 operator>>(I8 a, int bits) { return _mm256_srai_epi32(a, bits); }
    friend I8 operator==(I8 a, I8 b) { return _mm256_cmpeq_epi32(a, b); }
    friend I8 operator<(I8 a, I8 b) { return _mm256_cmpgt_epi32(b, a); }
    friend I8 operator>(I8 a, I8 b) { return _mm256_cmpgt_epi32(a, b); }
    I8& operator+=(I8 b) { return *this = *this + b; }
    I8& operator|=(I8 b) { return *this = *this | b; }
    I8& operator&=(I8 b) { return *this = *this & b; }
};

struct D4 {
    __m256d v;

    D4() = default;
    D4(__m256d value) : v(value) {}  // NOLINT
    explicit D4(double all) : v(_mm256_set1_pd(all)) {}
    operator __m256d() const { return v; }  // NOLINT

    friend D4 operator+(D4 a, D4 b) { return _mm256_add_pd(a, b); }
    friend D4 operator-(D4 a, D4 b) { return _mm256_sub_pd(a, b); }
    friend D4 operator*(D4 a, D4 b) { return _mm256_mul_pd(a, b); }
    friend D4 operator/(D4 a, D4 b) { return _mm256_div_pd(a, b); }
};

inline F8 min(F8 a, F8 b) {
    return _mm256_min_ps(a, b);
}
inline F8 max(F8 a, F8 b) {
    return _mm256_max_ps(a, b);
}
inline F8 sqrt(F8 a) {
    return _mm256_sqrt_ps(a);
}
inline F8 abs(F8 a) {
    return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), a);
}
inline F8 select(F8 mask, F8 a, F8 b) {
    return _mm256_blendv_ps(b, a, mask);
}
inline I8 select(I8 mask, I8 a, I8 b) {
    return _mm256_blendv_epi8(b, a, mask);
}
inline F8 andNot(F8 mask, F8 a) {
    return _mm256_andnot_ps(mask, a);
}
inline I8 andNot(I8 mask, I8 a) {
    return _mm256_andnot_si256(mask, a);
}
inline I8 min(I8 a, I8 b) {
    return _mm256_min_epi32(a, b);
}
inline I8 max(I8 a, I8 b) {
    return _mm256_max_epi32(a, b);
}
inline int bits(F8 mask) {
    return _mm256_movemask_ps(mask);
}
inline int bits(I8 mask) {
    return _mm256_movemask_ps(_mm256_castsi256_ps(mask));
}
inline I8 asInt(F8 a) {
    return _mm256_castps_si256(a);
}
inline F8 asFloat(I8 a) {
    return _mm256_castsi256_ps(a);
}
inline I8 shiftRightLogical(I8 a, I4 count) {
    return _mm256_srl_epi32(a, count);
}
inline I8 shiftLeft(I8 a, I4 count) {
    return _mm256_sll_epi32(a, count);
}
inline I8 truncateToInt(F8 a) {
    return _mm256_cvttps_epi32(a);
}
inline I8 roundToInt(F8 a) {
    return _mm256_cvtps_epi32(a);
}
inline F8 toFloat(I8 a) {
    return _mm256_cvtepi32_ps(a);
}
inline F8 isFinite(F8 a) {
    return _mm256_cmp_ps(a - a, F8::zero(), _CMP_ORD_Q);
}
inline F8 floor(F8 a) {
    return _mm256_floor_ps(a);
}

inline D4 toDoubleLow(I8 a) {
    return _mm256_cvtepi32_pd(_mm256_castsi256_si128(a));
}
inline D4 toDoubleHigh(I8 a) {
    return _mm256_cvtepi32_pd(_mm256_extracti128_si256(a, 1));
}
inline F8 toFloat(D4 low, D4 high) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(low)), _mm256_cvtpd_ps(high),
                                1);
}
inline D4 abs(D4 a) {
    return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a);
}
inline void storeWhole(D4 a, std::int64_t* out) {
    const __m256d magic = _mm256_set1_pd(6755399441055744.0);
    const __m256i integer =
        _mm256_sub_epi64(_mm256_castpd_si256(_mm256_add_pd(a, magic)), _mm256_castpd_si256(magic));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), integer);
}

// Two rows of four 16-bit pixels: the 128-bit parts work on their own, one row each.
inline I8 packSigned16(I8 a) {
    return _mm256_packs_epi32(a, a);
}
inline I8 greater16(I8 a, I8 b) {
    return _mm256_cmpgt_epi16(a, b);
}
inline I8 equal16(I8 a, I8 b) {
    return _mm256_cmpeq_epi16(a, b);
}
inline I8 widenMask16(I8 a) {
    return _mm256_unpacklo_epi16(a, a);
}
inline I8 multiplyAddPairs16(I8 a, I8 b) {
    return _mm256_madd_epi16(a, b);
}
inline I8 loadRows16(I8, const std::uint16_t* p, std::ptrdiff_t pitch) {
    const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    const __m128i second = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + pitch));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
}
inline void storeRows16(I8 values, std::uint16_t* p, std::ptrdiff_t pitch, int rows) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(values));
    if (rows > 1)
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p + pitch),
                         _mm256_extracti128_si256(values, 1));
}
// base[offset] for each lane, zero-extended, by one gather of the 32-bit pair each offset
// starts. Lanes whose offset is `last` (the array's last value, whose pair would reach past
// the array) are not fetched but take `lastValue`, that value.
inline I8 gather16Pairs(const std::uint16_t* base, I8 offsets, I8 last, I8 lastValue) {
    const __m256i fetch = _mm256_cmpgt_epi32(last, offsets);
    const __m256i pairs = _mm256_mask_i32gather_epi32(lastValue, reinterpret_cast<const int*>(base),
                                                      offsets, fetch, 2);
    return _mm256_and_si256(pairs, _mm256_set1_epi32(0xFFFF));
}

// The 8 x 8 transpose: shuffles within 128-bit halves, then the halves exchanged.
inline void transpose(F8 (&m)[8]) {
    __m256 t[8], u[8];
    for (int i = 0; i < 8; i += 2) {
        t[i] = _mm256_unpacklo_ps(m[i], m[i + 1]);
        t[i + 1] = _mm256_unpackhi_ps(m[i], m[i + 1]);
    }
    for (int i = 0; i < 8; i += 4) {
        u[i] = _mm256_shuffle_ps(t[i], t[i + 2], _MM_SHUFFLE(1, 0, 1, 0));
        u[i + 1] = _mm256_shuffle_ps(t[i], t[i + 2], _MM_SHUFFLE(3, 2, 3, 2));
        u[i + 2] = _mm256_shuffle_ps(t[i + 1], t[i + 3], _MM_SHUFFLE(1, 0, 1, 0));
        u[i + 3] = _mm256_shuffle_ps(t[i + 1], t[i + 3], _MM_SHUFFLE(3, 2, 3, 2));
    }
    for (int i = 0; i < 4; ++i) {
        m[i] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x20);
        m[i + 4] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x31);
    }
}
inline void loadFields8(const float* const* records, F8 (&fields)[8]) {
    for (int i = 0; i < 8; ++i) fields[i] = F8::load(records[i]);
    transpose(fields);
}
inline void storeFields(const F8* fields, int count, float* const* records) {
    if (count == 8) {
        F8 m[8];
        for (int j = 0; j < 8; ++j) m[j] = fields[j];
        transpose(m);
        for (int i = 0; i < 8; ++i) m[i].store(records[i]);
        return;
    }
    // Four fields: each 128-bit half is a 4 x 4 transpose of its own.
    for (int half = 0; half < 2; ++half) {
        F4 f[4];
        for (int j = 0; j < 4; ++j)
            f[j] =
                half == 0 ? _mm256_castps256_ps128(fields[j]) : _mm256_extractf128_ps(fields[j], 1);
        transpose(f[0], f[1], f[2], f[3]);
        for (int i = 0; i < 4; ++i) f[i].store(records[4 * half + i]);
    }
}

#endif  // __AVX2__

// The widest vectors of the instruction set this file is compiled for.
#if defined(__AVX2__)
using Float = F8;
using Int = I8;
using Double = D4;
#else
using Float = F4;
using Int = I4;
using Double = D2;
#endif

}  // namespace SW_SIMD_ISA
}  // namespace sw::simd
