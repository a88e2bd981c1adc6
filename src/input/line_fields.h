// The two tools through which every line of the scan text file is read.
#ifndef VULCONV_INPUT_LINE_FIELDS_H_
#define VULCONV_INPUT_LINE_FIELDS_H_

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vulconv {

/// Field number index (from 2) of line, cut to width characters, with one
/// leading "0" for each blank in the cut. Tabs count as blanks, a run of
/// blanks is one separator, a leading blank makes an empty field 1. Field 15
/// is returned whole up to its first blank, unpadded. A missing field is "".
std::string ReadLineField(std::string_view line, int index, int width);

/// Where fields 1 to kMaxFieldStart of a line begin, found in one pass, for
/// reading many fields of one line.
inline constexpr int kMaxFieldStart = 19;
struct LineFieldStarts {
  std::string_view line;
  std::array<std::size_t, kMaxFieldStart + 1> start{};  // start[index]; line.size() past the end
};

LineFieldStarts FindLineFieldStarts(std::string_view line);

/// ReadLineField of the line the starts were found in; index at most
/// kMaxFieldStart.
std::string ReadLineField(const LineFieldStarts& fields, int index, int width);

/// Number of fields of line: 1 for the first (possibly empty) field, plus 1
/// for each run of blanks followed by a further character.
int CountLineFields(std::string_view line);

}  // namespace vulconv

#endif  // VULCONV_INPUT_LINE_FIELDS_H_
