// Any bytes as scan text: the line split, and each line through the field
// tools (with any field index and width) and the spectrum line parse.
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "input/line_fields.h"
#include "input/line_parse.h"
#include "input/text_lines.h"

namespace vulconv::fuzz {
namespace {

bool HasBlank(const std::string& text) { return text.find_first_of(" \t") != std::string::npos; }

void CheckFields(std::string_view line, int index, int width) {
  int count = CountLineFields(line);
  FUZZ_CHECK(count >= 1);
  std::string field = ReadLineField(line, index, width);
  if (index > count) FUZZ_CHECK(field.empty());
  // A field from 2 on starts at a character that is not a blank.
  if (index >= 2 && index <= count && width > 0) FUZZ_CHECK(!field.empty());
  if (index != 15) {
    FUZZ_CHECK(field.size() <= static_cast<std::size_t>(width > 0 ? width : 0));
    FUZZ_CHECK(!HasBlank(field));  // blanks of the cut became leading zeros
  } else {
    FUZZ_CHECK(!HasBlank(field));
  }
}

void CheckParse(std::string_view line, std::int64_t spectrum_index) {
  ParsedSpectrumLine parsed = ParseSpectrumLine(line, spectrum_index);
  // mm/dd/yyyy and hh:mm:ss at their longest.
  FUZZ_CHECK(parsed.value.date.size() <= 10);
  FUZZ_CHECK(parsed.value.time.size() <= 8);
  const std::string& notice = parsed.notice;
  if (!notice.empty() && notice.front() != 'T') {
    FUZZ_CHECK(notice == std::to_string(CountLineFields(line)));
  }
  if (!notice.empty() && notice.front() == 'T') FUZZ_CHECK(spectrum_index == 0);
}

}  // namespace
}  // namespace vulconv::fuzz

// Bytes 0-1: field index; byte 2: width; bytes 3-10: spectrum index; the
// rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vulconv;
  std::int16_t index = 0;
  std::int8_t width = 0;
  std::int64_t spectrum_index = 0;
  std::size_t head = sizeof index + sizeof width + sizeof spectrum_index;
  if (size < head) return 0;
  std::memcpy(&index, data, sizeof index);
  std::memcpy(&width, data + 2, sizeof width);
  std::memcpy(&spectrum_index, data + 3, sizeof spectrum_index);
  std::string_view text = fuzz::AsText(data + head, size - head);

  std::size_t pos = 0;
  bool first = true;
  while (pos < text.size()) {
    std::size_t before = pos;
    std::string_view line = NextTextLine(text, pos);
    FUZZ_CHECK(pos > before);
    FUZZ_CHECK(line.size() <= kMaxLineLength);
    FUZZ_CHECK(line.find('\n') == std::string_view::npos);
    fuzz::CheckFields(line, index, width);
    fuzz::CheckParse(line, first ? spectrum_index : 1);
    first = false;
  }
  fuzz::CheckFields(text, index, width);  // the whole text as one line too
  fuzz::CheckParse(text, spectrum_index);
  return 0;
}
