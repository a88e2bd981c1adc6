// Where the calibration files are looked for: the parameter file's names,
// the default-name table, and the search back in time from the scan's.
#include <gtest/gtest.h>

#include <set>

#include "input/calibration_location.h"

namespace vulconv {
namespace {

// A scan folder holding the given names, which records each name asked about.
struct Folder {
  std::set<std::string> present;
  std::vector<std::string> asked;
  CalibrationNames Find(const std::string& scan, const ParameterInfo& params = {}) {
    return FindCalibrationFiles(scan, params, [this](const std::string& name) {
      asked.push_back(name);
      return present.contains(name);
    }).names;
  }
};

std::string Joined(const CalibrationNames& n) {
  return n.dark + " " + n.low + " " + n.high + " " + n.ref;
}

std::string Stem(const std::string& stem) {
  return stem + "_dark.bin " + stem + "_low.bin " + stem + "_high.bin " + stem + "_ref.bin";
}

TEST(Calibration, ParameterLinesGiveTheOwnNameInTheScanFolder) {
  ParameterInfo params{true, "C:\\cal\\x_dark.bin", "/u/x_low.bin", "a/b\\x_high.bin", "a\\b/x_ref.bin"};
  for (const std::string folder : {"C:\\data\\", "d/", ""}) {
    EXPECT_EQ(Joined(Folder{}.Find(folder + "SCAN_20080101_1200.bin", params)), Stem(folder + "x"));
  }
  params.dark_line = "C:\\cal\\";
  EXPECT_EQ(Folder{}.Find("d/s.bin", params).dark, "d/");
}

TEST(Calibration, DefaultNameTable) {
  const std::pair<std::string, std::string> cases[] = {
      {"d/Scan.txt.bin", "fullcal"}, {"scan1txt.bin", "fullcal1"}, {"C:\\scan2txt.bin.x", "fullcal2"},
      {"can3txt.bin", "fullcal3"}, {"xcan4txt.bin", "fullcal4"}, {"scan5txt.bin", "fullcal5"},
      {"scan6txt.bin", "fullcal6"}, {"scan7txt.bin", "fullcal7"},
      {"can7txt.bin_can.txt.bin", "fullcal"},  // the first row that matches, wherever it is
      {std::string(998, 'x') + "can3txt.bin", "fullcal3"},
      {std::string(999, 'x') + "can3txt.bin", ""},  // too far in: the search instead
      {"SCAN.TXT.BIN", ""}, {"scan3TXT.bin", ""}, {"scan8txt.bin", ""},
      {"can3txt.bin/SCAN_20080101_1200.bin", ""}};  // a marker in a folder does not count
  for (const auto& [scan, stem] : cases) {
    Folder files;
    std::string found = Joined(files.Find(scan));
    EXPECT_EQ(files.asked.empty(), !stem.empty()) << scan;
    if (!stem.empty()) { EXPECT_EQ(found, Stem(stem)) << scan; }
  }
}

TEST(Calibration, SearchFindsTheNearestFileUpTo29MinutesBefore) {
  // Scan name and time, times of the dark files in its folder, the one found.
  const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
      {"SCAN_20080101_1200", {"1200"}, "1200"}, {"SCAN_20080101_1200", {"1131"}, "1131"},
      {"SCAN_20080101_1200", {"1130"}, ""},     {"SCAN_20080101_1200", {"1201"}, ""},
      {"Scan_20080101_1200", {"1140", "1150"}, "1150"}, {"ABC_20080101_1230", {"1201"}, "1201"},
      {"x_scan_20080101_1015", {"0959"}, "0959"}, {"SCAN_20080101_0105", {"0059"}, "0059"},
      {"SCAN_20080101_0005", {"2359"}, ""}};
  for (const auto& [scan, present, found] : cases) {
    Folder files;
    for (const std::string& t : present) files.present.insert("D/Cal_20080101_" + t + "_dark.bin");
    std::string time = scan.substr(scan.size() - 4);
    files.present.insert("Cal_20080101_" + time + "_dark.bin");  // not in the scan's folder
    std::string dark = found.empty() ? "Cal_20080101_" + time : "D/Cal_20080101_" + found;
    EXPECT_EQ(files.Find("D/" + scan + ".Bin").dark, dark + "_dark.bin") << scan;
  }
}

TEST(Calibration, ConsoleLinesWithTwoKindsMissing) {  // the failures in search order
  std::string missing = " file - it does not appear to be saved using the standard naming convention.";
  std::vector<std::string> want = {
      "PARAMS file doesn't appear to contain reference file info - looking for default filenames...",
      "Error! Could not find the high" + missing, "Error! Could not find the low" + missing,
      "Dark Spectra: d/Cal_20080101_1155_dark.bin", "Low Cell Spectra: Cal_20080101_1200_low.bin",
      "High Cell Spectra: Cal_20080101_1200_high.bin", "Reference Spectra: d/Cal_20080101_1200_ref.bin"};
  std::set<std::string> present = {"d/Cal_20080101_1155_dark.bin", "d/Cal_20080101_1200_ref.bin"};
  auto exists = [&](const std::string& name) { return present.contains(name); };
  EXPECT_EQ(FindCalibrationFiles("d/SCAN_20080101_1200.bin", {}, exists).lines, want);
}

TEST(Calibration, PastMidnightTheSearchGoesOnInThePreviousDay) {
  const std::pair<std::string, std::string> cases[] = {
      {"20240101_", "20231231"}, {"20240201_", "20240131"}, {"20240301_", "20240229"},
      {"20230301_", "20230228"}, {"20000301_", "20000229"}, {"19000301_", "19000228"},
      {"20240401_", "20240331"}, {"20240501_", "20240430"}, {"20240601_", "20240531"},
      {"20240701_", "20240630"}, {"20240801_", "20240731"}, {"20240901_", "20240831"},
      {"20241001_", "20240930"}, {"20241101_", "20241031"}, {"20241201_", "20241130"},
      {"20240315_", "20240314"}, {"20240531_", "20240530"}, {"20241231_", "20241230"},
      // No valid date before the time: the search stops at midnight.
      {"20241301_", ""}, {"20240001_", ""}, {"20230229_", ""}, {"20240431_", ""},
      {"20240100_", ""}, {"2024x301_", ""}, {"20240301x", ""}, {"", ""}, {"00000101_", ""}};
  for (const auto& [date, previous] : cases) {
    Folder files;
    files.Find("C:\\d\\SCAN_" + date + "0000.bin");
    ASSERT_EQ(files.asked.size(), previous.empty() ? 4u : 120u) << date;
    EXPECT_EQ(files.asked[0], "C:\\d\\Cal_" + date + "0000_dark.bin");
    if (previous.empty()) continue;
    EXPECT_EQ(files.asked[1], "C:\\d\\Cal_" + previous + "_2359_dark.bin");
    EXPECT_EQ(files.asked[29], "C:\\d\\Cal_" + previous + "_2331_dark.bin");
  }
}

}  // namespace
}  // namespace vulconv
