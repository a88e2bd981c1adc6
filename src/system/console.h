// Console lines on standard output. Names are written as bytes, never as
// format text.
//
// While written files wait for their names (see write_batch.h), the lines
// a conversion prints meanwhile are held, each with the count of files
// written before it, and printed once the files have their names. A file
// that cannot take its name is reported right after the lines that came
// before it, as if it had been named at once.
#ifndef VULCONV_SYSTEM_CONSOLE_H_
#define VULCONV_SYSTEM_CONSOLE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vulconv {

/// Writes text and a line break to standard output.
void PrintLine(std::string_view text);

/// Writes a fixed prefix, a name and a line break.
void PrintLine(std::string_view prefix, std::string_view name);

/// The lines of one conversion held behind its waiting files.
struct HeldLines {
  struct Line {
    std::size_t behind;  // files waiting when it was printed
    std::string text;    // with its line break
  };
  std::size_t waiting = 0;  // 0: lines are printed at once
  std::vector<Line> lines;
};

/// PrintLine, or holds the line while files wait.
void PrintLine(HeldLines& held, std::string_view text);

/// Lines printed from now on are held behind files waiting files; 0 prints
/// them at once again.
void HoldLinesBehind(HeldLines& held, std::size_t files);

/// Prints the held lines that came before waiting file number files (all
/// of them for the count of waiting files), in order.
void PrintHeldLines(HeldLines& held, std::size_t files);

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_CONSOLE_H_
