// The ways pixel lines can be written, for WriteFloatLines to choose from
// and for tests to run each, and the pieces they share.
#ifndef VULCONV_OUTPUT_SHARED_FLOAT_LINES_H_
#define VULCONV_OUTPUT_SHARED_FLOAT_LINES_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "output/shared/number_text.h"

namespace vulconv {

enum class FloatLinesPath { kScalar, kSse2, kAvx2 };

/// True when this build and this processor have the path.
bool HasFloatLinesPath(FloatLinesPath path);

/// WriteFloatLines by the given path, which must be there.
char* WriteFloatLinesBy(FloatLinesPath path, const float* values, std::size_t count, char* out);

/// The AVX2 path, in its own file built for AVX2.
char* WriteFloatLinesAvx2(const float* values, std::size_t count, char* out);

// Internal to each file that includes this, so that the AVX2 file's copies
// never stand in for the others.
namespace {

inline char* WriteOneLine(float value, char* out) {
  out = WriteFloatText(value, out);
  std::memcpy(out, "\r\n", 2);
  return out + 2;
}

// One value's line from its two words: the low word holds six integer
// digits with leading zeros, "." and a byte of no use; the high word the six
// decimals and CR LF. Written: the sign if asked for, the integer digits
// from the first that is not a leading zero (the last is always kept) with
// the ".", then the high word. The stores stay within the line.
template <bool kSigned>
inline char* PutLine(std::uint64_t low, std::uint64_t high, unsigned negative, char* out) {
  if constexpr (kSigned) {
    *out = '-';
    out += negative;
  }
  std::uint64_t nonzero = (low ^ 0x303030303030ull) | 1ull << 40;  // a byte per digit, not "0"
#ifdef __GNUC__
  auto skipped = static_cast<unsigned>(__builtin_ctzll(nonzero)) / 8;
#else
  unsigned skipped = 0;
  while ((nonzero & 0xff) == 0) nonzero >>= 8, ++skipped;
#endif
  std::uint64_t integer = low >> (8 * skipped);
  std::memcpy(out, &integer, 8);
  out += 7 - skipped;
  std::memcpy(out, &high, 8);
  return out + 8;
}

}  // namespace

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_SHARED_FLOAT_LINES_H_
