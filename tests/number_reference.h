// A slow exact reference for the number text, shared by its unit tests and
// its fuzz target.
#ifndef VULCONV_TESTS_NUMBER_REFERENCE_H_
#define VULCONV_TESTS_NUMBER_REFERENCE_H_

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vulconv::test {

// glibc prints as many exact digits as asked, so ask for the whole
// expansion (down to the lowest set bit, at least seven decimals) and round
// it here: on the magnitude, a seventh decimal of 5 or more rounds up,
// which takes an exact half away from zero.
inline std::string ReferenceText(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  int exponent = 0;
  auto mantissa = static_cast<std::uint64_t>(std::ldexp(std::frexp(std::fabs(value), &exponent), 53));
  int decimals = std::max(7, 53 - exponent - std::countr_zero(mantissa));
  static char buffer[1500];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, std::fabs(value));
  std::string text = buffer;
  std::size_t cut = text.find('.') + 7;
  bool up = text[cut] >= '5';
  text.resize(cut);
  for (std::size_t i = cut; up && i-- > 0;) {
    if (text[i] == '.') continue;
    up = text[i] == '9';
    text[i] = up ? '0' : static_cast<char>(text[i] + 1);
  }
  if (up) text.insert(0, 1, '1');
  return (std::signbit(value) ? "-" : "") + text;
}

}  // namespace vulconv::test

#endif  // VULCONV_TESTS_NUMBER_REFERENCE_H_
