// The pixel lines of an STD file: eight values at a time in SSE2 registers,
// one value per 16-bit lane, so that each step of the digit arithmetic
// serves eight values; a transpose then gives each value its text. Two
// such groups are made per step, as each is one long dependency chain.
// Where the processor has AVX2, float_lines_avx2.cpp does the same with
// sixteen values to a register.
#include <bit>
#include <cstdint>
#include <cstring>

#include "output/shared/float_lines.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VULCONV_FLOAT_LINES_SSE2 1
#endif

namespace vulconv {

namespace {

#ifdef VULCONV_FLOAT_LINES_SSE2

// The integer part (below 2^19 here, so at most six digits) and the
// millionths of four magnitudes, exactly, with an exact half rounded up.
struct FourSplit {
  __m128i whole;      // below 2^19 + 1
  __m128i whole_hi;   // whole / 10^4
  __m128i whole_lo;   // whole % 10^4
  __m128i frac_hi;    // millionths / 10^4
  __m128i frac_lo;    // millionths % 10^4
};

FourSplit SplitFour(__m128 magnitude) {
  FourSplit s;
  s.whole = _mm_cvttps_epi32(magnitude);
  // Both exact: the fraction of a float is a float, and a float's 24 bits
  // times 10^6 = 15625 * 2^6 need at most 38 bits of a double's 53.
  __m128 fraction = _mm_sub_ps(magnitude, _mm_cvtepi32_ps(s.whole));
  const __m128d million = _mm_set1_pd(1e6);
  const __m128d half = _mm_set1_pd(0.5);
  __m128d low = _mm_add_pd(_mm_mul_pd(_mm_cvtps_pd(fraction), million), half);
  __m128d high = _mm_add_pd(
      _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(fraction, fraction)), million), half);
  // Truncating fraction * 10^6 + 0.5 rounds to nearest, a half up. Its
  // quotient by 10^4 truncates right too: the product is never within
  // 10^-9 of a multiple of 10^4 unless it is one, far above the error of
  // the multiplication by 10^-4.
  __m128i millionths = _mm_unpacklo_epi64(_mm_cvttpd_epi32(low), _mm_cvttpd_epi32(high));
  const __m128d ten_thousandth = _mm_set1_pd(1e-4);
  __m128i frac_hi = _mm_unpacklo_epi64(_mm_cvttpd_epi32(_mm_mul_pd(low, ten_thousandth)),
                                       _mm_cvttpd_epi32(_mm_mul_pd(high, ten_thousandth)));
  // A fraction rounded up to a whole 10^6 carries into the integer part;
  // its millionths % 10^4 are then 0 by themselves.
  __m128i carry = _mm_cmpeq_epi32(millionths, _mm_set1_epi32(1000000));
  s.whole = _mm_sub_epi32(s.whole, carry);
  s.frac_hi = _mm_andnot_si128(carry, frac_hi);
  // pmaddwd multiplies a 32-bit lane whose high half is 0 by 10^4 exactly.
  const __m128i ten_thousand = _mm_set1_epi32(10000);
  s.frac_lo = _mm_sub_epi32(millionths, _mm_madd_epi16(frac_hi, ten_thousand));
  // whole / 10^4 in float: the error stays below 10^-5, the offset of
  // 5 * 10^-5 below the 10^-4 by which a quotient can fall short of a whole.
  s.whole_hi = _mm_cvttps_epi32(_mm_add_ps(
      _mm_mul_ps(_mm_cvtepi32_ps(s.whole), _mm_set1_ps(1e-4f)), _mm_set1_ps(5e-5f)));
  s.whole_lo = _mm_sub_epi32(s.whole, _mm_madd_epi16(s.whole_hi, ten_thousand));
  return s;
}

// A constant the compiler must keep as it is: a multiplication by it is
// one instruction, which GCC would otherwise turn into several shifts and
// additions that load the same execution ports more.
__m128i Opaque16(short value) {
  __m128i v = _mm_set1_epi16(value);
#ifdef __GNUC__
  asm("" : "+x"(v));
#endif
  return v;
}

// Lanes below 100 as two digits of text, the first in the low byte: with
// t = v / 10 (v * 6554 >> 16 is exact there), the word is
// t + 256 * (v - 10 t) = 256 v - 2559 t, plus "00".
__m128i DigitPairs(__m128i v) {
  __m128i tens = _mm_mulhi_epu16(v, _mm_set1_epi16(6554));
  return _mm_add_epi16(_mm_sub_epi16(_mm_slli_epi16(v, 8), _mm_mullo_epi16(tens, Opaque16(2559))),
                       _mm_set1_epi16(0x3030));
}

// Lanes below 10^4 as their first and second pair of digits; v * 41944 >>
// 22 is v / 100 there.
void DigitPairsOfFour(__m128i v, __m128i& first, __m128i& second) {
  __m128i hundreds = _mm_srli_epi16(_mm_mulhi_epu16(v, _mm_set1_epi16(-23592)), 6);
  first = DigitPairs(hundreds);
  second = DigitPairs(_mm_sub_epi16(v, _mm_mullo_epi16(hundreds, Opaque16(100))));
}

// Eight values in [0, 2^19) by magnitude. The low word of a text holds the
// six integer digits with leading zeros, "." and a byte of no use; the high
// word the six decimals and CR LF. The eight words of value i are lane i of
// the eight rows below.
void EightTexts(__m128 first, __m128 second, std::uint64_t* low, std::uint64_t* high) {
  FourSplit a = SplitFour(first), b = SplitFour(second);
  __m128i rows[8];
  rows[0] = DigitPairs(_mm_packs_epi32(a.whole_hi, b.whole_hi));
  DigitPairsOfFour(_mm_packs_epi32(a.whole_lo, b.whole_lo), rows[1], rows[2]);
  rows[3] = _mm_set1_epi16('.');
  rows[4] = DigitPairs(_mm_packs_epi32(a.frac_hi, b.frac_hi));
  DigitPairsOfFour(_mm_packs_epi32(a.frac_lo, b.frac_lo), rows[5], rows[6]);
  rows[7] = _mm_set1_epi16(0x0a0d);

  // An 8 x 8 transpose of 16-bit words, stopped one step early: its 64-bit
  // halves are the values' words.
  __m128i t[8];
  for (int k = 0; k < 8; k += 2) {
    t[k] = _mm_unpacklo_epi16(rows[k], rows[k + 1]);
    t[k + 1] = _mm_unpackhi_epi16(rows[k], rows[k + 1]);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(low + 0), _mm_unpacklo_epi32(t[0], t[2]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(low + 2), _mm_unpackhi_epi32(t[0], t[2]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(low + 4), _mm_unpacklo_epi32(t[1], t[3]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(low + 6), _mm_unpackhi_epi32(t[1], t[3]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(high + 0), _mm_unpacklo_epi32(t[4], t[6]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(high + 2), _mm_unpackhi_epi32(t[4], t[6]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(high + 4), _mm_unpacklo_epi32(t[5], t[7]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(high + 6), _mm_unpackhi_epi32(t[5], t[7]));
}

char* WriteFloatLinesSse2(const float* values, std::size_t count, char* out) {
  const __m128 magnitude_mask = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
  const __m128 limit = _mm_set1_ps(524288.0f);  // 2^19
  std::size_t i = 0;
  // Sixteen values a step: the processor works on both groups at once.
  for (; i + 16 <= count; i += 16) {
    __m128 v[4];
    __m128 m[4];
    unsigned small = 0, negative = 0;
    for (int q = 0; q < 4; ++q) {
      v[q] = _mm_loadu_ps(values + i + 4 * q);
      m[q] = _mm_and_ps(v[q], magnitude_mask);
      // Below the limit: not NaN, infinite or too large for six digits.
      small |= static_cast<unsigned>(_mm_movemask_ps(_mm_cmplt_ps(m[q], limit))) << (4 * q);
      negative |= static_cast<unsigned>(_mm_movemask_ps(v[q])) << (4 * q);
    }
    if (small != 0xffff) {
      for (std::size_t k = i; k < i + 16; ++k) out = WriteOneLine(values[k], out);
      continue;
    }
    std::uint64_t low[16], high[16];
    EightTexts(m[0], m[1], low, high);
    EightTexts(m[2], m[3], low + 8, high + 8);
    if (negative == 0) {
      for (int k = 0; k < 16; ++k) out = PutLine<false>(low[k], high[k], 0, out);
    } else {
      for (int k = 0; k < 16; ++k) out = PutLine<true>(low[k], high[k], (negative >> k) & 1, out);
    }
  }
  for (; i < count; ++i) out = WriteOneLine(values[i], out);
  return out;
}

#endif  // VULCONV_FLOAT_LINES_SSE2

}  // namespace

bool HasFloatLinesPath(FloatLinesPath path) {
  switch (path) {
    case FloatLinesPath::kScalar:
      return true;
    case FloatLinesPath::kSse2:
#ifdef VULCONV_FLOAT_LINES_SSE2
      return std::endian::native == std::endian::little;
#else
      return false;
#endif
    case FloatLinesPath::kAvx2:
#ifdef VULCONV_FLOAT_LINES_AVX2
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
  }
  return false;
}

char* WriteFloatLinesBy(FloatLinesPath path, const float* values, std::size_t count, char* out) {
  switch (path) {
    case FloatLinesPath::kScalar:
      break;
    case FloatLinesPath::kSse2:
#ifdef VULCONV_FLOAT_LINES_SSE2
      return WriteFloatLinesSse2(values, count, out);
#else
      break;
#endif
    case FloatLinesPath::kAvx2:
#ifdef VULCONV_FLOAT_LINES_AVX2
      return WriteFloatLinesAvx2(values, count, out);
#else
      break;
#endif
  }
  for (std::size_t i = 0; i < count; ++i) out = WriteOneLine(values[i], out);
  return out;
}

char* WriteFloatLines(const float* values, std::size_t count, char* out) {
  static const FloatLinesPath best = [] {
    if (HasFloatLinesPath(FloatLinesPath::kAvx2)) return FloatLinesPath::kAvx2;
    if (HasFloatLinesPath(FloatLinesPath::kSse2)) return FloatLinesPath::kSse2;
    return FloatLinesPath::kScalar;
  }();
  return WriteFloatLinesBy(best, values, count, out);
}

}  // namespace vulconv
