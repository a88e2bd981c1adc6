// Any bytes as scan text: the line split, and each line through the field
// reader (any field index and width) and the spectrum line parse.
#include <cstring>

#include "fuzz_check.h"
#include "input/line_fields.h"
#include "input/line_parse.h"
#include "input/text_lines.h"

using namespace vulconv;

static void CheckLine(std::string_view line, int index, int width, std::int64_t spectrum_index) {
  int count = CountLineFields(line);
  std::string field = ReadLineField(line, index, width);
  FUZZ_CHECK(field.find_first_of(" \t") == std::string::npos);  // blanks became zeros
  FUZZ_CHECK(index <= count || field.empty());
  FUZZ_CHECK(index < 2 || index > count || width <= 0 || !field.empty());
  FUZZ_CHECK(index == 15 || field.size() <= static_cast<std::size_t>(std::max(width, 0)));
  if (index >= 1 && index <= kMaxFieldStart) {
    FUZZ_CHECK(ReadLineField(FindLineFieldStarts(line), index, width) == field);
  }
  ParsedSpectrumLine parsed = ParseSpectrumLine(line, spectrum_index);
  FUZZ_CHECK(parsed.value.date.size() <= 10 && parsed.value.time.size() <= 8);
  if (parsed.notice.starts_with("The text file")) FUZZ_CHECK(spectrum_index == 0);
  else FUZZ_CHECK(parsed.notice.empty() || (parsed.notice == std::to_string(count) && count != 16));
}

// Bytes 0-1: field index; byte 2: width; bytes 3-10: spectrum index; the
// rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::int16_t index = 0;
  std::int8_t width = 0;
  std::int64_t spectrum_index = 0;
  if (size < 11) return 0;
  std::memcpy(&index, data, 2);
  std::memcpy(&width, data + 2, 1);
  std::memcpy(&spectrum_index, data + 3, 8);
  std::string_view text(reinterpret_cast<const char*>(data) + 11, size - 11);
  for (std::size_t pos = 0, before = 0; pos < text.size(); before = pos) {
    std::string_view line = NextTextLine(text, pos);
    FUZZ_CHECK(pos > before && line.size() <= kMaxLineLength && line.find('\n') == line.npos);
    CheckLine(line, index, width, before == 0 ? spectrum_index : 1);
  }
  CheckLine(text, index, width, spectrum_index);  // the whole text as one line too
  return 0;
}
