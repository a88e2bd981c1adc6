// Any 64-bit pattern as a double (and its low 32 bits as a float) against
// an exact slow reference.
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "number_reference.h"
#include "output/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vulconv;
  std::uint64_t bits = 0;
  std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
  double value = std::bit_cast<double>(bits);
  char out[kMaxDoubleText + 1];
  std::string text(out, WriteDoubleText(value, out));
  FUZZ_CHECK(text.size() <= static_cast<std::size_t>(kMaxDoubleText));
  FUZZ_CHECK(text == test::ReferenceText(value));

  float single = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
  std::string single_text(out, WriteFloatText(single, out));
  FUZZ_CHECK(single_text.size() <= static_cast<std::size_t>(kMaxFloatText));
  FUZZ_CHECK(single_text == test::ReferenceText(single));
  FUZZ_CHECK(single_text == DoubleText(single));  // widening is exact
  return 0;
}
