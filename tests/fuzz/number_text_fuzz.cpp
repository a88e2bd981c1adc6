// Any 64-bit pattern as a double (and its low 32 bits as a float) against
// an exact slow reference.
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "output/number_text.h"

namespace vulconv::fuzz {
namespace {

// glibc prints the exact decimal expansion when asked for enough digits
// (1074 reach the smallest double), so round that text to six decimals
// here: on the magnitude, a seventh decimal of 5 or more rounds up, which
// takes an exact half away from zero.
std::string Reference(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  static char buffer[1500];
  std::snprintf(buffer, sizeof buffer, "%.1074f", std::fabs(value));
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

}  // namespace
}  // namespace vulconv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vulconv;
  std::uint64_t bits = 0;
  std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
  double value = std::bit_cast<double>(bits);
  char out[kMaxDoubleText + 1];
  std::string text(out, WriteDoubleText(value, out));
  FUZZ_CHECK(text.size() <= static_cast<std::size_t>(kMaxDoubleText));
  FUZZ_CHECK(text == fuzz::Reference(value));

  float single = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
  std::string single_text(out, WriteFloatText(single, out));
  FUZZ_CHECK(single_text.size() <= static_cast<std::size_t>(kMaxFloatText));
  FUZZ_CHECK(single_text == fuzz::Reference(single));
  FUZZ_CHECK(single_text == DoubleText(single));  // widening is exact
  return 0;
}
