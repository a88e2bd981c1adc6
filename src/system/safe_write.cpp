#include "system/safe_write.h"

#include <cerrno>
#include <csignal>
#include <string_view>

#include "system/exit_status.h"
#include "system/platform.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vulconv {

namespace {

// The temporary file: one name per folder and process (".vulconv-<pid>.tmp"),
// short whatever the STD name, never taken for an STD file, and not shared
// by two runs writing into one folder. A signal handler reads it, so it is
// changed only while temp_live is 0.
std::string temp_path;
std::string temp_folder;
volatile std::sig_atomic_t temp_live = 0;
bool wrote_any = false;

// The temporaries of stream files, in fixed slots that the signal handler
// reads: a slot's name changes only while it is not live.
constexpr int kStreamSlots = 8;
std::string stream_temp[kStreamSlots];
volatile std::sig_atomic_t stream_live[kStreamSlots] = {};
int folder_fd = -1;  // the first file's folder, open until the flush

void SetTempPath(const std::string& path) {
  std::size_t end = path.size();
  while (end > 0 && !IsFolderSeparator(path[end - 1])) --end;
  std::string_view folder(path.data(), end);
  if (!temp_path.empty() && folder == temp_folder) return;
  temp_folder = folder;
#ifdef _WIN32
  int pid = _getpid();
#else
  long pid = static_cast<long>(getpid());
#endif
  temp_path = temp_folder + ".vulconv-" + std::to_string(pid) + ".tmp";
}

// Async-signal-safe: one unlink of a name that does not change meanwhile.
void RemoveTemp() {
#ifdef _WIN32
  _unlink(temp_path.c_str());
#else
  unlink(temp_path.c_str());
#endif
}

void RemoveStreamTemps() {
  for (int i = 0; i < kStreamSlots; ++i) {
    if (!stream_live[i]) continue;
#ifdef _WIN32
    _unlink(stream_temp[i].c_str());
#else
    unlink(stream_temp[i].c_str());
#endif
  }
}

void CleanUpAndRaise(int sig) {
  if (temp_live) RemoveTemp();
  RemoveStreamTemps();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

[[noreturn]] void Fail(const char* what, const std::string& path) {
  RemoveTemp();
  temp_live = 0;
  RemoveStreamTemps();
  EndRunOnFile(what, path);
}

#ifdef _WIN32

int CreateTemp() {
  int flags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
  int fd = _open(temp_path.c_str(), flags, _S_IREAD | _S_IWRITE);
  if (fd < 0 && errno == EEXIST) {  // left by a killed run that had our id
    RemoveTemp();
    fd = _open(temp_path.c_str(), flags, _S_IREAD | _S_IWRITE);
  }
  return fd;
}

bool WriteAll(int fd, const char* p, std::size_t size) {
  while (size > 0) {
    std::size_t want = size > (1u << 30) ? (1u << 30) : size;
    int put = _write(fd, p, static_cast<unsigned>(want));
    if (put <= 0) return false;
    p += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

// Windows has no barrier for a whole volume that a user may call, so each
// file is flushed before it is moved, and the move waits for the disk.
bool CloseTemp(int fd) {
  bool flushed = _commit(fd) == 0;
  return _close(fd) == 0 && flushed;
}

const char* MoveTemp(const std::string& temp, const std::string& path) {
  DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (MoveFileExA(temp.c_str(), path.c_str(), flags)) return nullptr;
  DWORD error = GetLastError();
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? "Could not write"
                                                                      : "Could not create";
}

int CreateNew(const std::string& name) {
  return _open(name.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

bool WriteAt(int fd, std::int64_t offset, const char* p, std::size_t size) {
  return _lseeki64(fd, offset, SEEK_SET) == offset && WriteAll(fd, p, size);
}

std::size_t ReadAt(int fd, std::int64_t offset, char* out, std::size_t size) {
  if (_lseeki64(fd, offset, SEEK_SET) != offset) return 0;
  int got = _read(fd, out, static_cast<unsigned>(size > (1u << 30) ? (1u << 30) : size));
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

int OpenFolder(const std::string&) { return 0; }
bool FlushFolder(int) { return true; }

#else

int CreateTemp() {
  int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int fd = open(temp_path.c_str(), flags, 0666);
  if (fd < 0 && errno == EEXIST) {  // left by a killed run that had our id
    RemoveTemp();
    fd = open(temp_path.c_str(), flags, 0666);
  }
  return fd;
}

bool WriteAll(int fd, const char* p, std::size_t size) {
  while (size > 0) {
    ssize_t put = write(fd, p, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

bool CloseTemp(int fd) { return close(fd) == 0; }

// A rename that fails for lack of room or a device error is a failed write;
// any other failure (a folder at the name, a name too long) means the file
// cannot be created under that name.
const char* MoveTemp(const std::string& temp, const std::string& path) {
  if (rename(temp.c_str(), path.c_str()) == 0) return nullptr;
  return errno == EIO || errno == ENOSPC || errno == EDQUOT ? "Could not write"
                                                            : "Could not create";
}

int CreateNew(const std::string& name) {
  return open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool WriteAt(int fd, std::int64_t offset, const char* p, std::size_t size) {
  while (size > 0) {
    ssize_t put = pwrite(fd, p, size, offset);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    offset += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

std::size_t ReadAt(int fd, std::int64_t offset, char* out, std::size_t size) {
  ssize_t got = pread(fd, out, size, offset);
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

// syncfs reports the write-back errors of the whole file system that came
// after the descriptor was opened, so the folder is opened before the first
// file is written: the kernel may refuse data long after write() returned.
int OpenFolder(const std::string& folder) {
  return open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

bool FlushFolder(int fd) {
  if (fd < 0) return false;
#ifdef __linux__
  bool synced = syncfs(fd) == 0;
#else
  sync();
  bool synced = true;
#endif
  return close(fd) == 0 && synced;
}

#endif

// Stream files are written in pieces of this size.
constexpr std::size_t kStreamChunk = 1 << 16;

std::string FolderOf(const std::string& path) {
  std::size_t end = path.size();
  while (end > 0 && !IsFolderSeparator(path[end - 1])) --end;
  return path.substr(0, end);
}

StreamFile OpenStream(const std::string& path, bool scratch) {
  StreamFile file;
  file.path = path;
  file.scratch = scratch;
  for (int i = 0; i < kStreamSlots && file.slot < 0; ++i)
    if (!stream_live[i]) file.slot = i;
  if (file.slot < 0) EndRunOnFile("Could not create", path);
#ifdef _WIN32
  int pid = _getpid();
#else
  long pid = static_cast<long>(getpid());
#endif
  std::string& temp = stream_temp[file.slot];
  temp = FolderOf(path) + ".vulconv-" + std::to_string(pid) + "-" + std::to_string(file.slot) +
         ".tmp";
  if (!wrote_any && folder_fd < 0) folder_fd = OpenFolder(FolderOf(path));
  stream_live[file.slot] = 1;
  file.fd = CreateNew(temp);
  if (file.fd < 0 && errno == EEXIST) {  // left by a killed run that had our id
#ifdef _WIN32
    _unlink(temp.c_str());
#else
    unlink(temp.c_str());
#endif
    file.fd = CreateNew(temp);
  }
  if (file.fd < 0) {
    stream_live[file.slot] = 0;
    EndRunOnFile("Could not create", path);
  }
  return file;
}

void WriteBuffered(StreamFile& file) {
  std::int64_t at = file.size - static_cast<std::int64_t>(file.buffer.size());
  if (!WriteAt(file.fd, at, file.buffer.data(), file.buffer.size()))
    Fail("Could not write", file.path);
  file.buffer.clear();
}

void ForgetStream(StreamFile& file) {
  stream_live[file.slot] = 0;
  file.slot = -1;
  file.fd = -1;
}

}  // namespace

StreamFile OpenStreamFile(const std::string& path) { return OpenStream(path, false); }

StreamFile OpenScratchFile(const std::string& path) { return OpenStream(path, true); }

void AppendStreamFile(StreamFile& file, std::string_view text) {
  file.buffer.append(text);
  file.size += static_cast<std::int64_t>(text.size());
  if (file.buffer.size() >= kStreamChunk) WriteBuffered(file);
}

void OverwriteStreamFile(StreamFile& file, std::int64_t offset, std::string_view text) {
  WriteBuffered(file);
  if (!WriteAt(file.fd, offset, text.data(), text.size())) Fail("Could not write", file.path);
}

std::size_t ReadStreamFile(StreamFile& file, std::int64_t offset, char* out, std::size_t size) {
  WriteBuffered(file);
  return ReadAt(file.fd, offset, out, size);
}

void CloseStreamFile(StreamFile& file) {
  WriteBuffered(file);
  if (!CloseTemp(file.fd)) Fail("Could not write", file.path);
  if (const char* failure = MoveTemp(stream_temp[file.slot], file.path)) Fail(failure, file.path);
  ForgetStream(file);
  wrote_any = true;
}

void DiscardStreamFile(StreamFile& file) {
#ifdef _WIN32
  _close(file.fd);
  _unlink(stream_temp[file.slot].c_str());
#else
  close(file.fd);
  unlink(stream_temp[file.slot].c_str());
#endif
  ForgetStream(file);
}

void InstallSignalCleanup() {
#ifdef _WIN32
  std::signal(SIGINT, CleanUpAndRaise);
  std::signal(SIGTERM, CleanUpAndRaise);
  std::signal(SIGBREAK, CleanUpAndRaise);
#else
  std::signal(SIGXFSZ, SIG_IGN);
  struct sigaction action = {};
  action.sa_handler = CleanUpAndRaise;
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
#endif
}

void WriteFileSafely(const std::string& path, const char* data, std::size_t size) {
  SetTempPath(path);
  if (!wrote_any && folder_fd < 0) folder_fd = OpenFolder(temp_folder);
  temp_live = 1;
  int fd = CreateTemp();
  if (fd < 0) {
    temp_live = 0;
    EndRunOnFile("Could not create", path);
  }
  bool written = WriteAll(fd, data, size);
  if (!CloseTemp(fd) || !written) Fail("Could not write", path);
  if (const char* failure = MoveTemp(temp_path, path)) Fail(failure, path);
  temp_live = 0;
  wrote_any = true;
}

void CommitWrittenFiles() {}

void FlushWrittenFiles(const std::string& folder) {
  if (wrote_any && !FlushFolder(folder_fd)) EndRunOnFile("Could not write", folder);
}

}  // namespace vulconv
