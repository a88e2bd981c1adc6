#include "input/binary_file.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "system/console.h"
#include "system/exit_status.h"
#include "system/files.h"

namespace vulconv {

namespace {

// The whole-file check reads through the file in pieces of this size, so
// that its memory does not grow with the file.
constexpr std::size_t kCheckChunk = 1 << 16;

}  // namespace

std::int64_t CheckScanFile(const std::string& name) {
  std::fputc('\n', stdout);
  PrintLine("Opening file: ", name);
  int fd = OpenRegularFile(name);
  if (fd < 0) EndRunOnFile("Could not open", name);
  std::int64_t size = OpenFileSize(fd);
  std::unique_ptr<char[]> chunk(new (std::nothrow) char[kCheckChunk]);
  if (!chunk) EndRunWithError("Memory error", kExitMemoryError);
  std::int64_t left = size - ReadThrough(fd, size, chunk.get(), kCheckChunk);
  CloseFile(fd);
  if (left > 0) EndRunWithError("Reading error", kExitReadingError);
  return size / kRecordBytes;
}

SpectrumFile OpenSpectrumFile(const std::string& name) {
  PrintLine("opening file: ", name);
  SpectrumFile file;
  file.name = name;
  file.fd = OpenRegularFile(name);
  if (file.fd < 0) EndRunOnFile("Could not open", name);
  file.count = OpenFileSize(file.fd) / kRecordBytes;
  return file;
}

void DecodeRecord(const unsigned char* bytes, SpectrumRecord& record) {
  for (int p = 0; p < kPixelCount; ++p) {
    const unsigned char* b = bytes + 4 * p;
    std::uint32_t bits = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                         static_cast<std::uint32_t>(b[2]) << 16 |
                         static_cast<std::uint32_t>(b[3]) << 24;
    record.pixels[p] = std::bit_cast<float>(bits);
  }
}

bool ReadNextSpectrum(SpectrumFile& file, SpectrumRecord& record) {
  if (file.read >= file.count) return false;
  bool whole;
  if constexpr (std::endian::native == std::endian::little) {
    // The file's bytes are the floats' own bytes: read them in place.
    whole = ReadBytes(file.fd, record.pixels.data(), kRecordBytes) == kRecordBytes;
  } else {
    unsigned char bytes[kRecordBytes];
    whole = ReadBytes(file.fd, bytes, kRecordBytes) == kRecordBytes;
    if (whole) DecodeRecord(bytes, record);
  }
  if (whole) ++file.read;
  return whole;
}

void CloseSpectrumFile(SpectrumFile& file) {
  if (file.fd >= 0) CloseFile(file.fd);
  file.fd = -1;
}

}  // namespace vulconv
