// Spectrum binary files: a bare run of records of 2048 little-endian
// float32 pixel values, 8192 bytes each.
#ifndef VULCONV_INPUT_BINARY_FILE_H_
#define VULCONV_INPUT_BINARY_FILE_H_

#include <array>
#include <cstdint>
#include <string>

namespace vulconv {

inline constexpr int kPixelCount = 2048;
inline constexpr std::int64_t kRecordBytes = 4 * kPixelCount;

struct SpectrumRecord {
  std::array<float, kPixelCount> pixels{};
};

/// A binary file opened for extraction.
struct SpectrumFile {
  std::string name;
  int fd = -1;
  std::int64_t count = 0;  // whole records when it was opened
  std::int64_t read = 0;   // records read so far
};

/// The whole-file check: prints an empty line and "Opening file: " name,
/// reads the file through and returns its size / 8192. Ends the run with
/// -1 when it cannot be opened, 2 when no buffer can be had, 3 when fewer
/// bytes can be read than its size.
std::int64_t CheckScanFile(const std::string& name);

/// Prints "opening file: " name and opens the file; ends the run with -1
/// when it cannot be opened or is not a regular file.
SpectrumFile OpenSpectrumFile(const std::string& name);

/// Reads the next record; false when none is left or the read comes short.
bool ReadNextSpectrum(SpectrumFile& file, SpectrumRecord& record);

void CloseSpectrumFile(SpectrumFile& file);

/// Decodes one record from its 8192 file bytes, on a host of either order.
void DecodeRecord(const unsigned char* bytes, SpectrumRecord& record);

}  // namespace vulconv

#endif  // VULCONV_INPUT_BINARY_FILE_H_
