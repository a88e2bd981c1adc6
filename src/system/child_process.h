// Child processes whose console output waits in unnamed temporary files,
// and the signals that ask the process starting them to stop: one POSIX
// and one Windows file behind this header.
#ifndef VULCONV_SYSTEM_CHILD_PROCESS_H_
#define VULCONV_SYSTEM_CHILD_PROCESS_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vulconv {

/// A started child. Its standard input is the null device; its standard
/// output and error go each into a temporary file without a name, which
/// stays readable until ReleaseChild.
struct ChildProcess {
  std::int64_t id = -1;       // the process id
  std::intptr_t process = -1; // Windows: the process handle
  std::intptr_t out = -1;     // the captured standard output (descriptor or handle)
  std::intptr_t err = -1;     // the captured standard error
};

/// How a child ended.
struct ChildEnd {
  bool exited = false;            // false: ended by a signal or an exception
  long long code = 0;             // the exit status, or the signal or exception
  std::int64_t bytes_written = 0; // by the child, console output included
};

enum class Captured { Out, Err };

/// This program's own executable, for starting it again: the running file
/// where the platform names it, else argv0.
std::string OwnExecutable(const char* argv0);

/// The processors this process may run on.
int ProcessorCount();

/// The most children WaitForChild can watch at once.
int MaxChildren();

/// Starts exe with args (args[0] is the child's argv[0]). On failure
/// returns false with the reason in *why; nothing stays open then.
bool StartChild(const std::string& exe, const std::vector<std::string>& args,
                ChildProcess& child, std::string* why);

/// Has the signals that end the program (POSIX: SIGINT, SIGTERM, SIGHUP;
/// Windows: Ctrl-C, Ctrl-Break) only recorded from now on, for
/// WaitForChild to report; children start with them as they were.
void InterceptStopSignals();

/// Undoes InterceptStopSignals; a signal that came meanwhile takes its
/// default effect.
void RestoreStopSignals();

/// A stop signal that came since InterceptStopSignals and was not reported
/// yet, or 0.
int PendingStopSignal();

inline constexpr int kWaitTimedOut = -1;
inline constexpr int kWaitStopSignal = -2;

/// Waits at most timeout_ms (negative: without limit) for one of children
/// to end, and returns its index with *end filled in; the child is gone
/// then, its captured output stays. Returns kWaitTimedOut, or
/// kWaitStopSignal with *signal set when a stop signal came.
int WaitForChild(const std::vector<const ChildProcess*>& children, int timeout_ms,
                 ChildEnd* end, int* signal);

/// Bytes the running child has written so far (0 where unknown).
std::int64_t ChildBytesWritten(const ChildProcess& child);

/// Passes a stop signal on to a running child (Windows: Ctrl-Break to its
/// process group), which then ends as that signal ends it.
void PassStopSignal(const ChildProcess& child, int signal);

/// Reads up to size bytes at offset of a child's captured output; returns
/// the count (0 at its end).
std::size_t ReadCaptured(const ChildProcess& child, Captured which, std::int64_t offset,
                         char* buffer, std::size_t size);

/// Writes bytes to stream unchanged (no line-end translation on Windows).
void WriteRawBytes(std::FILE* stream, const char* data, std::size_t size);

/// Closes the captured output files, which removes them.
void ReleaseChild(ChildProcess& child);

/// "signal N", "exception 0x..." for a child that did not exit.
std::string AbnormalEndText(const ChildEnd& end);

/// True when stream is a terminal.
bool IsTerminal(std::FILE* stream);

/// Ends the process as signal ends it.
[[noreturn]] void EndBySignal(int signal);

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_CHILD_PROCESS_H_
