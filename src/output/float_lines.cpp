// The pixel lines of an STD file: eight values at a time in SSE2 registers,
// one value per 16-bit lane, so that each step of the digit arithmetic
// serves eight values; a transpose then gives each value its text.
#include <bit>
#include <cstdint>
#include <cstring>

#include "output/number_text.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VULCONV_FLOAT_LINES_SSE2 1
#endif

namespace vulconv {

namespace {

char* WriteOneLine(float value, char* out) {
  out = WriteFloatText(value, out);
  std::memcpy(out, "\r\n", 2);
  return out + 2;
}

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

// value / 10, / 100, / 1000 for 16-bit lanes below 10^4: a multiplication
// by a rounded-up 2^k / 10^n and a shift, exact in that range.
__m128i Tenth(__m128i v) { return _mm_srli_epi16(_mm_mulhi_epu16(v, _mm_set1_epi16(-13107)), 3); }
__m128i Hundredth(__m128i v) { return _mm_srli_epi16(_mm_mulhi_epu16(v, _mm_set1_epi16(-23592)), 6); }
__m128i Thousandth(__m128i v) { return _mm_srli_epi16(_mm_mulhi_epu16(v, _mm_set1_epi16(-31981)), 9); }

__m128i TimesTen(__m128i v) { return _mm_mullo_epi16(v, _mm_set1_epi16(10)); }

// Two decimal digits as text in each 16-bit lane, the first in the low byte.
__m128i DigitPair(__m128i first, __m128i second) {
  return _mm_add_epi16(_mm_or_si128(first, _mm_slli_epi16(second, 8)), _mm_set1_epi16(0x3030));
}

// Lanes below 100: the pair of digits.
__m128i PairOfTwo(__m128i v) {
  __m128i tens = Tenth(v);
  return DigitPair(tens, _mm_sub_epi16(v, TimesTen(tens)));
}

// Lanes below 10^4: the first and the second pair of digits.
void PairsOfFour(__m128i v, __m128i& first, __m128i& second) {
  __m128i q1 = Tenth(v), q2 = Hundredth(v), q3 = Thousandth(v);
  first = DigitPair(q3, _mm_sub_epi16(q2, TimesTen(q3)));
  second = DigitPair(_mm_sub_epi16(q1, TimesTen(q2)), _mm_sub_epi16(v, TimesTen(q1)));
}

// Eight values in [0, 2^19) by magnitude: each text is "00" and the six
// integer digits (the low word) and the six decimals and CR LF (the high
// word). The eight words of value i are lane i of the eight rows below.
void EightTexts(__m128 first, __m128 second, std::uint64_t (&low)[8], std::uint64_t (&high)[8]) {
  FourSplit a = SplitFour(first), b = SplitFour(second);
  __m128i whole_hi = _mm_packs_epi32(a.whole_hi, b.whole_hi);
  __m128i whole_lo = _mm_packs_epi32(a.whole_lo, b.whole_lo);
  __m128i frac_hi = _mm_packs_epi32(a.frac_hi, b.frac_hi);
  __m128i frac_lo = _mm_packs_epi32(a.frac_lo, b.frac_lo);

  __m128i rows[8];
  rows[0] = _mm_set1_epi16(0x3030);
  rows[1] = PairOfTwo(whole_hi);
  PairsOfFour(whole_lo, rows[2], rows[3]);
  rows[4] = PairOfTwo(frac_hi);
  PairsOfFour(frac_lo, rows[5], rows[6]);
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

// One value's line from its two words: the sign, the integer digits from
// the first that is not a leading zero (the last is always kept), "." and
// the high word. The stores stay within the line.
char* PutLine(std::uint64_t low, std::uint64_t high, bool negative, char* out) {
  *out = '-';
  out += negative;
  auto skipped = static_cast<unsigned>(std::countr_zero((low ^ 0x3030303030303030ull) | 1ull << 56)) / 8;
  std::uint64_t integer = low >> (8 * skipped);
  std::memcpy(out, &integer, 8);
  out += 8 - skipped;
  *out = '.';
  std::memcpy(out + 1, &high, 8);
  return out + 9;
}

#endif  // VULCONV_FLOAT_LINES_SSE2

}  // namespace

char* WriteFloatLines(const float* values, std::size_t count, char* out) {
  std::size_t i = 0;
#ifdef VULCONV_FLOAT_LINES_SSE2
  if constexpr (std::endian::native == std::endian::little) {
    const __m128 magnitude_mask = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const __m128 limit = _mm_set1_ps(524288.0f);  // 2^19
    for (; i + 8 <= count; i += 8) {
      __m128 first = _mm_loadu_ps(values + i), second = _mm_loadu_ps(values + i + 4);
      __m128 a = _mm_and_ps(first, magnitude_mask), b = _mm_and_ps(second, magnitude_mask);
      // Below the limit: not NaN, infinite or too large for six digits.
      int small = _mm_movemask_ps(_mm_cmplt_ps(a, limit)) |
                  _mm_movemask_ps(_mm_cmplt_ps(b, limit)) << 4;
      if (small != 0xff) {
        for (std::size_t k = i; k < i + 8; ++k) out = WriteOneLine(values[k], out);
        continue;
      }
      int negative = _mm_movemask_ps(first) | _mm_movemask_ps(second) << 4;
      std::uint64_t low[8], high[8];
      EightTexts(a, b, low, high);
      for (int k = 0; k < 8; ++k) out = PutLine(low[k], high[k], (negative >> k) & 1, out);
    }
  }
#endif
  for (; i < count; ++i) out = WriteOneLine(values[i], out);
  return out;
}

}  // namespace vulconv
