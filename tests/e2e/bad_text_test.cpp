// Bad input, second table: scan text and parameter files as other programs
// or broken copies leave them. Each row states the console output and the
// STD file trailers; the run completes and changes nothing outside its
// output folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "e2e/bad_input.h"

namespace vulconv::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kScan = "SCAN_20120514_1031.bin";
const std::string kNoGps =
    "The text file does not appear to contain GPS data. Continuing without GPS...\n";

std::string Utf16Le(const std::string& text) {
  std::string bytes = "\xff\xfe";
  for (char c : text) bytes += std::string{c, '\0'};
  return bytes;
}

std::string Garbage(std::size_t size) {
  std::string bytes;
  std::uint32_t x = 20240611;
  for (std::size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(x >> 16));
  }
  return bytes;
}

// The trailer of scan record index with the two-record scan's 2 and 10.
std::string Trailer(int index, const std::string& date, const std::string& time,
                    const std::string& lon, const std::string& lat, const std::string& alt,
                    const std::string& elev, const std::string& user) {
  return ExpectedScanTrailer(index, date, time, 2, 10, lon, lat, alt, elev, user);
}

const std::string kEmptyLine1 = Trailer(1, "//", "::", "-0.000000", "0.000000", "0.000000",
                                        "0.000000", "0.000000");

// The console of a completed PlainScan run with notice in its scan pass.
std::string Transcript(const std::string& notice) {
  std::string out = PlainTranscript(kScan, "20120514_1031", true);
  return out.insert(TranscriptToScanPass(kScan, "20120514_1031", true).size(), notice);
}

void ExpectWholeStdFiles(const ScopedTempDir& dir, const std::string& what) {
  for (const std::string& name : ListFiles(dir / "20120514_1031")) {
    std::string bytes = ReadFile(dir / "20120514_1031/" + name);
    EXPECT_TRUE(bytes.starts_with("GDBGMNUP\r\n1\r\n2048\r\n") && bytes.ends_with("\r\n"))
        << what << " " << name;
  }
}

TEST(BadInput, TextFilesOfOtherProgramsAndBrokenCopies) {
  const std::string to_user = "1 2012 05 14 10 31 07 x 45 3.";
  const std::string line2 = "1 2012 05 14 10 32 09 x 45 3.25";
  const std::string gps_trailer0 = Trailer(0, "05/14/2012", "10:31:07", "-90.853908",
                                           "14.535390", "1234.500000", "45.000000", "3.250000");
  const std::string gps_trailer1 = Trailer(1, "05/14/2012", "10:32:09", "90.853908",
                                           "-14.535390", "12.500000", "-12.500000", "3.250000");
  const std::string gps_text = std::string(kGpsLine1) + "\n" + kGpsLine2 + "\n";
  const struct {
    const char* what;
    std::string text;
    std::string notice;  // printed in the scan pass
    std::optional<std::string> trailer0, trailer1;  // not stated for garbage
  } cases[] = {
      // A NUL is an ordinary byte: it stays in its field, lines still end at LF.
      {"NUL bytes", to_user + "25\0 \n\0\0\0\n"s + line2 + "\n", kNoGps,
       Trailer(0, "05/14/2012", "10:31:07", "-0.000000", "0.000000", "0.000000", "45.000000",
               "3.250000"),
       kEmptyLine1},
      {"NUL in the month", "1 2012 0\0 14 10 31 07 x 45 3.25\n"s + line2 + "\n", kNoGps,
       Trailer(0, "0\0/14/2012"s, "10:31:07", "-0.000000", "0.000000", "0.000000", "45.000000",
               "3.250000"),
       Trailer(1, "05/14/2012", "10:32:09", "-0.000000", "0.000000", "0.000000", "45.000000",
               "3.250000")},
      // CR alone ends no line: the file is one line of 19 fields, whose
      // fields 12 and 13 become the elevation and the user parameter (the
      // latter cut 8 wide, "14 10 32", its blanks made leading zeros).
      {"CR-only line ends", to_user + "25\r" + line2 + "\r", kNoGps,
       Trailer(0, "05/14/2012", "10:31:07", "-0.000000", "0.000000", "0.000000", "5.000000",
               "141032.000000"),
       kEmptyLine1},
      // Its first 65,535 characters are the line; spectrum 1 gets the next.
      {"1 MB line", to_user + std::string(1 << 20, '5') + "\n" + line2 + "\n", kNoGps,
       Trailer(0, "05/14/2012", "10:31:07", "-0.000000", "0.000000", "0.000000", "45.000000",
               "3.555555"),
       Trailer(1, "05/14/2012", "10:32:09", "-0.000000", "0.000000", "0.000000", "45.000000",
               "3.250000")},
      // The mark is part of field 1, which is not read.
      {"UTF-8 byte order mark", "\xef\xbb\xbf" + gps_text, "", gps_trailer0, gps_trailer1},
      // Not decoded: each character's NUL byte joins the fields.
      {"UTF-16 byte order mark", Utf16Le(gps_text), "",
       Trailer(0, "\0\x30/\0\x31/\0\x32\0\x30"s, "\0\x31:\0\x33:\0\x37"s, "0.000000", "0.000000",
               "0.000000", "0.000000", "0.000000"),
       Trailer(1, "\0\x30/\0\x31/\0\x32\0\x30"s, "\0\x31:\0\x33:\0\x30"s, "0.000000", "0.000000",
               "0.000000", "0.000000", "0.000000")},
      {"binary garbage", Garbage(4096), "", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    ScopedTempDir dir;
    ScanFolder f = PlainScan(kScan);
    f.text = c.text;
    BuildScanFolder(dir.path, f);
    ProgramResult result = RunCheckingOutside(dir, kScan, "20120514_1031");
    EXPECT_EQ(result.status, 1) << c.what;
    EXPECT_EQ(result.err, "") << c.what;
    ExpectWholeStdFiles(dir, c.what);
    EXPECT_EQ(ListFiles(dir / "20120514_1031").size(), 6u) << c.what;
    if (!c.trailer0) {
      EXPECT_TRUE(result.out.ends_with("Extracted 1 std files from LOW bin.\n")) << c.what;
      continue;
    }
    EXPECT_EQ(result.out, Transcript(c.notice)) << c.what;
    ExpectSameBytes(ReadFile(dir / "20120514_1031/" + kScan + ".000000.std"),
                    ExpectedPixels({"1.000000"}) + *c.trailer0, c.what);
    ExpectSameBytes(ReadFile(dir / "20120514_1031/" + kScan + ".000001.std"),
                    ExpectedPixels({"2.000000"}) + *c.trailer1, c.what);
  }
}

TEST(BadInput, ParameterFilesWithHugeNumbersOrNoFile) {
  const std::string lines = "p\n/x/d.bin\n/x/l.bin\n/x/h.bin\n/x/r.bin\n\n";
  const struct {
    const char* what;
    std::string params;
    const char* scans;     // as the STD trailer has them
    const char* exposure;
  } cases[] = {
      {"huge numbers", lines + "Scan time 99999999999 msec\nCo-adds -99999999999\n",
       "-2147483648", "2147483647"},
      {"numbers at the ends", lines + "Scan time 2147483647 msec\nCo-adds -2147483648\n",
       "-2147483648", "2147483647"},
      {"NUL bytes and CR", lines + "Scan time 1\0 msec\r\nCo-adds 3\0\r\n"s, "3", "1"},
  };
  for (const auto& c : cases) {
    ScopedTempDir dir;
    ScanFolder f = PlainScan(kScan);
    f.params = c.params;
    BuildScanFolder(dir.path, f);
    ProgramResult result = RunCheckingOutside(dir, kScan, "20120514_1031");
    EXPECT_EQ(result.out, PlainTranscript(kScan, "20120514_1031", true)) << c.what;
    EXPECT_EQ(result.status, 1) << c.what;
    std::string std0 = ReadFile(dir / "20120514_1031/" + kScan + ".000000.std");
    EXPECT_NE(std0.find("\r\nSCANS "s + c.scans + "\r\nINT_TIME " + c.exposure + "\r\n"),
              std::string::npos)
        << c.what;
    EXPECT_NE(std0.find("\r\nNumScans = "s + c.scans + "\r\nExposureTime = " + c.exposure),
              std::string::npos)
        << c.what;
  }
}

TEST(BadInput, CompanionTextFilesThatAreNotRegularReadAsEmpty) {
  // The parameter file and the text file as a FIFO (which must not block)
  // and as a folder. Without parameters the calibration files are found
  // by their names.
  for (bool fifo : {true, false}) {
    ScopedTempDir dir;
    ScanFolder f = PlainScan(kScan);
    f.params.reset();
    f.text.reset();
    f.files = {{"Cal_20120514_1031_dark.bin", {{3.0f}}},
               {"Cal_20120514_1031_low.bin", {{4.0f}}},
               {"Cal_20120514_1031_high.bin", {{5.0f}}},
               {"Cal_20120514_1031_ref.bin", {{6.0f}}}};
    BuildScanFolder(dir.path, f);
    for (const char* name : {"SCAN_20120514_1031.params", "SCAN_20120514_1031.txt"}) {
      if (fifo) ASSERT_EQ(mkfifo((dir / name).c_str(), 0600), 0);
      else fs::create_directory(dir / name);
    }
    ProgramResult result = RunCheckingOutside(dir, kScan, "20120514_1031");
    EXPECT_NE(result.out.find("Reading spectrum parameters from SCAN_20120514_1031.params\n"
                              "PARAMS file doesn't appear to contain reference file info - "
                              "looking for default filenames...\n"
                              "Dark Spectra: Cal_20120514_1031_dark.bin\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("opening file: " + kScan + "\n" + kNoGps +
                              "Extracted 2 std files from bin.\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(result.status, 1);
    ExpectSameBytes(ReadFile(dir / "20120514_1031/" + kScan + ".000001.std"),
                    ExpectedPixels({"2.000000"}) +
                        ExpectedScanTrailer(1, "//", "::", 0, 0, "-0.000000", "0.000000",
                                            "0.000000", "0.000000", "0.000000"),
                    fifo ? "FIFO" : "folder");
  }
}

}  // namespace
}  // namespace vulconv::test
