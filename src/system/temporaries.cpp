#include "system/temporaries.h"

#include <cerrno>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dirent.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace vulconv {

namespace {

constexpr std::string_view kStart = ".vulconv-";
constexpr std::string_view kEnd = ".tmp";

std::int64_t OwnId() {
#ifdef _WIN32
  return _getpid();
#else
  return getpid();
#endif
}

// Reads the digits at the front of text; false without any.
bool TakeNumber(std::string_view& text, std::uint64_t& value) {
  std::size_t i = 0;
  value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value < (std::uint64_t{1} << 40)) value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  text.remove_prefix(i);
  return i > 0;
}

#ifdef _WIN32

bool IsRunning(std::int64_t pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}

template <typename Visit>
void ForEachName(const std::string& folder, Visit visit) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + ".vulconv-*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) visit(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

void Remove(const std::string& path) { _unlink(path.c_str()); }

#else

// A process that exists but belongs to someone else refuses the signal.
bool IsRunning(std::int64_t pid) {
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

template <typename Visit>
void ForEachName(const std::string& folder, Visit visit) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  while (const dirent* entry = readdir(dir)) visit(entry->d_name);
  closedir(dir);
}

void Remove(const std::string& path) { unlink(path.c_str()); }

#endif

}  // namespace

std::string TemporaryName(std::string_view folder, std::uint64_t n) {
  static const std::string own = std::to_string(OwnId()) + "-";  // not asked once a file
  std::string name(folder);
  name.append(kStart).append(own).append(std::to_string(n));
  return name.append(kEnd);
}

std::int64_t TemporaryOwner(std::string_view name) {
  if (name.substr(0, kStart.size()) != kStart) return -1;
  name.remove_prefix(kStart.size());
  std::uint64_t pid, n;
  if (!TakeNumber(name, pid)) return -1;
  if (name.substr(0, 1) == "-") {
    name.remove_prefix(1);
    if (!TakeNumber(name, n)) return -1;
  }
  if (name != kEnd || pid == 0 || pid > 0x7fffffff) return -1;
  return static_cast<std::int64_t>(pid);
}

void RemoveDeadRunsTemporaries(const std::string& folder) {
  const std::int64_t own = OwnId();
  ForEachName(folder, [&](const char* name) {
    std::int64_t pid = TemporaryOwner(name);
    if (pid > 0 && (pid == own || !IsRunning(pid))) Remove(folder + name);
  });
}

}  // namespace vulconv
