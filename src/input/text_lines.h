// Text files read line by line, as the parameter and scan text files are.
#ifndef VULCONV_INPUT_TEXT_LINES_H_
#define VULCONV_INPUT_TEXT_LINES_H_

#include <memory>
#include <string>
#include <string_view>

namespace vulconv {

/// Longest line kept; the rest of a longer line is skipped.
inline constexpr std::size_t kMaxLineLength = 65535;

/// A text file open for reading lines. A file that is missing or not a
/// regular file reads as empty.
struct TextFile {
  int fd = -1;
  std::unique_ptr<char[]> buffer;  // bytes read ahead of the lines
  std::size_t begin = 0;           // unread bytes are buffer[begin, end)
  std::size_t end = 0;
  std::string line;                // the line last read
};

TextFile OpenTextFile(const std::string& name);

/// The next line without its line feed (and without a carriage return right
/// before it), cut to kMaxLineLength; empty past the end. The view stays
/// valid until the next read.
std::string_view ReadTextLine(TextFile& file);

void CloseTextFile(TextFile& file);

/// The line of text that starts at pos, by the same rules; pos is moved past
/// it. Empty past the end.
std::string_view NextTextLine(std::string_view text, std::size_t& pos);

}  // namespace vulconv

#endif  // VULCONV_INPUT_TEXT_LINES_H_
