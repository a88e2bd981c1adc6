#include "input/file_names.h"

#include <charconv>
#include <cstdio>

#include "system/platform.h"

namespace vulconv {

std::size_t LastSeparator(std::string_view name) {
  for (std::size_t i = name.size(); i-- > 0;) {
    if (IsFolderSeparator(name[i])) return i;
  }
  return std::string_view::npos;
}

std::string FolderPart(std::string_view name) {
  std::size_t sep = LastSeparator(name);
  return sep == std::string_view::npos ? std::string() : std::string(name.substr(0, sep + 1));
}

std::string BareName(std::string_view name) {
  std::size_t sep = LastSeparator(name);
  return std::string(sep == std::string_view::npos ? name : name.substr(sep + 1));
}

std::string RecordNumberText(std::int64_t index) {
  std::string text;
  AppendRecordNumber(text, index);
  return text;
}

void AppendRecordNumber(std::string& text, std::int64_t index) {
  char buf[32];
  if (index < 0) {
    int n = std::snprintf(buf, sizeof buf, "%06lld", static_cast<long long>(index));
    text.append(buf, static_cast<std::size_t>(n));
    return;
  }
  // Once per STD file: to_chars and the zeros, not a format string.
  std::size_t digits = static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, index).ptr - buf);
  if (digits < 6) text.append(6 - digits, '0');
  text.append(buf, digits);
}

void SetStdFileName(std::string& name, std::string_view prefix, std::int64_t index) {
  name.assign(prefix);
  AppendRecordNumber(name, index);
  name += ".std";
}

}  // namespace vulconv
