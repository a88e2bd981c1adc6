#include "input/text_lines.h"

#include <algorithm>
#include <cstring>

#include "system/files.h"

namespace vulconv {

namespace {

constexpr std::size_t kReadAhead = 1 << 16;

// Drops a carriage return that stood right before the line feed, then cuts
// the line to its longest kept length.
void FinishLine(std::string& line, bool had_line_feed) {
  if (had_line_feed && !line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > kMaxLineLength) line.resize(kMaxLineLength);
}

}  // namespace

TextFile OpenTextFile(const std::string& name) {
  TextFile file;
  file.fd = OpenRegularFile(name);
  if (file.fd >= 0) file.buffer.reset(new char[kReadAhead]);
  return file;
}

std::string_view ReadTextLine(TextFile& file) {
  file.line.clear();
  // Up to one character past the kept length is held, so that a carriage
  // return right before the line feed can still be told apart.
  bool had_line_feed = false;
  while (file.fd >= 0) {
    if (file.begin == file.end) {
      file.begin = 0;
      file.end = ReadBytes(file.fd, file.buffer.get(), kReadAhead);
      if (file.end == 0) break;
    }
    const char* start = file.buffer.get() + file.begin;
    std::size_t avail = file.end - file.begin;
    const void* nl = std::memchr(start, '\n', avail);
    std::size_t take = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - start) : avail;
    std::size_t room = kMaxLineLength + 1 - std::min(file.line.size(), kMaxLineLength + 1);
    file.line.append(start, std::min(take, room));
    if (nl) {
      file.begin += take + 1;
      had_line_feed = true;
      break;
    }
    file.begin = file.end;
  }
  FinishLine(file.line, had_line_feed);
  return file.line;
}

void CloseTextFile(TextFile& file) {
  if (file.fd >= 0) CloseFile(file.fd);
  file.fd = -1;
  file.begin = file.end = 0;
}

std::string_view NextTextLine(std::string_view text, std::size_t& pos) {
  if (pos >= text.size()) return {};
  std::size_t nl = text.find('\n', pos);
  std::string_view line = text.substr(pos, nl == std::string_view::npos ? text.npos : nl - pos);
  pos = nl == std::string_view::npos ? text.size() : nl + 1;
  if (nl != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() > kMaxLineLength) line = line.substr(0, kMaxLineLength);
  return line;
}

}  // namespace vulconv
