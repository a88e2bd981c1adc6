// The pixel lines with AVX2: the SSE2 way of float_lines.cpp with sixteen
// values to a register. This file alone is built for AVX2; WriteFloatLines
// calls it only on processors that have it.
#include <immintrin.h>

#include "output/shared/float_lines.h"

namespace vulconv {

namespace {

// The parts of eight magnitudes below 2^19, exactly (see SplitFour in
// float_lines.cpp, whose error bounds hold lane by lane here).
struct EightSplit {
  __m256i whole_hi, whole_lo, frac_hi, frac_lo;
};

EightSplit SplitEight(__m256 magnitude) {
  __m256i whole = _mm256_cvttps_epi32(magnitude);
  __m256 fraction = _mm256_sub_ps(magnitude, _mm256_cvtepi32_ps(whole));
  const __m256d million = _mm256_set1_pd(1e6);
  const __m256d half = _mm256_set1_pd(0.5);
  const __m256d ten_thousandth = _mm256_set1_pd(1e-4);
  __m256d low = _mm256_add_pd(
      _mm256_mul_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(fraction)), million), half);
  __m256d high = _mm256_add_pd(
      _mm256_mul_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(fraction, 1)), million), half);
  __m256i millionths = _mm256_set_m128i(_mm256_cvttpd_epi32(high), _mm256_cvttpd_epi32(low));
  __m256i frac_hi = _mm256_set_m128i(_mm256_cvttpd_epi32(_mm256_mul_pd(high, ten_thousandth)),
                                     _mm256_cvttpd_epi32(_mm256_mul_pd(low, ten_thousandth)));
  __m256i carry = _mm256_cmpeq_epi32(millionths, _mm256_set1_epi32(1000000));
  whole = _mm256_sub_epi32(whole, carry);
  const __m256i ten_thousand = _mm256_set1_epi32(10000);
  EightSplit s;
  s.frac_hi = _mm256_andnot_si256(carry, frac_hi);
  s.frac_lo = _mm256_sub_epi32(millionths, _mm256_madd_epi16(frac_hi, ten_thousand));
  s.whole_hi = _mm256_cvttps_epi32(_mm256_add_ps(
      _mm256_mul_ps(_mm256_cvtepi32_ps(whole), _mm256_set1_ps(1e-4f)), _mm256_set1_ps(5e-5f)));
  s.whole_lo = _mm256_sub_epi32(whole, _mm256_madd_epi16(s.whole_hi, ten_thousand));
  return s;
}

// As in float_lines.cpp: a multiplier the compiler keeps as one instruction.
__m256i Opaque16(short value) {
  __m256i v = _mm256_set1_epi16(value);
  asm("" : "+x"(v));
  return v;
}

// Lanes below 100 as two digits of text: 256 v - 2559 (v / 10) + "00".
__m256i DigitPairs(__m256i v) {
  __m256i tens = _mm256_mulhi_epu16(v, _mm256_set1_epi16(6554));
  return _mm256_add_epi16(
      _mm256_sub_epi16(_mm256_slli_epi16(v, 8), _mm256_mullo_epi16(tens, Opaque16(2559))),
      _mm256_set1_epi16(0x3030));
}

// Lanes below 10^4 as their first and second pair of digits.
void DigitPairsOfFour(__m256i v, __m256i& first, __m256i& second) {
  __m256i hundreds = _mm256_srli_epi16(_mm256_mulhi_epu16(v, _mm256_set1_epi16(-23592)), 6);
  first = DigitPairs(hundreds);
  second = DigitPairs(_mm256_sub_epi16(v, _mm256_mullo_epi16(hundreds, Opaque16(100))));
}

// Where the words of value k are in the arrays SixteenTexts stores: packs
// and the unpacks work within 128-bit halves, so the first half holds
// values 0-3 and 8-11, the second 4-7 and 12-15, and each store takes two
// words from each half.
constexpr int kSlot[16] = {0, 1, 4, 5, 2, 3, 6, 7, 8, 9, 12, 13, 10, 11, 14, 15};

// Sixteen values in [0, 2^19) by magnitude, first holding values 0-7:
// their text words, as EightTexts in float_lines.cpp makes them, at kSlot.
void SixteenTexts(__m256 first, __m256 second, std::uint64_t* low, std::uint64_t* high) {
  EightSplit a = SplitEight(first), b = SplitEight(second);
  __m256i rows[8];
  rows[0] = DigitPairs(_mm256_packs_epi32(a.whole_hi, b.whole_hi));
  DigitPairsOfFour(_mm256_packs_epi32(a.whole_lo, b.whole_lo), rows[1], rows[2]);
  rows[3] = _mm256_set1_epi16('.');
  rows[4] = DigitPairs(_mm256_packs_epi32(a.frac_hi, b.frac_hi));
  DigitPairsOfFour(_mm256_packs_epi32(a.frac_lo, b.frac_lo), rows[5], rows[6]);
  rows[7] = _mm256_set1_epi16(0x0a0d);

  __m256i t[8];
  for (int k = 0; k < 8; k += 2) {
    t[k] = _mm256_unpacklo_epi16(rows[k], rows[k + 1]);
    t[k + 1] = _mm256_unpackhi_epi16(rows[k], rows[k + 1]);
  }
  auto store = [](std::uint64_t* to, __m256i words) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), words);
  };
  store(low + 0, _mm256_unpacklo_epi32(t[0], t[2]));
  store(low + 4, _mm256_unpackhi_epi32(t[0], t[2]));
  store(low + 8, _mm256_unpacklo_epi32(t[1], t[3]));
  store(low + 12, _mm256_unpackhi_epi32(t[1], t[3]));
  store(high + 0, _mm256_unpacklo_epi32(t[4], t[6]));
  store(high + 4, _mm256_unpackhi_epi32(t[4], t[6]));
  store(high + 8, _mm256_unpacklo_epi32(t[5], t[7]));
  store(high + 12, _mm256_unpackhi_epi32(t[5], t[7]));
}

}  // namespace

char* WriteFloatLinesAvx2(const float* values, std::size_t count, char* out) {
  const __m256 magnitude_mask = _mm256_castsi256_ps(_mm256_set1_epi32(0x7fffffff));
  const __m256 limit = _mm256_set1_ps(524288.0f);  // 2^19
  std::size_t i = 0;
  // Thirty-two values a step, in two independent groups of sixteen.
  for (; i + 32 <= count; i += 32) {
    __m256 m[4];
    unsigned small = 0, negative = 0;
    for (int q = 0; q < 4; ++q) {
      __m256 v = _mm256_loadu_ps(values + i + 8 * q);
      m[q] = _mm256_and_ps(v, magnitude_mask);
      small |= static_cast<unsigned>(_mm256_movemask_ps(_mm256_cmp_ps(m[q], limit, _CMP_LT_OQ)))
               << (8 * q);
      negative |= static_cast<unsigned>(_mm256_movemask_ps(v)) << (8 * q);
    }
    if (small != 0xffffffffu) {
      for (std::size_t k = i; k < i + 32; ++k) out = WriteOneLine(values[k], out);
      continue;
    }
    std::uint64_t low[32], high[32];
    SixteenTexts(m[0], m[1], low, high);
    SixteenTexts(m[2], m[3], low + 16, high + 16);
    for (int g = 0; g < 32; g += 16) {
      if (((negative >> g) & 0xffff) == 0) {
        for (int k = 0; k < 16; ++k) {
          out = PutLine<false>(low[g + kSlot[k]], high[g + kSlot[k]], 0, out);
        }
      } else {
        for (int k = 0; k < 16; ++k) {
          unsigned sign = (negative >> (g + k)) & 1;
          out = PutLine<true>(low[g + kSlot[k]], high[g + kSlot[k]], sign, out);
        }
      }
    }
  }
  for (; i < count; ++i) out = WriteOneLine(values[i], out);
  return out;
}

}  // namespace vulconv
