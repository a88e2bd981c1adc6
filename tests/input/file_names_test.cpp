#include "input/file_names.h"

#include <gtest/gtest.h>

#include <string>

namespace vulconv {
namespace {

TEST(RecordNumberText, SixDigitsAtLeast) {
  const struct {
    std::int64_t index;
    const char* text;
  } cases[] = {{0, "000000"},     {7, "000007"},         {123456, "123456"},
               {999999, "999999"}, {1000000, "1000000"}, {-5, "-00005"}};
  for (const auto& c : cases) {
    EXPECT_EQ(RecordNumberText(c.index), c.text);
    std::string name = "SCAN.bin.";
    AppendRecordNumber(name, c.index);
    EXPECT_EQ(name, std::string("SCAN.bin.") + c.text);
  }
}

}  // namespace
}  // namespace vulconv
