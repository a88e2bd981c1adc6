#include "input/line_fields.h"

#include <gtest/gtest.h>

#include <string>

namespace vulconv {
namespace {

// Fourteen fields, so that the next token is field 15.
const std::string kTo15 = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 ";

TEST(ReadLineFieldTest, CutsAndZeroPadsTheField) {
  const struct {
    std::string line;
    int index, width;
    std::string expected;
  } cases[] = {
      {"x 5 14", 2, 2, "05"},         // one-digit month
      {"x 5 1", 2, 3, "051"},         // a short field runs into the next
      {"x 45 3", 2, 3, "045"},
      {"x -5 3", 2, 3, "0-5"},
      {"x 12345.67", 2, 6, "12345."},  // a long field is cut
      {"x 3.25", 2, 8, "3.25"},       // the end of the line pads nothing
      {"x b\tc", 2, 3, "0bc"},        // a tab in the cut counts as a blank
      {" a b", 2, 1, "a"},            // a leading blank ends an empty field 1
      {"a\t\tb  \t c", 3, 5, "c"},
      {"a b", 3, 4, ""},              // missing fields
      {"a b  ", 3, 4, ""},
      {"", 2, 4, ""},
      {kTo15 + "-12.5 x", 15, 3, "-12.5"},  // field 15 whole, unpadded
      {kTo15 + "4 x", 15, 3, "4"},
      {kTo15 + "123456789 x", 15, 3, "123456789"},
      {kTo15 + "-12.5\tx", 15, 3, "-12.5"},
      {kTo15 + "45", 15, 3, "45"},
      {kTo15, 15, 3, ""},
      {kTo15 + "45 3.25", 16, 8, "3.25"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadLineField(c.line, c.index, c.width), c.expected)
        << '"' << c.line << "\" field " << c.index << " width " << c.width;
    EXPECT_EQ(ReadLineField(FindLineFieldStarts(c.line), c.index, c.width), c.expected)
        << '"' << c.line << "\" field " << c.index << " width " << c.width << ", one pass";
  }
}

// The one-pass starts give what the field-by-field search gives, for every
// field of lines with leading, doubled and trailing blanks and tabs.
TEST(ReadLineFieldTest, OnePassStartsMatchTheSearch) {
  const std::string lines[] = {
      "", " ", "a", " a  b\t\tc ", kTo15 + "45 3.25 x y z", "\t1\t2 \t3",
      "1 2024 06 12 09 30 12.25 A 1432.1234 N 09051.2345 W 3712.5 G 15 1.5"};
  for (const std::string& line : lines) {
    LineFieldStarts fields = FindLineFieldStarts(line);
    for (int index = 1; index <= kMaxFieldStart; ++index) {
      EXPECT_EQ(ReadLineField(fields, index, 4), ReadLineField(line, index, 4))
          << '"' << line << "\" field " << index;
    }
  }
}

TEST(CountLineFieldsTest, CountsRunsOfBlanksFollowedByText) {
  const struct {
    std::string line;
    int expected;
  } cases[] = {
      {"a\tb  c ", 3}, {" a b", 3}, {"", 1}, {" \t ", 1}, {"a", 1}, {"a b c d e f g h i j", 10},
  };
  for (const auto& c : cases) EXPECT_EQ(CountLineFields(c.line), c.expected) << '"' << c.line << '"';
}

TEST(ReadLineFieldTest, HandlesLinesFarLongerThanAnyRealOne) {
  std::string many;
  for (int i = 0; i < 50000; ++i) many += (i % 10 == 0 ? "7 " : "x ");
  EXPECT_EQ(CountLineFields(many), 50000);
  EXPECT_EQ(ReadLineField(many, 49991, 3), "07x");
  EXPECT_EQ(ReadLineField(many, 50001, 3), "");
  std::string one(100000, '9');
  EXPECT_EQ(CountLineFields(one), 1);
  EXPECT_EQ(ReadLineField(one, 15, 3), "");
  EXPECT_EQ(ReadLineField(one + " 12", 2, 8), "12");
}

}  // namespace
}  // namespace vulconv
