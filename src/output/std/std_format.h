// The ASCII STD spectrum file: head, 2048 pixel lines, trailer; CR LF ends.
#ifndef VULCONV_OUTPUT_STD_STD_FORMAT_H_
#define VULCONV_OUTPUT_STD_STD_FORMAT_H_

#include <cstdint>
#include <string>

#include "output/shared/output_record.h"

namespace vulconv {

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

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_STD_STD_FORMAT_H_
