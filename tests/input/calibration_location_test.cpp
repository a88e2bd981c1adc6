#include "input/calibration_location.h"

#include <gtest/gtest.h>

#include <set>

#include "test_util.h"
#include "system/platform.h"

namespace vulconv {
namespace {

const char* const kNotice =
    "PARAMS file doesn't appear to contain reference file info - looking for default filenames...";
const char* const kSuffixes[] = {"_dark.bin", "_high.bin", "_low.bin", "_ref.bin"};  // search order

// Answers from a set of names and records every name it is asked about.
struct FakeFiles {
  std::set<std::string> present;
  std::vector<std::string> asked;
  CalibrationLocation Find(const std::string& scan, const ParameterInfo& params = {}) {
    return FindCalibrationFiles(scan, params, [this](const std::string& name) {
      asked.push_back(name);
      return present.count(name) > 0;
    });
  }
};

std::string Failure(const std::string& word) {
  return "Error! Could not find the " + word +
         " file - it does not appear to be saved using the standard naming convention.";
}

std::vector<std::string> Announcement(const CalibrationNames& n) {
  return {"Dark Spectra: " + n.dark, "Low Cell Spectra: " + n.low, "High Cell Spectra: " + n.high,
          "Reference Spectra: " + n.ref};
}

TEST(CalibrationLocation, ParameterLinesKeepOnlyTheOwnNameAfterTheLaterSeparator) {
  ParameterInfo params{true, "C:\\VULCORA\\cal\\d.bin", "/home/u/cal/l.bin", "a/b\\h.bin",
                       "a\\b/r.bin"};
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\data\\SCAN_20080101_1200.bin", "C:\\data\\"}, {"SCAN_20080101_1200.bin", ""}};
  for (const auto& [scan, folder] : cases) {
    FakeFiles files;
    CalibrationLocation got = files.Find(scan, params);
    CalibrationNames want{folder + "d.bin", folder + "l.bin", folder + "h.bin", folder + "r.bin"};
    EXPECT_EQ(got.lines, Announcement(want)) << scan;
    EXPECT_TRUE(files.asked.empty());
  }
  params.dark_line = "dark.bin";
  params.low_line = "C:\\cal\\";
  CalibrationNames got = FakeFiles{}.Find("C:\\x\\s.bin", params).names;
  EXPECT_EQ(got.dark, "C:\\x\\dark.bin");
  EXPECT_EQ(got.low, "C:\\x\\");
}

TEST(CalibrationLocation, DefaultNameTableIsCaseSensitiveFirstRowAndBelowPosition999) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\data\\can3txt.bin", "fullcal3"},
      {"Scan.txt.bin", "fullcal"},
      {"scan1txt.bin", "fullcal1"},
      {"x_scan7txt.bin.bak", "fullcal7"},
      {"can7txt.bin_can.txt.bin", "fullcal"},  // the row order decides, not the position
      {"SCAN.TXT.BIN", ""},
      {"scan3TXT.bin", ""},
      {"can3txt.bin\\SCAN_20080101_1200.bin", ""},  // a marker in a folder does not count
      {std::string(998, 'x') + "can3txt.bin", "fullcal3"},
      {std::string(999, 'x') + "can3txt.bin", ""},
      {"C:\\" + std::string(20, 'f') + "\\" + std::string(998, 'x') + "can3txt.bin", "fullcal3"},
  };
  for (const auto& [scan, stem] : cases) {
    FakeFiles files;
    CalibrationLocation got = files.Find(scan);
    if (stem.empty()) {
      EXPECT_FALSE(files.asked.empty()) << scan;  // went on to the naming-convention search
      continue;
    }
    CalibrationNames want{stem + "_dark.bin", stem + "_low.bin", stem + "_high.bin",
                          stem + "_ref.bin"};
    std::vector<std::string> lines = Announcement(want);
    lines.insert(lines.begin(), kNotice);
    EXPECT_EQ(got.lines, lines) << scan;
    EXPECT_TRUE(files.asked.empty()) << scan;
  }
}

TEST(CalibrationLocation, SearchFindsTheNearestFileUpTo29MinutesBefore) {
  struct Case {
    std::string scan_time;
    std::vector<std::string> present;  // times of the dark files in the scan folder
    std::string found;                 // empty: not found
  };
  const Case cases[] = {{"1200", {"1200"}, "1200"},         {"1200", {"1131"}, "1131"},
                        {"1200", {"1130"}, ""},             {"1200", {"1201"}, ""},
                        {"1200", {"1140", "1150"}, "1150"}, {"1205", {"1159"}, "1159"},
                        {"1205", {"1200", "1159"}, "1200"}, {"1015", {"0959"}, "0959"}};
  for (const Case& c : cases) {
    FakeFiles files;
    for (const std::string& t : c.present)
      files.present.insert("C:\\d\\Cal_20080101_" + t + "_dark.bin");
    files.present.insert("Cal_20080101_" + c.scan_time + "_dark.bin");  // outside the scan folder
    CalibrationNames got = files.Find("C:\\d\\SCAN_20080101_" + c.scan_time + ".bin").names;
    std::string want = c.found.empty() ? "Cal_20080101_" + c.scan_time + "_dark.bin"
                                       : "C:\\d\\Cal_20080101_" + c.found + "_dark.bin";
    EXPECT_EQ(got.dark, want) << c.scan_time;
  }
}

TEST(CalibrationLocation, CalibrationNameIsCutFromTheScanName) {
  const char* const scans[] = {"C:\\d\\ABC_20080101_1200.bin",  // no "scan_": three dropped
                               "C:\\d\\flight_scan_20080101_1200.bin",
                               "C:\\d\\SCAN_20080101_1200.b"};  // short extension
  for (const char* scan : scans) {
    FakeFiles files;
    files.Find(scan);
    EXPECT_EQ(files.asked.front(), "C:\\d\\Cal_20080101_1200_dark.bin") << scan;
  }
}

TEST(CalibrationLocation, CandidatesOfAllKindsInSearchOrder) {
  if (kWindowsNames) GTEST_SKIP() << "the slash separates folders on POSIX only";
  std::vector<std::string> want;
  for (const char* suffix : kSuffixes) {
    want.push_back(std::string("data/Cal_20080101_1200") + suffix);
    for (int m = 59; m >= 31; --m)
      want.push_back("data/Cal_20080101_11" + std::to_string(m) + suffix);
  }
  FakeFiles files;
  files.Find("data/SCAN_20080101_1200.bin");
  EXPECT_EQ(files.asked, want);
  // Upper or mixed case scan names give the same candidates; the folder keeps its case.
  for (const char* scan : {"data/scan_20080101_1200.bin", "data/Scan_20080101_1200.Bin"}) {
    FakeFiles other;
    other.Find(scan);
    EXPECT_EQ(other.asked, want) << scan;
  }
  FakeFiles upper_folder;
  upper_folder.Find("DATA/SCAN_20080101_1200.BIN");
  EXPECT_EQ(upper_folder.asked.front(), "DATA/Cal_20080101_1200_dark.bin");
}

TEST(CalibrationLocation, PastMidnightTheSearchGoesOnInThePreviousDay) {
  const std::pair<std::string, std::string> days[] = {
      {"20240301", "20240229"}, {"20230301", "20230228"}, {"20000301", "20000229"},
      {"19000301", "19000228"}, {"20240101", "20231231"}, {"20241001", "20240930"},
      {"20240315", "20240314"}};
  for (const auto& [day, previous] : days) {
    FakeFiles files;
    files.Find("C:\\d\\SCAN_" + day + "_0000.bin");
    ASSERT_EQ(files.asked.size(), 120u);
    EXPECT_EQ(files.asked[0], "C:\\d\\Cal_" + day + "_0000_dark.bin");
    EXPECT_EQ(files.asked[1], "C:\\d\\Cal_" + previous + "_2359_dark.bin");
    EXPECT_EQ(files.asked[29], "C:\\d\\Cal_" + previous + "_2331_dark.bin");
  }
  FakeFiles files;
  files.present.insert("C:\\d\\Cal_20240229_2350_dark.bin");
  EXPECT_EQ(files.Find("C:\\d\\SCAN_20240301_0005.bin").names.dark,
            "C:\\d\\Cal_20240229_2350_dark.bin");
  for (const std::string& name : files.asked) EXPECT_EQ(name.find('-'), std::string::npos) << name;
}

TEST(CalibrationLocation, PastMidnightWithoutAValidDateOnlyTheSameDayIsTried) {
  const std::pair<std::string, std::size_t> cases[] = {
      {"SCAN_20241301_0005.bin", 6}, {"SCAN_20230229_0005.bin", 6}, {"SCAN_2024x301_0005.bin", 6},
      {"SCAN_20240301x0005.bin", 6}, {"SCAN_0005.bin", 6},          {"SCAN_00000101_0000.bin", 1}};
  for (const auto& [scan, tried] : cases) {
    FakeFiles files;
    files.Find(scan);
    EXPECT_EQ(files.asked.size(), 4 * tried) << scan;
    for (const std::string& name : files.asked)
      EXPECT_EQ(name.find('-'), std::string::npos) << name;
  }
}

TEST(CalibrationLocation, WholeConsoleOutputWithTwoKindsMissing) {
  FakeFiles files;
  files.present = {"C:\\d\\Cal_20080101_1155_dark.bin", "C:\\d\\Cal_20080101_1200_low.bin"};
  std::vector<std::string> want = {kNotice,
                                   Failure("high"),
                                   Failure("ref"),
                                   "Dark Spectra: C:\\d\\Cal_20080101_1155_dark.bin",
                                   "Low Cell Spectra: C:\\d\\Cal_20080101_1200_low.bin",
                                   "High Cell Spectra: Cal_20080101_1200_high.bin",
                                   "Reference Spectra: Cal_20080101_1200_ref.bin"};
  EXPECT_EQ(files.Find("C:\\d\\SCAN_20080101_1200.bin").lines, want);
}

TEST(CalibrationLocation, NamesWithoutATimeFieldAreSafelyNotFound) {
  const std::string cases[] = {
      "", ".", "....", "a", "_", "scan_", "x.binscan_", "scan_.bin", ".scan_",
      "SCAN_20080101_1200", "C:\\d\\", "C:\\d\\.bin", std::string(5000, 'a'),
      std::string(5000, '.'), std::string(5000, '_') + ".bin",
      "scan_" + std::string(5000, '9') + ".bin"};
  for (const std::string& scan : cases) {
    FakeFiles files;
    CalibrationLocation got = files.Find(scan);
    ASSERT_EQ(got.lines.size(), 9u) << scan;  // notice, four failures, announcement
    EXPECT_EQ(got.lines[1], Failure("dark"));
    EXPECT_EQ(std::vector<std::string>(got.lines.begin() + 5, got.lines.end()),
              Announcement(got.names));
    if (scan.find('.') == std::string::npos) {
      EXPECT_TRUE(files.asked.empty()) << scan;
    }
  }
  EXPECT_EQ(FakeFiles{}.Find("SCAN_20080101_1200").names.dark, "Cal_20080101_1200_dark.bin");
  EXPECT_EQ(FakeFiles{}.Find("").names.ref, "Cal_ref.bin");
}

TEST(CalibrationLocation, LocatePrintsTheLinesAndAsksTheFileSystem) {
  if (kWindowsNames) GTEST_SKIP() << "the scratch folder is named with slashes";
  test::ScopedTempDir dir;
  test::WriteFile(dir / "Cal_20080101_1150_dark.bin", "");
  std::string scan = dir / "SCAN_20080101_1200.bin";
  testing::internal::CaptureStdout();
  CalibrationNames got = LocateCalibrationFiles(scan, {});
  std::string out = testing::internal::GetCapturedStdout();
  CalibrationNames want{dir / "Cal_20080101_1150_dark.bin", "Cal_20080101_1200_low.bin",
                        "Cal_20080101_1200_high.bin", "Cal_20080101_1200_ref.bin"};
  EXPECT_EQ(got.dark, want.dark);
  std::string lines = std::string(kNotice) + "\n" + Failure("high") + "\n" + Failure("low") +
                      "\n" + Failure("ref") + "\n";
  for (const std::string& line : Announcement(want)) lines += line + "\n";
  EXPECT_EQ(out, lines);
}

}  // namespace
}  // namespace vulconv
