// Console lines on standard output. Names are written as bytes, never as
// format text.
//
// While written files wait for their names (see safe_write.h), the lines
// printed meanwhile are held, each with the count of files written before
// it, and printed once the files have their names. A file that cannot take
// its name is reported right after the lines that came before it, as if it
// had been named at once.
#ifndef VULCONV_SYSTEM_CONSOLE_H_
#define VULCONV_SYSTEM_CONSOLE_H_

#include <cstddef>
#include <string_view>

namespace vulconv {

/// Writes text and a line break to standard output, or holds them while
/// files wait for their names.
void PrintLine(std::string_view text);

/// Writes a fixed prefix, a name and a line break, or holds them.
void PrintLine(std::string_view prefix, std::string_view name);

/// Lines printed from now on are held behind files waiting files; 0 prints
/// them at once again.
void HoldLinesBehind(std::size_t files);

/// Prints the held lines that came before waiting file number files (all
/// of them for the count of waiting files), in order.
void PrintHeldLines(std::size_t files);

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_CONSOLE_H_
