// Bad input, first table: odd names, binary files that are not regular
// files, an output folder that cannot hold files, and a write that fails
// halfway. Each row states the console output and status, and nothing
// outside the output folder may change.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "e2e/bad_input.h"

namespace vulconv::test {
namespace {

namespace fs = std::filesystem;

const std::string kScan = "SCAN_20120514_1031.bin";

std::string ScanStd0() {
  return ExpectedPixels({"1.000000"}) +
         ExpectedScanTrailer(0, "05/14/2012", "10:31:07", 2, 10, "-90.853908", "14.535390",
                             "1234.500000", "45.000000", "3.250000");
}

// 18 folders of 220 characters: with the scan's own name, 4,000 characters.
std::string LongFolder() {
  std::string folder;
  for (int i = 0; i < 18; ++i) folder += std::string(220, static_cast<char>('a' + i)) + "/";
  return folder;
}

TEST(BadInput, OddNamesConvertWithoutRunningAnything) {
  const struct {
    std::string scan;
    std::string output;  // the output folder
    bool new_structure;
  } cases[] = {
      {"with space/" + kScan, "with space/20120514_1031", true},
      {"quote\"/" + kScan, "quote\"/20120514_1031", true},
      {"$(touch pwned)/" + kScan, "$(touch pwned)/20120514_1031", true},
      {"`touch pwned`/" + kScan, "`touch pwned`/20120514_1031", true},
      {"semi;colon/" + kScan, "semi;colon/20120514_1031", true},
      {"amp&er/" + kScan, "amp&er/20120514_1031", true},
      {"caf\xc3\xa9/" + kScan, "caf\xc3\xa9/20120514_1031", true},   // UTF-8
      {"\xff\xfe\x80/" + kScan, "\xff\xfe\x80/20120514_1031", true},  // not UTF-8
      {"-dash/" + kScan, "-dash/20120514_1031", true},
      {LongFolder() + kScan, LongFolder() + "20120514_1031", true},
      {"-scan.bin", "20120514_1031", false},
      {"x\"$(touch p)`touch q`;a&b.bin", "20120514_1031", false},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.scan.size() != 4000 || c.new_structure);
    ScopedTempDir dir;
    BuildScanFolder(dir.path, PlainScan(c.scan));
    ProgramResult result = RunCheckingOutside(dir, c.scan, c.output);
    std::string what = c.scan.substr(0, 40);
    EXPECT_EQ(result.out, PlainTranscript(c.scan, c.output, c.new_structure)) << what;
    EXPECT_EQ(result.err, "") << what;
    EXPECT_EQ(result.status, 1) << what;
    std::vector<std::string> files = ListFiles(dir / c.output);
    ASSERT_EQ(files.size(), 6u) << what;
    std::string scan_std = c.new_structure ? kScan + ".000000.std"
                                           : "scan_20120514_1031.bin.000000.std";
    ExpectSameBytes(ReadFile(dir / c.output + "/" + scan_std), ScanStd0(), what);
  }
  EXPECT_EQ((LongFolder() + kScan).size(), 4000u);
}

// Rows whose run ends early. make prepares the folder after PlainScan.
struct EarlyEnd {
  const char* what;
  std::function<void(const ScopedTempDir&)> make;
  std::string tail;    // the console output after the part every row shares
  bool reaches_folder;  // the shared part runs to the scan pass
  int status;
  std::size_t files;   // in the output folder
};

void Replace(const std::string& name, const std::function<void(const std::string&)>& make) {
  fs::remove(name);
  make(name);
}

TEST(BadInput, FilesThatAreNotRegularOrCannotBeWritten) {
  auto fifo = [](const std::string& name) { ASSERT_EQ(mkfifo(name.c_str(), 0600), 0); };
  auto folder = [](const std::string& name) { fs::create_directory(name); };
  const std::string std0 = "20120514_1031/" + kScan + ".000000.std";
  const EarlyEnd cases[] = {
      {"scan is a folder", [&](const ScopedTempDir& d) { Replace(d / kScan, folder); },
       "Could not open " + kScan + "\r\n", false, 255, 0},
      {"scan is a FIFO", [&](const ScopedTempDir& d) { Replace(d / kScan, fifo); },
       "Could not open " + kScan + "\r\n", false, 255, 0},
      {"scan links to /dev/zero",
       [&](const ScopedTempDir& d) {
         Replace(d / kScan, [](const std::string& n) { fs::create_symlink("/dev/zero", n); });
       },
       "Could not open " + kScan + "\r\n", false, 255, 0},
      {"reference file is a FIFO", [&](const ScopedTempDir& d) { Replace(d / "r.bin", fifo); },
       "Extracted 2 std files from bin.\nopening file: r.bin\nCould not open r.bin\r\n", true, 255,
       2},
      {"dark file is a folder", [&](const ScopedTempDir& d) { Replace(d / "d.bin", folder); },
       "Extracted 2 std files from bin.\nopening file: r.bin\nExtracted 1 std files from REF "
       "bin.\nopening file: d.bin\nCould not open d.bin\r\n",
       true, 255, 3},
      {"output folder name is a file",
       [&](const ScopedTempDir& d) { WriteFile(d / "20120514_1031", "mine"); },
       "Could not create " + std0 + "\r\n", true, 255, 0},
  };
  for (const auto& c : cases) {
    ScopedTempDir dir;
    BuildScanFolder(dir.path, PlainScan(kScan));
    c.make(dir);
    // Where no STD file is to be written, nothing at all may change.
    ProgramResult result = RunCheckingOutside(dir, kScan, c.files > 0 ? "20120514_1031" : "");
    std::string head = c.reaches_folder ? TranscriptToScanPass(kScan, "20120514_1031", true)
                                        : "\nOpening file: " + kScan + "\n";
    EXPECT_EQ(result.out, head + c.tail) << c.what;
    EXPECT_EQ(result.status, c.status) << c.what;
    if (c.reaches_folder && fs::is_directory(dir / "20120514_1031")) {
      EXPECT_EQ(ListFiles(dir / "20120514_1031").size(), c.files) << c.what;
    }
  }
}

TEST(BadInput, AnStdFileNameOverTheNameLimitEndsTheRun) {
  // Without a text file the folder is named after the scan; its STD file
  // name "scan_<244 characters>.bin.000000.std" is then too long to make.
  const std::string scan = std::string(240, 'n') + ".bin";
  const std::string output = std::string(240, 'n') + "_bin";
  ScopedTempDir dir;
  ScanFolder f = PlainScan(scan);
  f.text.reset();
  BuildScanFolder(dir.path, f);
  ProgramResult result = RunCheckingOutside(dir, scan, output);
  const std::string notice =
      "The txt file does not contain the scan time - naming the output folder after the scan "
      "file.\n";
  EXPECT_EQ(result.out, TranscriptToScanPass(scan, output, false, notice) +
                            "The text file does not appear to contain GPS data. Continuing "
                            "without GPS...\nCould not create " +
                            output + "/scan_" + output + ".bin.000000.std\r\n");
  EXPECT_EQ(result.status, 255);
  EXPECT_TRUE(ListFiles(dir / output).empty());
}

TEST(BadInput, AWriteThatFailsHalfwayRemovesThatFileOnly) {
  // Record 0's file is about 21 KB and record 1's about 35 KB: a limit of
  // 25,000 bytes per file lets the first through and cuts the second.
  ScopedTempDir dir;
  ScanFolder f = PlainScan(kScan);
  f.records = {{1.0f}, std::vector<float>(2048, 12345678.0f)};
  BuildScanFolder(dir.path, f);
  ProgramResult result = RunCheckingOutside(dir, kScan, "20120514_1031", {.file_size = 25000});
  EXPECT_EQ(result.out, TranscriptToScanPass(kScan, "20120514_1031", true) +
                            "Could not write 20120514_1031/" + kScan + ".000001.std\r\n");
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(ListFiles(dir / "20120514_1031"), std::vector<std::string>{kScan + ".000000.std"});
  ExpectSameBytes(ReadFile(dir / "20120514_1031/" + kScan + ".000000.std"), ScanStd0(), "file 0");
}

}  // namespace
}  // namespace vulconv::test
