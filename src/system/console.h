// Console lines on standard output. Names are written as bytes, never as
// format text.
#ifndef VULCONV_SYSTEM_CONSOLE_H_
#define VULCONV_SYSTEM_CONSOLE_H_

#include <cstdio>
#include <string_view>

namespace vulconv {

/// Writes text and a line break to standard output.
inline void PrintLine(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

/// Writes a fixed prefix, a name and a line break.
inline void PrintLine(std::string_view prefix, std::string_view name) {
  std::fwrite(prefix.data(), 1, prefix.size(), stdout);
  PrintLine(name);
}

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_CONSOLE_H_
