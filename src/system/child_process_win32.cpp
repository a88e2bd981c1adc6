#include "system/child_process.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <csignal>

namespace vulconv {

namespace {

HANDLE stop_event = nullptr;  // set by the console handler, waited on with the children
volatile LONG stop_signal = 0;

BOOL WINAPI OnConsoleEvent(DWORD type) {
  int sig = type == CTRL_C_EVENT ? SIGINT : type == CTRL_BREAK_EVENT ? SIGBREAK : 0;
  if (sig == 0) return FALSE;
  InterlockedExchange(&stop_signal, sig);
  SetEvent(stop_event);
  return TRUE;
}

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

std::string ErrorText(const std::string& what) {
  return what + ": error " + std::to_string(GetLastError());
}

// A file that goes when its last handle closes, for a child's output.
HANDLE MakeCaptureFile(std::string* why) {
  char folder[MAX_PATH + 1], name[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > MAX_PATH || !GetTempFileNameA(folder, "vcb", 0, name)) {
    *why = ErrorText("temporary folder");
    return INVALID_HANDLE_VALUE;
  }
  HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *why = ErrorText(name);
    DeleteFileA(name);
  }
  return file;
}

// The C runtime's rules for splitting a command line: backslashes are
// plain unless a quote follows them, so only those runs are doubled.
std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(2 * backslashes, '\\');
  quoted.push_back('"');
  return quoted;
}

void SetInherited(HANDLE handle, bool inherited) {
  SetHandleInformation(handle, HANDLE_FLAG_INHERIT, inherited ? HANDLE_FLAG_INHERIT : 0);
}

}  // namespace

std::string OwnExecutable(const char* argv0) {
  std::string name(MAX_PATH, '\0');
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return argv0;
    if (length < name.size()) return name.substr(0, length);
    name.resize(2 * name.size());
  }
}

int ProcessorCount() {
  DWORD_PTR process = 0, system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0) {
    return __builtin_popcountll(process);
  }
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}

// One of the handles a wait can take is the stop event.
int MaxChildren() { return MAXIMUM_WAIT_OBJECTS - 1; }

bool StartChild(const std::string& exe, const std::vector<std::string>& args,
                ChildProcess& child, std::string* why) {
  HANDLE out = MakeCaptureFile(why);
  HANDLE err = out == INVALID_HANDLE_VALUE ? out : MakeCaptureFile(why);
  if (err == INVALID_HANDLE_VALUE) {
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    return false;
  }
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE none = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                            OPEN_EXISTING, 0, nullptr);
  // argv[0] is taken up to the next quote, without escapes.
  std::string line = "\"";
  line.append(args[0]).push_back('"');
  for (std::size_t i = 1; i < args.size(); ++i) line.append(" ").append(QuoteArgument(args[i]));
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = none;
  start.hStdOutput = out;
  start.hStdError = err;
  PROCESS_INFORMATION info = {};
  // Inheritable only while this child is made: no other child's files reach
  // it. A process group of its own takes Ctrl-Break passed on by the batch.
  SetInherited(out, true);
  SetInherited(err, true);
  BOOL made = CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE,
                             CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &start, &info);
  if (!made) *why = ErrorText(exe);
  SetInherited(out, false);
  SetInherited(err, false);
  if (none != INVALID_HANDLE_VALUE) CloseHandle(none);
  if (!made) {
    CloseHandle(out);
    CloseHandle(err);
    return false;
  }
  CloseHandle(info.hThread);
  child.id = info.dwProcessId;
  child.process = reinterpret_cast<std::intptr_t>(info.hProcess);
  child.out = reinterpret_cast<std::intptr_t>(out);
  child.err = reinterpret_cast<std::intptr_t>(err);
  return true;
}

void InterceptStopSignals() {
  stop_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  // A crashing child ends with its exception code, without a dialog.
  SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
}

void RestoreStopSignals() {
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  if (stop_signal != 0) EndBySignal(stop_signal);
}

int PendingStopSignal() { return stop_signal; }

int WaitForChild(const std::vector<const ChildProcess*>& children, int timeout_ms,
                 ChildEnd* end, int* signal) {
  std::vector<HANDLE> handles;
  for (const ChildProcess* child : children) handles.push_back(AsHandle(child->process));
  handles.push_back(stop_event);
  DWORD woken = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                       timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms));
  std::size_t index = woken - WAIT_OBJECT_0;
  if (woken == WAIT_TIMEOUT || woken == WAIT_FAILED || index > children.size()) {
    return kWaitTimedOut;
  }
  if (index == children.size()) {
    *signal = stop_signal;
    return kWaitStopSignal;
  }
  HANDLE process = handles[index];
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  IO_COUNTERS io = {};
  end->bytes_written = GetProcessIoCounters(process, &io) ? io.WriteTransferCount : 0;
  CloseHandle(process);
  // Exceptions end a process with an error or warning status code; exit(-1)
  // gives 0xFFFFFFFF, which is neither.
  DWORD severity = code & 0xF0000000u;
  end->exited = severity != 0xC0000000u && severity != 0x80000000u;
  end->code = end->exited ? static_cast<long long>(static_cast<int>(code)) : code;
  return static_cast<int>(index);
}

std::int64_t ChildBytesWritten(const ChildProcess& child) {
  IO_COUNTERS io = {};
  return GetProcessIoCounters(AsHandle(child.process), &io) ? io.WriteTransferCount : 0;
}

void PassStopSignal(const ChildProcess& child, int) {
  if (!GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(child.id))) {
    TerminateProcess(AsHandle(child.process), 3);
  }
}

std::size_t ReadCaptured(const ChildProcess& child, Captured which, std::int64_t offset,
                         char* buffer, std::size_t size) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  HANDLE file = AsHandle(which == Captured::Out ? child.out : child.err);
  DWORD want = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
  return ReadFile(file, buffer, want, &got, &at) ? got : 0;
}

void WriteRawBytes(std::FILE* stream, const char* data, std::size_t size) {
  std::fflush(stream);
  int mode = _setmode(_fileno(stream), _O_BINARY);
  std::fwrite(data, 1, size, stream);
  std::fflush(stream);
  _setmode(_fileno(stream), mode);
}

void ReleaseChild(ChildProcess& child) {
  if (child.out != -1) CloseHandle(AsHandle(child.out));
  if (child.err != -1) CloseHandle(AsHandle(child.err));
  child.out = child.err = -1;
}

std::string AbnormalEndText(const ChildEnd& end) {
  if (end.exited) return {};
  char text[32];
  std::snprintf(text, sizeof text, "exception 0x%08llX", static_cast<unsigned long long>(end.code));
  return text;
}

bool IsTerminal(std::FILE* stream) {
  DWORD mode;
  return GetConsoleMode(AsHandle(_get_osfhandle(_fileno(stream))), &mode) != 0;
}

void EndBySignal(int signal) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  ExitProcess(3);
}

}  // namespace vulconv
