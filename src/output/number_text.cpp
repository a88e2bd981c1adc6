#include "output/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vulconv {

namespace {

// "00" to "99": two digits per step halves the number of steps and needs no
// division by a variable.
constexpr char kDigitPairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr std::uint64_t kPowersOfTen[20] = {
    1ull,
    10ull,
    100ull,
    1000ull,
    10000ull,
    100000ull,
    1000000ull,
    10000000ull,
    100000000ull,
    1000000000ull,
    10000000000ull,
    100000000000ull,
    1000000000000ull,
    10000000000000ull,
    100000000000000ull,
    1000000000000000ull,
    10000000000000000ull,
    100000000000000000ull,
    1000000000000000000ull,
    10000000000000000000ull,
};

// Decimal digits of value, 1 for 0. bit_width * log10(2) is exact or one
// short; one comparison settles it.
int DigitCount(std::uint64_t value) {
  int guess = (std::bit_width(value) * 1233) >> 12;
  return guess + (value >= kPowersOfTen[guess]) + (value == 0);
}

// Writes the low `count` decimal digits of value, zero-filled, ending at end.
void PutDigits(std::uint64_t value, char* end, int count) {
  while (count >= 2) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * (value % 100), 2);
    value /= 100;
    count -= 2;
  }
  if (count == 1) end[-1] = static_cast<char>('0' + value % 10);
}

char* WriteUnsigned(std::uint64_t value, char* out) {
  int count = DigitCount(value);
  PutDigits(value, out + count, count);
  return out + count;
}

// Floats of 2^64 and above only: at most 39 digits, so at most two
// 19-digit pieces below the leading one.
char* WriteUnsigned128(unsigned __int128 value, char* out) {
  constexpr std::uint64_t k19 = kPowersOfTen[19];
  if (value <= UINT64_MAX) return WriteUnsigned(static_cast<std::uint64_t>(value), out);
  out = WriteUnsigned128(value / k19, out);
  PutDigits(static_cast<std::uint64_t>(value % k19), out + 19, 19);
  return out + 19;
}

// millionths as "<integer>.<six decimals>".
char* WriteMillionths(std::uint64_t millionths, char* out) {
  std::uint64_t whole = millionths / 1000000;
  out = WriteUnsigned(whole, out);
  *out = '.';
  PutDigits(millionths - whole * 1000000, out + 7, 6);
  return out + 7;
}

// printf's spelling, the sign bit kept for NaN too.
char* WriteNonFinite(bool negative, bool is_nan, char* out) {
  if (negative) *out++ = '-';
  std::memcpy(out, is_nan ? "nan" : "inf", 3);
  return out + 3;
}

}  // namespace

char* WriteFloatText(float value, char* out) {
  std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  std::uint32_t magnitude_bits = bits & 0x7fffffffu;
  bool negative = (bits >> 31) != 0;
  if (magnitude_bits >= 0x7f800000u) {
    return WriteNonFinite(negative, magnitude_bits > 0x7f800000u, out);
  }
  *out = '-';
  out += negative;

  // 24 mantissa bits times 10^6 = 15625 * 2^6 need at most 38 bits, so the
  // product is exact, and so are its truncation and the fraction left over.
  double scaled = static_cast<double>(std::bit_cast<float>(magnitude_bits)) * 1e6;
  if (scaled < 0x1p64) {
    std::uint64_t millionths = static_cast<std::uint64_t>(scaled);
    millionths += (scaled - static_cast<double>(millionths)) >= 0.5;  // half away from zero
    return WriteMillionths(millionths, out);
  }
  // Here the value is above 2^24 and so an integer: mantissa << (exponent - 150).
  unsigned __int128 whole = static_cast<unsigned __int128>((magnitude_bits & 0x7fffffu) | 0x800000u)
                            << ((magnitude_bits >> 23) - 150);
  out = WriteUnsigned128(whole, out);
  std::memcpy(out, ".000000", 7);
  return out + 7;
}

char* WriteDoubleText(double value, char* out) {
  if (!std::isfinite(value)) return WriteNonFinite(std::signbit(value), std::isnan(value), out);

  // A value halfway between two six-decimal numbers is k / (2 * 10^6) with k
  // odd; as a binary fraction that is an odd multiple of 2^-7. Such values
  // are below 2^46 (53 mantissa bits ending at 2^-7), and to_chars would
  // round them to even, so they are done here.
  double magnitude = std::fabs(value);
  if (magnitude < 0x1p46) {
    double whole = std::floor(magnitude);
    double sevenths = (magnitude - whole) * 128;  // both steps exact
    if (sevenths == std::floor(sevenths) && std::fmod(sevenths, 2) == 1) {
      if (std::signbit(value)) *out++ = '-';
      out = WriteUnsigned(static_cast<std::uint64_t>(whole), out);
      *out = '.';
      // j/128 * 10^6 = j * 15625 / 2, rounded up; below 10^6 for j <= 127,
      // so nothing carries into the integer digits.
      std::uint64_t j = static_cast<std::uint64_t>(sevenths);
      PutDigits((j * 15625 + 1) / 2, out + 7, 6);
      return out + 7;
    }
  }
  // Anything else is not a tie, and to_chars is exact and correctly rounded.
  return std::to_chars(out, out + kMaxDoubleText, value, std::chars_format::fixed, 6).ptr;
}

std::string DoubleText(double value) {
  char buffer[kMaxDoubleText];
  return std::string(buffer, WriteDoubleText(value, buffer));
}

}  // namespace vulconv
