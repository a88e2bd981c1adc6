#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "output/float_lines.h"
#include "output/number_text.h"

namespace vulconv {
namespace {

// The lines as WriteFloatText gives them one by one.
std::string ExpectedLines(const std::vector<float>& values) {
  std::string text;
  char buffer[kMaxFloatText];
  for (float v : values) text.append(buffer, WriteFloatText(v, buffer)).append("\r\n");
  return text;
}

// WriteFloatLines on values, in pieces of 2048 as a record is, by each way
// this build and processor have, checking that no byte past the text is
// touched.
void ExpectSameLines(const std::vector<float>& values) {
  const FloatLinesPath paths[] = {FloatLinesPath::kScalar, FloatLinesPath::kSse2,
                                  FloatLinesPath::kAvx2};
  std::size_t start = 0;
  do {
    std::size_t count = std::min<std::size_t>(2048, values.size() - start);
    std::vector<float> piece(values.begin() + static_cast<std::ptrdiff_t>(start),
                             values.begin() + static_cast<std::ptrdiff_t>(start + count));
    std::string expected = ExpectedLines(piece);
    for (FloatLinesPath path : paths) {
      if (!HasFloatLinesPath(path)) continue;
      std::string buffer(count * (kMaxFloatText + 2) + 16, '#');
      char* end = WriteFloatLinesBy(path, piece.data(), count, buffer.data());
      ASSERT_EQ(std::string(buffer.data(), end), expected)
          << "piece at " << start << ", path " << static_cast<int>(path);
      ASSERT_EQ(buffer.find_first_not_of('#', expected.size()), std::string::npos);
    }
    std::string buffer(count * (kMaxFloatText + 2), '#');
    ASSERT_EQ(std::string(buffer.data(), WriteFloatLines(piece.data(), count, buffer.data())),
              expected);
    start += count;
  } while (start < values.size());
}

TEST(FloatLines, EdgeValuesInEveryPositionOfAGroup) {
  const float edges[] = {0.0f, -0.0f, 0.0078125f, -0.0078125f, 0.0000015f, -5e-7f,
                         0.99999994f, 9.9999995f, 99999.99f, 524287.97f, 524288.0f,
                         -524287.97f, 1e38f, FLT_MAX, FLT_TRUE_MIN,
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::quiet_NaN()};
  // Each edge value alone among ordinary values, at each place of a step
  // of 32, and a list of every length from 0 to 40 for the rest.
  for (float edge : edges) {
    for (int at = 0; at < 32; ++at) {
      std::vector<float> values(64, 1234.5678f);
      values[at] = edge;
      values[32 + (at + 7) % 32] = -edge;
      ExpectSameLines(values);
    }
  }
  for (int n = 0; n <= 40; ++n) {
    std::vector<float> values;
    for (int k = 0; k < n; ++k) values.push_back(static_cast<float>(k) * 3.0078125f - 20);
    ExpectSameLines(values);
  }
}

// Every integer part below 2^19, every rounded six-decimal fraction, and
// the floats next to each integer where the rounding carries.
TEST(FloatLines, EveryDigitPattern) {
  std::vector<float> values;
  for (int n = 0; n < (1 << 19); ++n) values.push_back(static_cast<float>(n) + 0.5f);
  ExpectSameLines(values);
  values.clear();
  for (int k = 0; k < (1 << 20); ++k) {
    values.push_back(1.0f + std::ldexp(static_cast<float>(k), -20));
    values.push_back(-std::ldexp(static_cast<float>(k), -20));
  }
  ExpectSameLines(values);
  values.clear();
  for (int n : {1, 9, 10, 99, 100, 999, 1000, 9999, 10000, 99999, 100000, 524287}) {
    float up = static_cast<float>(n), down = up;
    for (int k = 0; k < 256; ++k) {
      values.push_back(up = std::nextafter(up, FLT_MAX));
      values.push_back(down = std::nextafter(down, 0.0f));
    }
  }
  ExpectSameLines(values);
}

TEST(FloatLines, RandomValues) {
  std::mt19937 random(5);
  std::vector<float> values;
  for (int k = 0; k < 1 << 21; ++k) {
    auto bits = static_cast<std::uint32_t>(random());
    // Mostly magnitudes from 2^-27 to 2^20, and now and then any pattern.
    if (k % 64 != 0) bits = (bits & 0x807fffffu) | (100 + bits % 47) << 23;
    values.push_back(std::bit_cast<float>(bits));
  }
  ExpectSameLines(values);
}

}  // namespace
}  // namespace vulconv
