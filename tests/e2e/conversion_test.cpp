// Whole runs of the built program on generated scan folders, compared with
// the console transcript and the bytes of every file written.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "e2e/scan_folder.h"
#include "test_util.h"

namespace vulconv::test {
namespace {

TEST(Conversion, NewStructureWholeRun) {
  // The scan given bare, with a relative folder, and with an absolute one.
  for (std::string prefix : {"", "data/", "<abs>"}) {
    ScopedTempDir dir;
    if (prefix == "<abs>") prefix = dir.path + "/data/";
    BuildScanFolder(prefix.starts_with("/") ? "/" : dir.path, NewStructureScan(prefix));
    ProgramResult result = RunVulconv({prefix + "SCAN_20120514_1031.bin"}, dir.path);
    EXPECT_EQ(result.out, NewStructureTranscript(prefix));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 1);
    std::string folder = prefix.starts_with("/") ? prefix : dir / prefix;
    ExpectFolder(folder + "20120514_1031", NewStructureFiles());
  }
}

TEST(Conversion, ARerunOverwritesTheFolderItFinds) {
  ScopedTempDir dir;
  BuildScanFolder(dir.path, NewStructureScan(""));
  WriteFile(dir / "20120514_1031", "");  // not yet a folder: nothing can be created
  ProgramResult first = RunVulconv({"SCAN_20120514_1031.bin"}, dir.path);
  EXPECT_EQ(first.status, 255);
  EXPECT_NE(first.out.find("Could not create 20120514_1031/SCAN_20120514_1031.bin.000000.std\r\n"),
            std::string::npos);
  std::filesystem::remove(dir / "20120514_1031");
  std::filesystem::create_directory(dir / "20120514_1031");
  WriteFile(dir / "20120514_1031/SCAN_20120514_1031.bin.000001.std", std::string(100000, 'x'));
  ProgramResult second = RunVulconv({"SCAN_20120514_1031.bin"}, dir.path);
  EXPECT_EQ(second.out, NewStructureTranscript(""));
  EXPECT_EQ(second.status, 1);
  ExpectFolder(dir / "20120514_1031", NewStructureFiles());
}

// A scan of the old file structure whose calibration files the parameter
// file names, wherever its lines say they are.
ScanFolder OldStructureScan(const std::string& name) {
  ScanFolder f;
  f.scan_name = name;
  f.records = {{7.0f}};
  f.params = "Vulcora\nC:\\cal\\d.bin\n/cal/l.bin\nh.bin\ncal\\x/r.bin\nignored\n"
             "Scan time 40 msec\nCo-adds 3\n";
  f.text = "1 2012 5 14 10 31 7 x 45 3.25\n";
  f.files = {{"d.bin", {{1.0f}}}, {"l.bin", {{2.0f}}}, {"h.bin", {{3.0f}}}, {"r.bin", {{4.0f}}}};
  return f;
}

std::string OldStructureTranscript(const std::string& name, const std::string& text_name,
                                   const std::string& notice, const std::string& folder) {
  std::string stem = name.substr(0, name.rfind('.'));
  return "\nOpening file: " + name + "\n"
         "Reading spectrum parameters from " + stem + ".params\n"
         "Dark Spectra: d.bin\nLow Cell Spectra: l.bin\nHigh Cell Spectra: h.bin\n"
         "Reference Spectra: r.bin\n"
         "Opening txt file to get times and locations...\n"
         "Reading spectrum time and positions from " + text_name + "\n"
         "detected old VULCORA file structure.\n" + notice +
         "making dir: \"" + folder + "\"\n"
         "Extracting 1 STD files. This could take some time, please be patient...\n"
         "opening file: " + name + "\n" + kNoGps + "\n"
         "Extracted 1 std files from bin.\n"
         "opening file: r.bin\nExtracted 1 std files from REF bin.\n"
         "opening file: d.bin\nExtracted 1 std files from DARK bin.\n"
         "opening file: h.bin\nExtracted 1 std files from HIGH bin.\n"
         "opening file: l.bin\nExtracted 1 std files from LOW bin.\n";
}

TEST(Conversion, OldStructureNamesTheFolderAfterTheTextFile) {
  ScopedTempDir dir;
  BuildScanFolder(dir.path, OldStructureScan("flight2.bin"));
  ProgramResult result = RunVulconv({"flight2.bin"}, dir.path);
  EXPECT_EQ(result.out, OldStructureTranscript("flight2.bin", "flight2.txt", "", "20120514_1031"));
  EXPECT_EQ(result.status, 1);
  auto cal = [](const char* label, const char* pixel) {
    return ExpectedPixels({pixel}) +
           ExpectedCalibrationTrailer(label, 0, "05/14/2012", "10:31:07", 3, 40);
  };
  ExpectFolder(dir / "20120514_1031",
               {{"Cal_20120514_1031_dark.bin.000000.std", cal("DARK", "1.000000")},
                {"Cal_20120514_1031_high.bin.000000.std", cal("HIGH", "3.000000")},
                {"Cal_20120514_1031_low.bin.000000.std", cal("LOW", "2.000000")},
                {"Cal_20120514_1031_ref.bin.000000.std", cal("REF", "4.000000")},
                {"scan_20120514_1031.bin.000000.std",
                 ExpectedPixels({"7.000000"}) +
                     ExpectedScanTrailer(0, "05/14/2012", "10:31:07", 3, 40, "-0.000000",
                                         "0.000000", "0.000000", "45.000000", "3.250000")}});
}

TEST(Conversion, OldStructureWithoutScanTimeIsNamedAfterTheScanFile) {
  const char kNotice[] =
      "The txt file does not contain the scan time - naming the output folder after the scan "
      "file.\n";
  ScopedTempDir dir;
  ScanFolder f = OldStructureScan("flight2.bin");
  f.text.reset();
  BuildScanFolder(dir.path, f);
  ProgramResult result = RunVulconv({"flight2.bin"}, dir.path);
  EXPECT_EQ(result.out,
            OldStructureTranscript("flight2.bin", "flight2.txt", kNotice, "flight2_bin"));
  EXPECT_EQ(result.status, 1);
  ExpectSameBytes(ReadFile(dir / "flight2_bin/scan_flight2_bin.bin.000000.std"),
              ExpectedPixels({"7.000000"}) +
                  ExpectedScanTrailer(0, "//", "::", 3, 40, "-0.000000", "0.000000", "0.000000",
                                      "0.000000", "0.000000"),
              "scan file");
  EXPECT_EQ(ListFiles(dir / "flight2_bin").size(), 5u);
}

TEST(Conversion, HostileScanNamesRunNoCommandAndStayInTheirFolder) {
  for (const std::string name :
       {"x\"$(touch pwned)`touch pwned2`.bin", "a;touch pwned & b.bin", "'; rm -rf .bin"}) {
    ScopedTempDir dir;
    ScanFolder f = OldStructureScan(name);
    f.text.reset();  // the folder is then named after the scan file itself
    BuildScanFolder(dir.path, f);
    auto before = ListFiles(dir.path);
    ProgramResult result = RunVulconv({name}, dir.path);
    EXPECT_EQ(result.status, 1) << name << result.out;
    std::string folder = name;
    for (char& c : folder) {
      if (c == '.') c = '_';
    }
    EXPECT_NE(result.out.find("making dir: \"" + folder + "\"\n"), std::string::npos);
    // Nothing changed but the new output folder.
    std::vector<std::string> after;
    for (const auto& file : ListFiles(dir.path)) {
      if (!file.starts_with(folder + "/")) after.push_back(file);
    }
    EXPECT_EQ(after, before) << name;
    EXPECT_EQ(ListFiles(dir / folder).size(), 5u) << name;
  }
}

TEST(Conversion, ADotInAFolderNameStaysInTheCompanionNames) {
  ScopedTempDir dir;
  ScanFolder f = NewStructureScan("my.data/");
  BuildScanFolder(dir.path, f);
  ProgramResult result = RunVulconv({"my.data/SCAN_20120514_1031.bin"}, dir.path);
  EXPECT_EQ(result.out, NewStructureTranscript("my.data/"));
  ExpectFolder(dir / "my.data/20120514_1031", NewStructureFiles());
}

TEST(Conversion, ScanTextLinesMissingOrTooLong) {
  const std::string long_line = "1 2012 05 14 10 31 07 x 45 3.25" + std::string(100000, 'y');
  const struct {
    const char* what;
    std::optional<std::string> text;
    std::string notice;           // after "opening file: "
    std::vector<std::string> trailers;
  } cases[] = {
      {"missing", std::nullopt, std::string(kNoGps) + "\n",
       {ExpectedScanTrailer(0, "//", "::", 5, 100, "-0.000000", "0.000000", "0.000000",
                            "0.000000", "0.000000"),
        ExpectedScanTrailer(1, "//", "::", 5, 100, "-0.000000", "0.000000", "0.000000",
                            "0.000000", "0.000000")}},
      {"short", std::string(kGpsLine1), "",
       {ExpectedScanTrailer(0, "05/14/2012", "10:31:07", 5, 100, "-90.853908", "14.535390",
                            "1234.500000", "45.000000", "3.250000"),
        ExpectedScanTrailer(1, "//", "::", 5, 100, "-0.000000", "0.000000", "0.000000",
                            "0.000000", "0.000000")}},
      {"long", long_line + "\n" + kGpsLine2 + "\n", std::string(kNoGps) + "\n",
       {ExpectedScanTrailer(0, "05/14/2012", "10:31:07", 5, 100, "-0.000000", "0.000000",
                            "0.000000", "45.000000", "3.250000"),
        ExpectedScanTrailer(1, "05/14/2012", "10:32:09", 5, 100, "90.853908", "-14.535390",
                            "12.500000", "-12.500000", "3.250000")}},
  };
  for (const auto& c : cases) {
    ScopedTempDir dir;
    ScanFolder f = NewStructureScan("");
    f.text = c.text;
    BuildScanFolder(dir.path, f);
    ProgramResult result = RunVulconv({"SCAN_20120514_1031.bin"}, dir.path);
    EXPECT_EQ(result.status, 1) << c.what;
    EXPECT_NE(result.out.find("opening file: SCAN_20120514_1031.bin\n" + c.notice +
                              "Extracted 2 std files from bin.\n"),
              std::string::npos)
        << c.what << result.out;
    ExpectSameBytes(ReadFile(dir / "20120514_1031/SCAN_20120514_1031.bin.000000.std"),
                ExpectedPixels({"1.000000", "0.007813", "65535.500000"}) + c.trailers[0],
                c.what);
    ExpectSameBytes(ReadFile(dir / "20120514_1031/SCAN_20120514_1031.bin.000001.std"),
                ExpectedPixels({"-3.250000", "-0.000000"}) + c.trailers[1], c.what);
  }
}

}  // namespace
}  // namespace vulconv::test

namespace vulconv::test {
namespace {

// The shipped sample scan converts to the committed transcript and files.
TEST(Conversion, SampleScanMatchesTheCommittedOutput) {
  const std::string source = VULCONV_SOURCE_DIR "/examples/";
  ScopedTempDir dir;
  std::filesystem::copy(source + "sample", dir.path, std::filesystem::copy_options::recursive);
  ProgramResult result = RunVulconv({"SCAN_20240612_0930.bin"}, dir.path);
  ExpectSameBytes(result.out, ReadFile(source + "expected/console.txt"), "console");
  EXPECT_EQ(result.status, 1);
  std::vector<std::string> expected_names;
  for (const auto& name : ListFiles(source + "expected")) {
    if (name == "console.txt") continue;
    expected_names.push_back(name);
    ExpectSameBytes(ReadFile(dir / "20240612_0930/" + name), ReadFile(source + "expected/" + name),
                    name);
  }
  EXPECT_EQ(ListFiles(dir / "20240612_0930"), expected_names);
}

}  // namespace
}  // namespace vulconv::test

namespace vulconv::test {
namespace {

// A scan whose parameter file names calibration files of 3, 0, 2 and 5
// records (reference, dark, high cell, low cell).
ScanFolder CalibrationScan() {
  ScanFolder f;
  f.scan_name = "SCAN_20120514_1031.bin";
  f.records = {{1.0f}};
  f.params = "p\n/x/dark.bin\n/x/low.bin\n/x/high.bin\n/x/ref.bin\n\nScan time 10 msec\nn 2\n";
  f.text = std::string(kGpsLine1) + "\n";
  f.files = {{"ref.bin", {{1}, {2}, {3}}},
             {"dark.bin", {}},
             {"high.bin", {{4}, {5}}},
             {"low.bin", {{6}, {7}, {8}, {9}, {10}}}};
  return f;
}

std::string After(const std::string& text, const std::string& marker) {
  std::size_t at = text.find(marker);
  return at == std::string::npos ? "<no " + marker + ">" : text.substr(at + marker.size());
}

TEST(Conversion, CalibrationPassesRunInTheirOrder) {
  ScopedTempDir dir;
  BuildScanFolder(dir.path, CalibrationScan());
  ProgramResult result = RunVulconv({"SCAN_20120514_1031.bin"}, dir.path);
  EXPECT_EQ(After(result.out, "Extracted 1 std files from bin.\n"),
            "opening file: ref.bin\nExtracted 3 std files from REF bin.\n"
            "opening file: dark.bin\nExtracted 0 std files from DARK bin.\n"
            "opening file: high.bin\nExtracted 2 std files from HIGH bin.\n"
            "opening file: low.bin\nExtracted 5 std files from LOW bin.\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(ListFiles(dir / "20120514_1031").size(), 11u);
  ExpectSameBytes(ReadFile(dir / "20120514_1031/low.bin.000004.std"),
                  ExpectedPixels({"10.000000"}) +
                      ExpectedCalibrationTrailer("LOW", 4, "05/14/2012", "10:31:07", 2, 10),
                  "low.bin.000004.std");
}

TEST(Conversion, AMissingCalibrationFileEndsTheRunAfterTheFilesBeforeIt) {
  const struct {
    const char* missing;
    std::size_t files_left;  // scan and calibration STD files written
  } cases[] = {{"ref.bin", 1}, {"high.bin", 4}, {"low.bin", 6}};
  for (const auto& c : cases) {
    ScopedTempDir dir;
    ScanFolder f = CalibrationScan();
    f.files.erase(c.missing);
    BuildScanFolder(dir.path, f);
    ProgramResult result = RunVulconv({"SCAN_20120514_1031.bin"}, dir.path);
    std::string tail = std::string("opening file: ") + c.missing + "\nCould not open " +
                       c.missing + "\r\n";
    EXPECT_TRUE(result.out.ends_with(tail)) << result.out;
    EXPECT_EQ(result.status, 255);
    EXPECT_EQ(ListFiles(dir / "20120514_1031").size(), c.files_left) << c.missing;
  }
}

TEST(Conversion, AScanWithoutSpectraLeavesTheCalibrationTimesEmpty) {
  ScopedTempDir dir;
  ScanFolder f = CalibrationScan();
  f.records = {};
  f.tail = std::string(8191, '\1');  // no whole record
  BuildScanFolder(dir.path, f);
  ProgramResult result = RunVulconv({"SCAN_20120514_1031.bin"}, dir.path);
  EXPECT_NE(result.out.find("Extracting 0 STD files. This could take some time, please be "
                            "patient...\nopening file: SCAN_20120514_1031.bin\n"
                            "Extracted 0 std files from bin.\n"),
            std::string::npos);
  EXPECT_EQ(result.status, 1);
  ExpectSameBytes(ReadFile(dir / "20120514_1031/ref.bin.000002.std"),
                  ExpectedPixels({"3.000000"}) + ExpectedCalibrationTrailer("REF", 2, "", "", 2, 10),
                  "ref.bin.000002.std");
}

}  // namespace
}  // namespace vulconv::test
