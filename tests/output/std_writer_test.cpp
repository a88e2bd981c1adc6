#include "output/std_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include "test_util.h"

namespace vulconv {
namespace {

SpectrumRecord SampleRecord() {
  SpectrumRecord record;
  record.pixels[0] = 1.0f;
  record.pixels[1] = -3.25f;
  record.pixels[2] = 65535.0f;
  record.pixels[3] = 0.0078125f;  // an exact half at the sixth decimal
  return record;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

std::string SamplePixelLines() {
  std::string text = Lines({"GDBGMNUP", "1", "2048", "1.000000", "-3.250000", "65535.000000",
                            "0.007813"});
  for (int p = 4; p < kPixelCount; ++p) text += "0.000000\r\n";
  return text;
}

StdSpectrumInfo SampleInfo() {
  StdSpectrumInfo info;
  info.index = 41;
  info.date = "05/14/2012";
  info.time = "10:31:07";
  info.scans = 5;
  info.exposure = 100;
  info.longitude = -90.853908333;
  info.latitude = 14.53539;
  info.altitude = 1234.5;
  info.elevation = -12.5;
  info.user_param = 3.25;
  return info;
}

TEST(FormatStdFile, ScanFormWhole) {
  std::string expected = SamplePixelLines() +
                         Lines({"VulcoraBin_41", "", "", "05/14/2012", "10:31:07", "10:31:07",
                                "333", "0", "SCANS 5", "INT_TIME 100", "SITE volcano",
                                "LONGITUDE -90.853908", "LATITUDE 14.535390", "NumScans = 5",
                                "ExposureTime = 100", "Altitude = 1234.500000",
                                "ElevationAngle = -12.500000", "UserParam1 = 3.250000"});
  std::string text = StdFileText(StdKind::Scan, SampleRecord(), SampleInfo());
  test::ExpectSameBytes(text, expected, "scan form");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2069);
}

TEST(FormatStdFile, CalibrationFormsWhole) {
  const struct {
    StdKind kind;
    const char* name_line;
  } cases[] = {{StdKind::Ref, "VulcoraBin_REF_41"},
               {StdKind::Dark, "VulcoraBin_DARK_41"},
               {StdKind::High, "VulcoraBin_HIGH_41"},
               {StdKind::Low, "VulcoraBin_LOW_41"}};
  for (const auto& c : cases) {
    std::string expected = SamplePixelLines() +
                           Lines({c.name_line, "", "", "05/14/2012", "10:31:07", "10:31:07",
                                  "333", "0", "SCANS 5", "INT_TIME 100", "SITE volcano",
                                  "LONGITUDE 0.0", "LATITUDE 0.0", "NumScans = 5",
                                  "ExposureTime = 100"});
    std::string text = StdFileText(c.kind, SampleRecord(), SampleInfo());
    test::ExpectSameBytes(text, expected, c.name_line);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2066);
  }
}

TEST(FormatStdFile, TextsAreCopiedAsTheyStand) {
  StdSpectrumInfo info;
  info.date = "%s%n/\t/";
  info.time = "";
  info.longitude = -0.0;
  std::string text = StdFileText(StdKind::Scan, SpectrumRecord{}, info);
  EXPECT_NE(text.find("VulcoraBin_0\r\n\r\n\r\n%s%n/\t/\r\n\r\n\r\n333\r\n"), std::string::npos);
  EXPECT_NE(text.find("LONGITUDE -0.000000\r\nLATITUDE 0.000000\r\n"), std::string::npos);
}

// Longer, as long and shorter files are written over and cut to length.
TEST(WriteStdFile, ReplacesAnExistingFile) {
  test::ScopedTempDir dir;
  std::string expected = StdFileText(StdKind::Dark, SampleRecord(), SampleInfo());
  for (std::size_t size : {std::size_t{200000}, expected.size(), std::size_t{10}, std::size_t{0}}) {
    test::WriteFile(dir / "a.std", std::string(size, 'x'));
    WriteStdFile(dir / "a.std", StdKind::Dark, SampleRecord(), SampleInfo());
    test::ExpectSameBytes(test::ReadFile(dir / "a.std"), expected, std::to_string(size));
  }
}

TEST(WriteStdFile, EndsTheRunWhenTheFileCannotBeCreated) {
  test::ScopedTempDir dir;
  test::WriteFile(dir / "folder", "a regular file where the folder should be");
  EXPECT_EXIT(WriteStdFile(dir / "folder/a.std", StdKind::Scan, SampleRecord(), SampleInfo()),
              testing::ExitedWithCode(255), "");
}

TEST(WriteStdFile, RemovesAFileItCouldNotWriteWhole) {
  test::ScopedTempDir dir;
  auto write_with_small_limit = [&] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    WriteStdFile(dir / "big.std", StdKind::Scan, SampleRecord(), SampleInfo());
  };
  EXPECT_EXIT(write_with_small_limit(), testing::ExitedWithCode(255), "");
  EXPECT_FALSE(test::PathExists(dir / "big.std"));
}

}  // namespace
}  // namespace vulconv
