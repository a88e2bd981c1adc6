#include "input/text_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace vulconv {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct DecimalCase {
  std::string text;
  double expected;  // compared exactly, sign of zero included
};

TEST(LeadingDecimalTest, TakesTheLongestLeadingDecimalNumber) {
  const DecimalCase cases[] = {
      {"012.5x", 12.5}, {"", 0}, {"0-12.3", 0}, {"0x1p3", 0}, {"inf", 0}, {"nan", 0},
      {"1e5", 100000}, {"1e", 1}, {"1e+", 1}, {"1.5E+2", 150}, {"-.5", -0.5}, {"+3", 3},
      {"5.", 5}, {"5.e1", 50}, {".", 0}, {"-", 0}, {"e5", 0}, {".e5", 0}, {"+-3", 0},
      {"12,5", 12}, {" \t\n\v\f\r7", 7}, {"-0", -0.0}, {"0.1", 0.1},
      {"3.14159265358979323846264338327950288", 3.141592653589793},
      // Out of range as strtod gives it: infinity, zero or a denormal.
      {"1e999", kInf}, {"-1e999", -kInf}, {"1e99999999999999999999", kInf},
      {"1000e306", kInf}, {"0.00001e313", 1e308}, {"1e-400", 0}, {"-1e-400", -0.0},
      {"100000000000e-335", 0}, {"0.0001e-99999999999999", 0},
      {"4.9e-324", std::numeric_limits<double>::denorm_min()},
  };
  for (const auto& c : cases) {
    double got = LeadingDecimal(c.text);
    EXPECT_EQ(got, c.expected) << '"' << c.text << '"';
    EXPECT_EQ(std::signbit(got), std::signbit(c.expected)) << '"' << c.text << '"';
  }
}

TEST(LeadingIntegerTest, ReadsAsAtolAndSaturates) {
  const struct {
    std::string text;
    std::int32_t expected;
  } cases[] = {
      {" 42abc", 42}, {"-7", -7}, {"+5", 5}, {"abc", 0}, {"", 0}, {"- 5", 0}, {"12.9", 12},
      {"\t\n007", 7}, {"2147483647", 2147483647}, {"2147483648", 2147483647},
      {"-2147483648", -2147483648}, {"99999999999", 2147483647}, {"-99999999999", -2147483648},
      {"-99999999999999999999999999", -2147483648},
  };
  for (const auto& c : cases) EXPECT_EQ(LeadingInteger(c.text), c.expected) << '"' << c.text << '"';
}

}  // namespace
}  // namespace vulconv
