#include "input/line_fields.h"

namespace vulconv {

namespace {

// A tab separates fields as a blank does; the line itself is never copied
// to replace them, as it may be 65,535 characters long.
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr int kWholeFieldIndex = 15;

// Where field index begins: index - 1 times, a field and the blanks after
// it are passed over. A leading blank thus ends an empty field 1.
std::size_t FieldStart(std::string_view line, int index) {
  std::size_t pos = 0;
  for (int k = 1; k < index && pos < line.size(); ++k) {
    while (pos < line.size() && !IsBlank(line[pos])) ++pos;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
  }
  return pos;
}

// The cut of field index, which begins at start.
std::string CutField(std::string_view line, std::size_t start, int index, int width) {
  std::string_view rest = line.substr(start);
  if (index == kWholeFieldIndex) {
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    return std::string(rest.substr(0, end));
  }
  std::string_view cut = rest.substr(0, width > 0 ? static_cast<std::size_t>(width) : 0);
  // Each blank of the cut is taken out and a "0" put in front for it, so
  // that "5 " gives "05" and the result keeps the cut's length.
  std::string field;
  field.reserve(cut.size());
  for (char c : cut) {
    if (IsBlank(c)) field.push_back('0');
  }
  for (char c : cut) {
    if (!IsBlank(c)) field.push_back(c);
  }
  return field;
}

}  // namespace

std::string ReadLineField(std::string_view line, int index, int width) {
  return CutField(line, FieldStart(line, index), index, width);
}

LineFieldStarts FindLineFieldStarts(std::string_view line) {
  LineFieldStarts fields;
  fields.line = line;
  std::size_t pos = 0;
  fields.start[0] = fields.start[1] = 0;
  for (int k = 2; k <= kMaxFieldStart; ++k) {
    while (pos < line.size() && !IsBlank(line[pos])) ++pos;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    fields.start[static_cast<std::size_t>(k)] = pos;
  }
  return fields;
}

std::string ReadLineField(const LineFieldStarts& fields, int index, int width) {
  return CutField(fields.line, fields.start[static_cast<std::size_t>(index)], index, width);
}

int CountLineFields(std::string_view line) {
  int count = 1;
  std::size_t i = 0;
  while (i < line.size()) {
    if (!IsBlank(line[i])) {
      ++i;
      continue;
    }
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i < line.size()) ++count;
  }
  return count;
}

}  // namespace vulconv
