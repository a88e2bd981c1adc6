#include "output/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "number_reference.h"

namespace vulconv {
namespace {

std::string FloatText(float value) {
  char buffer[kMaxFloatText];
  return std::string(buffer, WriteFloatText(value, buffer));
}

using test::ReferenceText;

TEST(NumberText, FloatTable) {
  struct Case {
    float value;
    const char* text;
  };
  const Case cases[] = {
      {0.0f, "0.000000"},
      {-0.0f, "-0.000000"},
      {-3.25f, "-3.250000"},
      {65535.0f, "65535.000000"},
      {1234.5f, "1234.500000"},
      {0.1f, "0.100000"},
      {14.53539f, "14.535390"},
      {0.0000015f, "0.000002"},  // just above a half: rounds up, not truncated
      // Exact halves at the sixth decimal go away from zero, not to even.
      {0.0078125f, "0.007813"},
      {-0.0078125f, "-0.007813"},
      {1234.0078125f, "1234.007813"},
      {0.0234375f, "0.023438"},  // 3/128: even would also go up
      {std::nextafter(0.0078125f, 0.0f), "0.007812"},
      {std::nextafter(0.0078125f, 1.0f), "0.007813"},
      {-5e-7f, "-0.000000"},  // below the half in float: sign kept on zero
      // Rounding carries into the integer digits.
      {0.99999994f, "1.000000"},
      {7.9999995f, "8.000000"},
      {-0.99999994f, "-1.000000"},
      {16777215.0f, "16777215.000000"},
      {16777216.0f, "16777216.000000"},
      // The two floats on either side of 2^64 millionths, where the fast path ends.
      {18446744027136.0f, "18446744027136.000000"},
      {18446746124288.0f, "18446746124288.000000"},
      {1e38f, "99999996802856924650656260769173209088.000000"},
      {FLT_MAX, "340282346638528859811704183484516925440.000000"},
      {-FLT_MAX, "-340282346638528859811704183484516925440.000000"},
      {FLT_TRUE_MIN, "0.000000"},
      {-FLT_TRUE_MIN, "-0.000000"},
      {std::numeric_limits<float>::infinity(), "inf"},
      {-std::numeric_limits<float>::infinity(), "-inf"},
      {std::numeric_limits<float>::quiet_NaN(), "nan"},
      {-std::numeric_limits<float>::quiet_NaN(), "-nan"},
      {std::bit_cast<float>(0xff800001u), "-nan"},  // signalling, sign set
  };
  for (const Case& c : cases) EXPECT_EQ(FloatText(c.value), c.text) << c.text;
}

TEST(NumberText, DoubleTable) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0.0, "0.000000"},
      {-0.0, "-0.000000"},
      {0.0078125, "0.007813"},
      {-0.0078125, "-0.007813"},
      {-1234.0078125, "-1234.007813"},
      {0.9921875, "0.992188"},                            // 127/128, the largest tie fraction
      {35184372088832.0078125, "35184372088832.007813"},  // 2^45 + 2^-7: tie with 53 bits
      {0.0000025, "0.000003"},                            // above the half in binary
      {2.0000005, "2.000001"},
      {0.0000005, "0.000000"},  // below the half in binary
      {9.9999995, "9.999999"},
      {0.9999995, "1.000000"},  // carries into the integer digits
      {99.9999995, "100.000000"},
      {9999999.9999995, "10000000.000000"},
      {-99.9999995, "-100.000000"},
      {999999.9999995, "999999.999999"},
      {-12.345678, "-12.345678"},
      {1e22, "10000000000000000000000.000000"},
      {DBL_TRUE_MIN, "0.000000"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
      {std::numeric_limits<double>::quiet_NaN(), "nan"},
      {-std::numeric_limits<double>::quiet_NaN(), "-nan"},
  };
  for (const Case& c : cases) EXPECT_EQ(DoubleText(c.value), c.text) << c.text;

  std::string largest = DoubleText(-DBL_MAX);
  EXPECT_EQ(largest.size(), static_cast<std::size_t>(kMaxDoubleText));
  EXPECT_EQ(largest, ReferenceText(-DBL_MAX));
  EXPECT_EQ(largest.substr(0, 12), "-17976931348");
}

// Every finite float, by its bit pattern, against the slow reference; and
// a float widened to double must give the same text both ways.
TEST(NumberText, RandomFloatsMatchReference) {
  std::mt19937 random(20240611);
  int checked = 0;
  while (checked < 1000000) {
    float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (!std::isfinite(value)) continue;
    ++checked;
    std::string text = FloatText(value);
    ASSERT_EQ(text, ReferenceText(value)) << std::hexfloat << value;
    ASSERT_EQ(text, DoubleText(value)) << std::hexfloat << value;
  }
}

// Every integer part and every six-decimal fraction the fast path can
// meet: n + 0.5 for all n below 2^19, and 1 + k / 2^20, whose steps are
// finer than 10^-6 so that every rounded fraction occurs.
TEST(NumberText, EveryDigitPatternOfSmallFloats) {
  char expected[32];
  for (int n = 0; n < (1 << 19); ++n) {
    std::snprintf(expected, sizeof expected, "%d.500000", n);
    ASSERT_EQ(FloatText(static_cast<float>(n) + 0.5f), expected);
  }
  for (int k = 0; k < (1 << 20); ++k) {
    double millionths = std::floor(k * 1e6 / (1 << 20) + 0.5);  // exact in double
    std::snprintf(expected, sizeof expected, "1.%06d", static_cast<int>(millionths));
    ASSERT_EQ(FloatText(1.0f + std::ldexp(static_cast<float>(k), -20)), expected) << k;
  }
}

// Doubles: random bit patterns, values of the size of positions and
// altitudes, and exact halves with their two neighbours.
TEST(NumberText, RandomDoublesMatchReference) {
  std::mt19937_64 random(7);
  auto check = [](double value) {
    ASSERT_EQ(DoubleText(value), ReferenceText(value)) << std::hexfloat << value;
  };
  for (int i = 0; i < 20000; ++i) {
    double value = std::bit_cast<double>(random());
    if (std::isfinite(value)) check(value);
  }
  std::uniform_real_distribution<double> position(-20000.0, 20000.0);
  for (int i = 0; i < 100000; ++i) check(position(random));
  for (int i = 0; i < 50000; ++i) {
    int bits = static_cast<int>(random() % 46);  // integer parts up to 2^45
    double whole = static_cast<double>(random() & ((std::uint64_t{1} << bits) - 1));
    double tie = whole + static_cast<double>(random() % 64 * 2 + 1) / 128;
    if (random() & 1) tie = -tie;
    check(tie);
    check(std::nextafter(tie, 0.0));
    check(std::nextafter(tie, tie * 2));
  }
}

}  // namespace
}  // namespace vulconv
