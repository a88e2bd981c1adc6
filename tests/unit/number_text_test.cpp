// The number text: known texts, an exact slow reference, and the pixel-line
// writers against the one-value writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <random>

#include "input/binary_file.h"
#include "number_reference.h"
#include "output/shared/float_lines.h"

namespace vulconv {
namespace {

using test::ReferenceText;

std::string FloatText(float value) {
  char buffer[kMaxFloatText];
  return std::string(buffer, WriteFloatText(value, buffer));
}

TEST(NumberText, KnownTexts) {
  const std::pair<double, const char*> cases[] = {  // the same text as float and as double
      {-0.0, "-0.000000"}, {14.53539, "14.535390"}, {-5e-7, "-0.000000"}, {0.0000015, "0.000002"},
      {0.0078125, "0.007813"}, {-1234.0078125, "-1234.007813"},  // halves away from zero
      {0.9921875, "0.992188"}, {0.99999994, "1.000000"}, {9999999.9999995, "10000000.000000"},
      {18446744027136.0, "18446744027136.000000"},  // the floats either side of 2^64
      {18446746124288.0, "18446746124288.000000"},  // millionths
      {INFINITY, "inf"}, {-INFINITY, "-inf"}, {NAN, "nan"}, {-NAN, "-nan"}};
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(FloatText(static_cast<float>(value)), text);
    EXPECT_EQ(DoubleText(value), text);
  }
  EXPECT_EQ(FloatText(FLT_MAX), "340282346638528859811704183484516925440.000000");
  EXPECT_EQ(DoubleText(35184372088832.0078125), "35184372088832.007813");  // a tie of 53 bits
  EXPECT_EQ(DoubleText(-DBL_MAX), ReferenceText(-DBL_MAX));
}

// Random bit patterns, positions, and exact halves with their neighbours.
TEST(NumberText, RandomValuesMatchTheReference) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> position(-20000.0, 20000.0);
  for (int i = 0; i < 300000; ++i) {
    auto value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    std::string text = ReferenceText(value);
    ASSERT_EQ(FloatText(value), text) << std::hexfloat << value;
    ASSERT_EQ(DoubleText(value), text) << std::hexfloat << value;
    if (i % 5 != 0) continue;
    double whole = static_cast<double>(random() & ((std::uint64_t{1} << (random() % 46)) - 1));
    double tie = (whole + static_cast<double>(random() % 64 * 2 + 1) / 128) * (i % 2 ? -1 : 1);
    double any = i % 15 ? position(random) : std::bit_cast<double>(random());  // long texts: slow
    for (double v : {any, position(random), tie, std::nextafter(tie, 0.0), std::nextafter(tie, tie * 2)}) {
      ASSERT_EQ(DoubleText(v), ReferenceText(v)) << std::hexfloat << v;
    }
  }
}

// Each path this build and processor have, and the one chosen, on values in
// pieces of 2048 as a record is, less 0 to 40 so that every tail of a step
// occurs: the one-value writer's lines, and nothing written past them.
void ExpectSameLines(const std::vector<float>& values) {
  for (std::size_t start = 0, n = 0, count = 0; start < values.size(); start += count, ++n) {
    count = std::min<std::size_t>(2048 - n % 41, values.size() - start);
    const float* piece = values.data() + start;
    std::string expected;
    for (std::size_t i = 0; i < count; ++i) expected += FloatText(piece[i]) + "\r\n";
    for (int path = 0; path <= 3; ++path) {
      auto by = static_cast<FloatLinesPath>(path);
      if (path < 3 && !HasFloatLinesPath(by)) continue;
      std::string buffer(count * (kMaxFloatText + 2) + 16, '#');
      char* end = path < 3 ? WriteFloatLinesBy(by, piece, count, buffer.data())
                           : WriteFloatLines(piece, count, buffer.data());
      ASSERT_EQ(std::string(buffer.data(), end), expected) << "at " << start << " path " << path;
      ASSERT_EQ(buffer.find_first_not_of('#', expected.size()), std::string::npos);
    }
  }
}

TEST(FloatLines, EveryPathWritesWhatTheOneValueWriterWrites) {
  // Each edge among ordinary values at each place of a group of 32, with
  // its negation in the next group.
  for (float edge : {0.0f, 0.0078125f, 0.0000015f, -5e-7f, 0.99999994f, 9.9999995f, 99999.99f,
                     524287.97f, 524288.0f, 1e38f, FLT_MAX, FLT_TRUE_MIN, INFINITY, -NAN}) {
    for (int at = 0; at < 32; ++at) {
      std::vector<float> values(64, 1234.5678f);
      values[at] = edge;
      values[32 + (at + 7) % 32] = -edge;
      ExpectSameLines(values);
    }
  }
  // Every integer part the fast paths meet, every rounded six-decimal
  // fraction (steps of 2^-20 are finer than 10^-6), both known exactly, and
  // random values, mostly of pixel size.
  std::vector<float> values;
  char expected[32];
  for (int n = 0; n < (1 << 19); ++n) {
    values.push_back(static_cast<float>(n) + 0.5f);
    std::snprintf(expected, sizeof expected, "%d.500000", n);
    ASSERT_EQ(FloatText(values.back()), expected);
  }
  for (int k = 0; k < (1 << 20); ++k) {
    values.push_back(1.0f + std::ldexp(static_cast<float>(k), -20));
    values.push_back(-std::ldexp(static_cast<float>(k), -20));
    std::snprintf(expected, sizeof expected, "1.%06d",
                  static_cast<int>(std::floor(k * 1e6 / (1 << 20) + 0.5)));  // exact
    ASSERT_EQ(FloatText(values[values.size() - 2]), expected) << k;
  }
  std::mt19937 random(5);
  for (int k = 0; k < 1 << 20; ++k) {
    auto bits = static_cast<std::uint32_t>(random());
    if (k % 64 != 0) bits = (bits & 0x807fffffu) | (100 + bits % 47) << 23;
    values.push_back(std::bit_cast<float>(bits));
  }
  ExpectSameLines(values);
}

// Big-endian hosts decode the file's little-endian bytes one by one.
TEST(DecodeRecord, LittleEndianBytesAnywhereInTheRecord) {
  std::vector<unsigned char> bytes(kRecordBytes);
  for (int at : {4, 4 * 2047}) std::copy_n("\x01\x02\x80\x3f", 4, bytes.begin() + at);
  SpectrumRecord record;
  DecodeRecord(bytes.data(), record);
  for (int p : {0, 1, 2, 2047}) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(record.pixels[p]), p % 2046 == 1 ? 0x3f800201u : 0u) << p;
  }
}

}  // namespace
}  // namespace vulconv
