#include "output/output_folder.h"

#include <gtest/gtest.h>

namespace vulconv {
namespace {

TEST(FileStructureOf, NeedsTwentyTwoCharactersAndTheFirstUnderscoreAtFour) {
  const struct {
    const char* scan;
    FileStructure kind;
  } cases[] = {
      {"SCAN_20120514_1031.bin", FileStructure::New},
      {"C:\\data\\SCAN_20120514_1031.bin", FileStructure::New},
      {"/data/SCAN_20120514_1031.bin", FileStructure::New},
      {"C:/data/SCAN_20120514_1031.bin", FileStructure::New},  // slashes separate here
      {"SCAN20120514_10310.bin", FileStructure::Old},
      {"SCAN_20120514_1031a.bin", FileStructure::Old},
      {"flight2.bin", FileStructure::Old},
      {"", FileStructure::Old},
  };
  for (const auto& c : cases) EXPECT_EQ(FileStructureOf(c.scan), c.kind) << c.scan;
}

TEST(NewOutputFolderName, DropsThePrefixAndTheExtensionOfTheOwnName) {
  const struct {
    const char* scan;
    const char* folder;
  } cases[] = {
      {"SCAN_20120514_1031.bin", "20120514_1031"},
      {"C:\\data\\SCAN_20120514_1031.bin", "C:\\data\\20120514_1031"},
      {"/my.data/SCAN_20120514_1031.bin", "/my.data/20120514_1031"},
      {"data/SCAN_2012051410312345", "data/2012051410312345"},  // no "." to cut
      // A stamp that names no folder of its own falls back to the own name.
      {"d/SCAN_..xxxxxxxxxxxxxxx", "d/SCAN___xxxxxxxxxxxxxxx"},
      {"d/SCAN_.xxxxxxxxxxxxxxxx", "d/SCAN__xxxxxxxxxxxxxxxx"},
  };
  for (const auto& c : cases) EXPECT_EQ(NewOutputFolderName(c.scan), c.folder) << c.scan;
}

TEST(FolderStampFromLine, TakesDateAndTimeFieldsPadded) {
  const struct {
    const char* line;
    const char* stamp;
  } cases[] = {
      {"1 2012 5 14 10 31 7 x 45 3.25", "20120514_1031"},
      {"1\t2012  05 14 10 31", "20120514_1031"},
      {" 2012 5 14 10 31", "20120514_1031"},     // leading blank: empty field 1
      {"1 2012 5 14 10", ""},                    // fewer than six fields
      {"", ""},
      {"1 2012 .. .. .. ..", "2012...._...."},  // dots are no separators
      {"1 ../. x y z w", ""},                   // would leave the scan's folder
      {"1 a\\b x y z w", ""},
      {"1 C:x1 5 14 10 31", "C:x10514_1031"},  // only Windows takes it for a drive
  };
  for (const auto& c : cases) EXPECT_EQ(FolderStampFromLine(c.line), c.stamp) << c.line;
}

TEST(FallbackFolderStamp, ReplacesEveryDot) {
  EXPECT_EQ(FallbackFolderStamp("data/flight2.bin"), "flight2_bin");
  EXPECT_EQ(FallbackFolderStamp("scan.txt.bin"), "scan_txt_bin");
  EXPECT_EQ(FallbackFolderStamp("plain"), "plain");
}

}  // namespace
}  // namespace vulconv
