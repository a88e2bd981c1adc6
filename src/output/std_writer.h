// The ASCII STD spectrum file: head, 2048 pixel lines, trailer; CR LF ends.
#ifndef VULCONV_OUTPUT_STD_WRITER_H_
#define VULCONV_OUTPUT_STD_WRITER_H_

#include <cstdint>
#include <string>

#include "input/binary_file.h"

namespace vulconv {

enum class StdKind { Scan, Ref, Dark, High, Low };

struct StdSpectrumInfo {
  std::int64_t index = 0;
  std::string date;
  std::string time;
  std::int32_t scans = 0;
  std::int32_t exposure = 0;
  double longitude = 0;  // longitude to user_param: scan form only
  double latitude = 0;
  double altitude = 0;
  double elevation = 0;
  double user_param = 0;
};

/// Bytes enough for any file FormatStdFile writes with these texts.
std::size_t StdFileSizeBound(const StdSpectrumInfo& info);

/// The head before the pixel lines: "GDBGMNUP", "1", "2048".
inline constexpr std::size_t kStdHeadSize = 19;

/// Formats the whole file at out (StdFileSizeBound bytes) and returns its
/// end; pixels_end, when given, is set to the end of the pixel lines.
char* FormatStdFile(StdKind kind, const SpectrumRecord& record, const StdSpectrumInfo& info,
                    char* out, char** pixels_end = nullptr);

/// FormatStdFile as a string.
std::string StdFileText(StdKind kind, const SpectrumRecord& record, const StdSpectrumInfo& info);

/// Writes the file at path whole, replacing what is there, or leaves path as
/// it was and ends the run with -1 after "Could not create <path>\r\n" or
/// "Could not write <path>\r\n".
void WriteStdFile(const std::string& path, StdKind kind, const SpectrumRecord& record,
                  const StdSpectrumInfo& info);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_STD_WRITER_H_
