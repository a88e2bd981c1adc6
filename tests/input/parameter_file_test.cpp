#include "input/parameter_file.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace vulconv {
namespace {

TEST(ParameterFileName, ReplacesTheExtensionOfTheOwnName) {
  const struct {
    const char* scan;
    const char* params;
  } cases[] = {
      {"SCAN_20080101_1200.bin", "SCAN_20080101_1200.params"},
      {"data/SCAN_20080101_1200.bin", "data/SCAN_20080101_1200.params"},
      {"C:\\data\\SCAN_x.bin", "C:\\data\\SCAN_x.params"},
      {"x.bin2", "x2.params"},
      {"x.b", "x.params"},
      {"noext", "noext.params"},
      {"my.data/SCAN_x", "my.data/SCAN_x.params"},  // a dot in a folder stays
      {"a.b.bin", "a.b.params"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParameterFileName(c.scan), c.params) << c.scan;
}

TEST(ParseParameterText, ReadsEveryLayout) {
  const struct {
    const char* text;
    bool reference_info;
    int exposure;
    int scans;
  } cases[] = {
      // No path on line 2; a "Scan" line drops its unit.
      {"head\nno path\nScan time 100 msec\nco-added 5\n", false, 100, 5},
      {"head\nno path\nExposure\ntime 100\nscans 5\n", false, 100, 5},
      {"head\nno path\nscan time 100 msec\ntime 200\nscans 6\n", false, 200, 6},
      {"h\nx\nScan time 100 \nn 5\n", false, 100, 5},      // only the final blank goes
      {"h\nx\nScan time abc \nn 5\n", false, 0, 5},
      {"h\nx\nScan time 250 msecs\nn 5\n", false, 250, 5},  // "s" joins the number
      {"h\nx\nScan\nn 5\n", false, 0, 5},                  // no blank to drop
      {"h\nx\nScan time 100 msec\r\nn 7\r\n", false, 100, 7},
      {"h\nx\nScan time\t100 msec\nn\t5\n", false, 0, 0},  // tabs are no blanks
      {"h\nx\nScan time 100 msec\nn 99999999999\n", false, 100, 2147483647},
      {"h\nx\nScan time -100 msec\nn -5\n", false, -100, -5},
      {"", false, 0, 0},
      {"h\nx\nScan time 100 msec\n", false, 100, 0},       // ends early
      {"h\n/\nl\nh\nr\nskip\nScan time 40 msec\nn 3\n", true, 40, 3},
      {"h\nC:\\cal\\d.bin\nl\nh\nr\nskip\nother\nt 40\nn 3\n", true, 40, 3},
  };
  for (const auto& c : cases) {
    ParameterInfo info = ParseParameterText(c.text);
    EXPECT_EQ(info.reference_info, c.reference_info) << c.text;
    EXPECT_EQ(info.exposure_time, c.exposure) << c.text;
    EXPECT_EQ(info.coadded_scans, c.scans) << c.text;
  }
}

TEST(ReadParameterFile, KeepsTheFourCalibrationLines) {
  test::ScopedTempDir dir;
  test::WriteFile(dir / "p.params",
                  "Vulcora\r\nC:\\cal\\dark.bin\r\n/cal/low.bin\r\nhigh\\x/y.bin\r\n"
                  "ref.bin\r\n\r\nScan time 100 msec\r\nCo-adds 12\r\n");
  ParameterInfo info = ReadParameterFile(dir / "p.params");
  EXPECT_TRUE(info.reference_info);
  EXPECT_EQ(info.dark_line, "C:\\cal\\dark.bin");
  EXPECT_EQ(info.low_line, "/cal/low.bin");
  EXPECT_EQ(info.high_line, "high\\x/y.bin");
  EXPECT_EQ(info.ref_line, "ref.bin");
  EXPECT_EQ(info.exposure_time, 100);
  EXPECT_EQ(info.coadded_scans, 12);

  ParameterInfo missing = ReadParameterFile(dir / "none.params");
  EXPECT_FALSE(missing.reference_info);
  EXPECT_EQ(missing.exposure_time, 0);
  EXPECT_EQ(missing.coadded_scans, 0);
}

}  // namespace
}  // namespace vulconv
