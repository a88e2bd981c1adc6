#include "output/shared/number_text.h"

#include <array>
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

constexpr auto kPowersOfTen = [] {
  std::array<std::uint64_t, 20> powers{1};
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}();

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

std::uint64_t DigitPair(std::uint64_t value) {
  std::uint16_t pair;
  std::memcpy(&pair, kDigitPairs + 2 * value, 2);
  return pair;
}

// The six digits of value < 10^6 as text in the low six bytes of a word,
// first digit in the lowest byte. value * ceil(2^64 / 10^4) is value / 10^4
// in 64.64 fixed point, rounded up: its high word is the first pair, and
// each multiplication of the low word by 100 brings the next pair into the
// high word. The one instruction gives both words, so no shifts or masks
// are needed. The rounding error stays far below what could change a digit
// (checked for every value below 10^6).
std::uint64_t SixDigits(std::uint64_t value) {
  using Wide = unsigned __int128;
  Wide y = static_cast<Wide>(value) * 1844674407370956ull;
  std::uint64_t text = DigitPair(static_cast<std::uint64_t>(y >> 64));
  y = static_cast<Wide>(static_cast<std::uint64_t>(y)) * 100;
  text |= DigitPair(static_cast<std::uint64_t>(y >> 64)) << 16;
  y = static_cast<Wide>(static_cast<std::uint64_t>(y)) * 100;
  return text | DigitPair(static_cast<std::uint64_t>(y >> 64)) << 32;
}

// "<whole>.<decimals>" for whole and decimals below 10^6, on a
// little-endian host. No loop and no branch on the digit count, which the
// branch predictor could not follow on pixel values: the integer digits,
// their leading zeros shifted out, go in one 8-byte store; then the last
// of them, "." and the six decimals are the 8 bytes that end the text. Both
// stores stay within the text, as it is at least 8 bytes long.
char* WriteSmallFixed(std::uint32_t whole, std::uint32_t decimals, char* out) {
  constexpr std::uint64_t kAsciiZeros = 0x303030303030ull;
  std::uint64_t digits = SixDigits(whole);
  std::uint64_t tail = (digits >> 40) | '.' << 8 | SixDigits(decimals) << 16;
  int skipped = std::countr_zero((digits ^ kAsciiZeros) | 1ull << 40) / 8;  // keeps one digit
  std::uint64_t integer_text = digits >> (8 * skipped);
  char* last_digit = out + (5 - skipped);
  std::memcpy(out, &integer_text, 8);
  std::memcpy(last_digit, &tail, 8);
  return last_digit + 8;
}

// millionths as "<integer>.<six decimals>".
char* WriteMillionths(std::uint64_t millionths, char* out) {
  std::uint64_t whole = millionths / 1000000;
  std::uint64_t decimals = millionths - whole * 1000000;
  if (std::endian::native == std::endian::little && whole < 1000000) {
    return WriteSmallFixed(static_cast<std::uint32_t>(whole), static_cast<std::uint32_t>(decimals),
                           out);
  }
  out = WriteUnsigned(whole, out);
  *out = '.';
  PutDigits(decimals, out + 7, 6);
  return out + 7;
}

// printf's spelling, the sign bit kept for NaN too.
char* WriteNonFinite(bool negative, bool is_nan, char* out) {
  if (negative) *out++ = '-';
  std::memcpy(out, is_nan ? "nan" : "inf", 3);
  return out + 3;
}

// Any float, exactly; WriteFloatText sends here those its fast path leaves:
// zero, values below 2^-40 and from 2^19 up, and the non-finite ones. Out
// of line so that the fast path needs no saved registers.
[[gnu::noinline]] char* WriteFloatTextRare(std::uint32_t bits, char* out) {
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

}  // namespace

char* WriteFloatText(float value, char* out) {
  std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  // |value| = mantissa / 2^shift. Shifts of 5 to 63 are 2^-40 <= |value| <
  // 2^19, which holds nearly every pixel value and keeps the integer digits
  // below 10^6.
  std::uint32_t shift = 150 - ((bits >> 23) & 0xff);
  if (std::endian::native != std::endian::little || shift - 5 > 58) {
    return WriteFloatTextRare(bits, out);
  }
  std::uint64_t mantissa = (bits & 0x7fffffu) | 0x800000u;
  *out = '-';
  out += bits >> 31;
  // Integer arithmetic, so exact, and cheaper than going through a double:
  // with t = |value| * 2 * 10^6 truncated, (t + 1) / 2 is |value| * 10^6
  // rounded to nearest with an exact half going up, away from zero.
  std::uint64_t doubled = (mantissa * 1000000) >> (shift - 1);
  std::uint64_t millionths = (doubled + 1) >> 1;
  std::uint64_t whole = millionths / 1000000;
  return WriteSmallFixed(static_cast<std::uint32_t>(whole),
                         static_cast<std::uint32_t>(millionths - whole * 1000000), out);
}

char* WriteDoubleText(double value, char* out) {
  if (!std::isfinite(value)) return WriteNonFinite(std::signbit(value), std::isnan(value), out);

  // Below 2^43 the float path's integer arithmetic works in 128 bits:
  // |value| = mantissa / 2^shift with shift >= 10, and the 53-bit mantissa
  // times 10^6 fits in 73 bits; doubled, truncated, plus one and halved, it
  // is the millionths rounded to nearest with an exact half going up. Their
  // integer part stays below 2^43, so the millionths fit in 64 bits.
  auto bits = std::bit_cast<std::uint64_t>(value);
  std::uint64_t exponent = (bits >> 52) & 0x7ff;
  if (exponent < 1023 + 43) {
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    std::uint64_t shift = 1074;  // subnormal: mantissa / 2^1074
    if (exponent != 0) {
      mantissa |= std::uint64_t{1} << 52;
      shift = 1075 - exponent;
    }
    unsigned __int128 product = static_cast<unsigned __int128>(mantissa) * 1000000;
    std::uint64_t doubled =
        shift - 1 < 128 ? static_cast<std::uint64_t>(product >> (shift - 1)) : 0;
    *out = '-';
    out += bits >> 63;
    return WriteMillionths((doubled + 1) >> 1, out);
  }

  // A value halfway between two six-decimal numbers is k / (2 * 10^6) with k
  // odd; as a binary fraction that is an odd multiple of 2^-7. Such values
  // are below 2^46 (53 mantissa bits ending at 2^-7), and to_chars would
  // round them to even, so they are done here.
  double magnitude = std::fabs(value);
  if (magnitude < 0x1p46) {
    double whole = std::floor(magnitude);
    double in_128ths = (magnitude - whole) * 128;  // both steps exact
    if (in_128ths == std::floor(in_128ths) && std::fmod(in_128ths, 2) == 1) {
      if (std::signbit(value)) *out++ = '-';
      out = WriteUnsigned(static_cast<std::uint64_t>(whole), out);
      *out = '.';
      // j/128 * 10^6 = j * 15625 / 2, rounded up; below 10^6 for j <= 127,
      // so nothing carries into the integer digits.
      std::uint64_t j = static_cast<std::uint64_t>(in_128ths);
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

void AppendDoubleText(std::string& out, double value) {
  char text[kMaxDoubleText];
  out.append(text, WriteDoubleText(value, text));
}

void AppendFloatText(std::string& out, float value) {
  char text[kMaxFloatText];
  out.append(text, WriteFloatText(value, text));
}

void AppendInteger(std::string& out, std::int64_t value) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void AppendPadded(std::string& out, std::int64_t value, int width) {
  char digits[24];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  for (auto n = end - digits; n < width; ++n) out += '0';
  out.append(digits, end);
}

void AppendFixed(std::string& out, double value, int decimals) {
  double scale = std::pow(10.0, decimals);
  if (!(std::fabs(value) * scale < 1e18)) return AppendDoubleText(out, value);
  long long units = std::llround(std::fabs(value) * scale);
  auto whole = static_cast<long long>(scale);
  if (value < 0 && units != 0) out += '-';
  AppendInteger(out, units / whole);
  if (decimals == 0) return;
  out += '.';
  AppendPadded(out, units % whole, decimals);
}

std::string AngleText(double degrees) {
  std::string text;
  long long units = std::llround(degrees * 10000);
  AppendInteger(text, units / 10000);
  text += '.';
  AppendPadded(text, units % 10000, 4);
  return text;
}

}  // namespace vulconv
