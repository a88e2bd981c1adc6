// Any 64-bit pattern as a double, and its low 32 bits as a float, against
// the exact slow reference.
#include <algorithm>
#include <bit>
#include <cstring>

#include "fuzz_check.h"
#include "number_reference.h"
#include "output/shared/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vulconv;
  std::uint64_t bits = 0;
  std::memcpy(&bits, data, std::min(size, sizeof bits));
  double value = std::bit_cast<double>(bits);
  auto single = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
  char out[kMaxDoubleText];
  FUZZ_CHECK(std::string(out, WriteDoubleText(value, out)) == test::ReferenceText(value));
  FUZZ_CHECK(std::string(out, WriteFloatText(single, out)) == test::ReferenceText(single));
  return 0;
}
