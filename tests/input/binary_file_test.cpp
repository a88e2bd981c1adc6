#include "input/binary_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "system/files.h"
#include "test_util.h"

namespace vulconv {
namespace {

using test::FloatBytes;
using test::ScopedTempDir;
using test::WriteFile;

TEST(CheckScanFile, CountsWholeRecordsOnly) {
  ScopedTempDir dir;
  const struct {
    std::size_t bytes;
    std::int64_t count;
  } cases[] = {{0, 0}, {8191, 0}, {8192, 1}, {8192 * 3 + 100, 3}};
  for (const auto& c : cases) {
    std::string name = dir / std::to_string(c.bytes);
    WriteFile(name, std::string(c.bytes, '\x7f'));
    testing::internal::CaptureStdout();
    std::int64_t count = CheckScanFile(name);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(count, c.count) << c.bytes;
    EXPECT_EQ(out, "\nOpening file: " + name + "\n");
  }
}

// The check's one failure: fewer bytes than asked can be read.
TEST(ReadThrough, CountsTheBytesTheFileHolds) {
  ScopedTempDir dir;
  const struct {
    std::size_t bytes;
    std::int64_t asked;
  } cases[] = {{0, 0}, {0, 10}, {100, 100}, {200000, 200000}, {200000, 300000}};
  for (const auto& c : cases) {
    WriteFile(dir / "f", std::string(c.bytes, 'x'));
    int fd = OpenRegularFile(dir / "f");
    ASSERT_GE(fd, 0);
    char chunk[4096];
    EXPECT_EQ(ReadThrough(fd, c.asked, chunk, sizeof chunk),
              std::min<std::int64_t>(c.asked, static_cast<std::int64_t>(c.bytes)))
        << c.bytes << " " << c.asked;
    CloseFile(fd);
  }
}

TEST(CheckScanFile, EndsTheRunWhenTheFileCannotBeOpened) {
  ScopedTempDir dir;
  EXPECT_EXIT(CheckScanFile(dir / "missing.bin"), testing::ExitedWithCode(255), "");
  // A folder is no binary file.
  EXPECT_EXIT(CheckScanFile(dir.path), testing::ExitedWithCode(255), "");
}

TEST(ReadNextSpectrum, DecodesLittleEndianPixelsInFileOrder) {
  ScopedTempDir dir;
  std::string bytes(2 * kRecordBytes, '\0');
  std::memcpy(&bytes[0], "\x00\x00\x80\x3f", 4);             // 1.0
  std::memcpy(&bytes[kRecordBytes - 4], FloatBytes({2.5f}).data(), 4);
  std::memcpy(&bytes[kRecordBytes], "\x00\x00\x80\xbf", 4);  // -1.0
  WriteFile(dir / "two.bin", bytes);

  testing::internal::CaptureStdout();
  SpectrumFile file = OpenSpectrumFile(dir / "two.bin");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "opening file: " + dir / "two.bin" + "\n");
  ASSERT_EQ(file.count, 2);
  SpectrumRecord record;
  ASSERT_TRUE(ReadNextSpectrum(file, record));
  EXPECT_EQ(record.pixels[0], 1.0f);
  EXPECT_EQ(record.pixels[2047], 2.5f);
  ASSERT_TRUE(ReadNextSpectrum(file, record));
  EXPECT_EQ(record.pixels[0], -1.0f);
  EXPECT_FALSE(ReadNextSpectrum(file, record));  // never more than the count
  CloseSpectrumFile(file);

  SpectrumRecord decoded;
  DecodeRecord(reinterpret_cast<const unsigned char*>(bytes.data()), decoded);
  EXPECT_EQ(decoded.pixels[0], 1.0f);
  EXPECT_EQ(decoded.pixels[2047], 2.5f);
}

TEST(ReadNextSpectrum, StopsAtARecordCutShortAfterTheOpen) {
  ScopedTempDir dir;
  WriteFile(dir / "shrinks.bin", std::string(3 * kRecordBytes, '\0'));
  testing::internal::CaptureStdout();
  SpectrumFile file = OpenSpectrumFile(dir / "shrinks.bin");
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(truncate((dir / "shrinks.bin").c_str(), kRecordBytes + 10), 0);
  SpectrumRecord record;
  EXPECT_TRUE(ReadNextSpectrum(file, record));
  EXPECT_FALSE(ReadNextSpectrum(file, record));
  EXPECT_EQ(file.read, 1);
  CloseSpectrumFile(file);
}

}  // namespace
}  // namespace vulconv
