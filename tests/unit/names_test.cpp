// The names formed from the scan's name: companion files, output folder,
// STD files.
#include <gtest/gtest.h>

#include "input/file_names.h"
#include "input/parameter_file.h"
#include "input/scan_text.h"
#include "convert/calibration_pass.h"
#include "convert/output_folder.h"
#include "convert/scan_pass.h"

namespace vulconv {
namespace {

constexpr FileStructure kNew = FileStructure::New, kOld = FileStructure::Old;

TEST(Names, StdFileName) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, "p.000000.std"}, {123456, "p.123456.std"}, {1000000, "p.1000000.std"}, {-5, "p.-00005.std"}};
  std::string name = "reused";
  for (const auto& [index, text] : cases) {
    EXPECT_EQ((SetStdFileName(name, "p.", index), name), text);
    EXPECT_EQ("p." + RecordNumberText(index) + ".std", text);
  }
  EXPECT_EQ(StdFileName(kNew, "o/", "d/SCAN_20120514_1031.bin", "s", 7),
            "o/SCAN_20120514_1031.bin.000007.std");
  EXPECT_EQ(StdFileName(kOld, "o/", "d/x.bin", "s", 7), "o/scan_s.bin.000007.std");
  EXPECT_EQ(CalibrationStdFileName("c/Cal_x.bin", "_dark.bin.", 3, kNew, "o/", "s"),
            "o/Cal_x.bin.000003.std");
  EXPECT_EQ(CalibrationStdFileName("c/Cal_x.bin", "_dark.bin.", 3, kOld, "o/", "s"),
            "o/Cal_s_dark.bin.000003.std");
}

// Each case: the scan file name, then the name formed from it.
using Cases = std::vector<std::pair<std::string, std::string>>;

TEST(Names, CompanionFileNames) {
  const Cases params = {
      {"SCAN_20080101_1200.bin", "SCAN_20080101_1200.params"}, {"x.bin2", "x2.params"},
      {"C:\\data\\SCAN_x.bin", "C:\\data\\SCAN_x.params"},  {"x.b", "x.params"},
      {"my.data/noext", "my.data/noext.params"},             {"a.b.bin", "a.b.params"}};
  for (const auto& [scan, name] : params) EXPECT_EQ(ParameterFileName(scan), name) << scan;
  const Cases texts = {
      {"d/SCAN_20120514_1031.bin", "d/SCAN_20120514_1031.txt"}, {"noext", "noext.txt"},
      {"scan.txt.bin", "scan.txt"}, {"a.b.c.d", "a.txt"},  // two dots: eight characters go
      {"x.yy.zzzzzzzz", "xzzzz.txt"}, {"C:\\my.data\\scan1txt.bin", "C:\\my.data\\scan1.txt"},
      {"txt.bin", ".txt"}, {"xtxt.binary", "xtxtary.txt"}, {"scan1TXT.bin", "scan1TXT.txt"}};
  for (const auto& [scan, name] : texts) EXPECT_EQ(MakeScanTextName(scan), name) << scan;
}

TEST(Names, OutputFolderName) {
  const Cases new_structure = {
      {"SCAN_20120514_1031.bin", "20120514_1031"},
      {"C:\\data\\SCAN_20120514_1031.bin", "C:\\data\\20120514_1031"},
      {"/SCAN_20120514_1031.bin", "/20120514_1031"},
      {"C:/my.data/SCAN_20120514_1031.b.n", "C:/my.data/20120514_1031.b"},
      {"data/SCAN_20120514_10312345", "data/20120514_10312345"},
      {"d/SCAN_..xxxxxxxxxxxxxxx", "d/SCAN___xxxxxxxxxxxxxxx"},  // no folder of its own:
      {"d/SCAN_.xxxxxxxxxxxxxxxx", "d/SCAN__xxxxxxxxxxxxxxxx"}};  // the scan's own name
  for (const auto& [scan, name] : new_structure) {
    EXPECT_EQ(FileStructureOf(scan), kNew) << scan;
    EXPECT_EQ(NewOutputFolderName(scan), name) << scan;
  }
  for (const char* scan : {"SCAN20120514_10310.bin", "SCAN_20120514_1031a.bin",
                           "SCAN_20120514_031.bin", "SCAN_20120514_1031.bin/x", ""}) {
    EXPECT_EQ(FileStructureOf(scan), kOld) << scan;
  }
  const Cases stamps = {  // old structure: from line 1 of the scan text file
      {"1 2012 5 14 10 31 7 x 45 3.25", "20120514_1031"}, {"1 2012 5 14 10", ""}, {"", ""},
      {"1\t20123  051 141 101 311", "20120514_1031"}, {" 2012 5 14 10 31", "20120514_1031"},
      {"1 2012 .. .. .. ..", "2012...._...."}, {"1 ../. x y z w", ""}, {"1 a\\b x y z w", ""},
      {std::string("1 a\0b x y z w", 13), ""}, {"1 C:x1 5 14 10 31", "C:x10514_1031"}};
  for (const auto& [line, stamp] : stamps) EXPECT_EQ(FolderStampFromLine(line), stamp) << line;
  EXPECT_EQ(FallbackFolderStamp("my.data/scan.txt.bin"), "scan_txt_bin");
}

}  // namespace
}  // namespace vulconv
