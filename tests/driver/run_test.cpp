// The command line, as a user meets it.
#include <gtest/gtest.h>

#include "test_util.h"

namespace vulconv {
namespace {

using test::RunVulconv;
using test::ScopedTempDir;

const char kUsage[] =
    "\n"
    "vulconv can be used to convert Vulcora binary files to STD (ASCII) files.\n"
    "Usage:  vulconv <ScanFileName>\n"
    "<ScanFileName> is the file name of the binary scan file to extract.\n"
    "These files typically have the format SCAN_yyyymmdd_hhmm.bin\n"
    "The associated Cal_*.*, *.params and *.txt files should also be present\n"
    "in the directory, as the CAL_ files will also be extracted and the\n"
    "GPS time and location information is read from txt file.\n"
    "\n";

TEST(CommandLine, PrintsUsageAndTouchesNothing) {
  const struct {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{}, 1}, {{"a.bin", "b.bin"}, 1}, {{"--help"}, 0}, {{"-h"}, 0}, {{"-h", "x"}, 1},
  };
  for (const auto& c : cases) {
    ScopedTempDir dir;
    auto result = RunVulconv(c.args, dir.path);
    EXPECT_EQ(result.out, kUsage);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, c.status);
    EXPECT_TRUE(test::ListFiles(dir.path).empty());
  }
}

TEST(CommandLine, PrintsTheVersion) {
  ScopedTempDir dir;
  auto result = RunVulconv({"--version"}, dir.path);
  EXPECT_EQ(result.out, "vulconv " VULCONV_TEST_VERSION "\n");
  EXPECT_EQ(result.status, 0);
}

TEST(CommandLine, MissingScanFileEndsWithStatus255) {
  ScopedTempDir dir;
  auto result = RunVulconv({"X.bin"}, dir.path);
  EXPECT_EQ(result.out, "\nOpening file: X.bin\nCould not open X.bin\r\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 255);
  // A folder is not a binary file either.
  result = RunVulconv({"."}, dir.path);
  EXPECT_EQ(result.out, "\nOpening file: .\nCould not open .\r\n");
  EXPECT_EQ(result.status, 255);
}

TEST(CommandLine, AFileNamedLikeAFlagIsReachedWithItsFolder) {
  ScopedTempDir dir;
  test::WriteFile(dir / "-h", "");
  auto result = RunVulconv({"./-h"}, dir.path);
  EXPECT_EQ(result.out.substr(0, 19), "\nOpening file: ./-h");
  EXPECT_EQ(result.status, 255);  // runs on to the calibration files, which are missing
}

}  // namespace
}  // namespace vulconv
