// The process's exit statuses, and the one way a failure ends the run.
#ifndef VULCONV_SYSTEM_EXIT_STATUS_H_
#define VULCONV_SYSTEM_EXIT_STATUS_H_

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vulconv {

inline constexpr int kExitHelp = 0;       // --help, -h, --version
inline constexpr int kExitCompleted = 1;  // a completed run, and the usage text
inline constexpr int kExitFileError = -1; // could not open, create or write a file
inline constexpr int kExitMemoryError = 2;
inline constexpr int kExitReadingError = 3;

/// Ends the process at once with status; console output is flushed.
[[noreturn]] inline void EndRun(int status) {
  std::fflush(stdout);
  std::exit(status);
}

/// Writes message to standard error, with no line break after it, and ends
/// with status.
[[noreturn]] inline void EndRunWithError(const char* message, int status) {
  std::fflush(stdout);  // the console lines before it come first
  std::fputs(message, stderr);
  EndRun(status);
}

/// Prints "<what> <name>\r\n" on standard output and ends with status -1.
[[noreturn]] inline void EndRunOnFile(const char* what, const std::string& name) {
  std::fputs(what, stdout);
  std::fputc(' ', stdout);
  std::fwrite(name.data(), 1, name.size(), stdout);
  std::fputs("\r\n", stdout);
  EndRun(kExitFileError);
}

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_EXIT_STATUS_H_
