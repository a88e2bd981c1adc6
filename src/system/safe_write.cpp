#include "system/safe_write.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <vector>

#include "system/console.h"
#include "system/exit_status.h"
#include "system/platform.h"
#include "system/temporaries.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace vulconv {

namespace {

// A batch ends after this many files or bytes: a killed run leaves no more
// temporaries than that, and the flushes stay few.
constexpr std::size_t kBatchFiles = 512;
constexpr std::int64_t kBatchBytes = std::int64_t{32} << 20;

// The folders files go to, each open for the flushes. The first is the
// output folder.
struct Folder {
  std::string name;  // ends with a separator, or is empty
  int fd = -1;
  bool in_batch = false;
};
std::vector<Folder> folders;

// A file of the batch, written and closed under its temporary. The signal
// handler removes the temporaries of batch[batch_from, batch_to), so an
// entry is changed only outside that range.
struct Waiting {
  std::string temp;
  std::string path;
  std::size_t folder = 0;
};
Waiting batch[kBatchFiles];
volatile std::sig_atomic_t batch_from = 0;
volatile std::sig_atomic_t batch_to = 0;
std::int64_t batch_bytes = 0;

// The temporaries of open stream files, in fixed slots that the signal
// handler reads: a slot's name changes only while it is not live.
constexpr int kStreamSlots = 8;
std::string stream_temp[kStreamSlots];
volatile std::sig_atomic_t stream_live[kStreamSlots] = {};

std::atomic<std::uint64_t> temps_made{0};

// Temporaries made ahead by the formatting thread, in fixed slots the
// signal handler reads. A slot is taken by that thread (its name set, then
// live) and given back by the writing thread once the file is in the batch.
// Whoever ends the run first sets stopping and waits while a temporary is
// being made, so that none is made after the temporaries were removed.
constexpr int kAheadSlots = 64;
std::string ahead_temp[kAheadSlots];
std::atomic<int> ahead_live[kAheadSlots] = {};
std::atomic<int> ahead_making{0};
std::atomic<int> stopping{0};

#ifdef _WIN32

int OpenNew(const std::string& name, bool readable) {
  int access = readable ? _O_RDWR : _O_WRONLY;
  return _open(name.c_str(), access | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

void Unlink(const std::string& name) { _unlink(name.c_str()); }

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
// file's data are flushed as it is closed, before its batch is renamed, and
// each move waits for the disk.
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

bool WriteAt(int fd, std::int64_t offset, const char* p, std::size_t size) {
  return _lseeki64(fd, offset, SEEK_SET) == offset && WriteAll(fd, p, size);
}

std::size_t ReadAt(int fd, std::int64_t offset, char* out, std::size_t size) {
  if (_lseeki64(fd, offset, SEEK_SET) != offset) return 0;
  int got = _read(fd, out, static_cast<unsigned>(size > (1u << 30) ? (1u << 30) : size));
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

int OpenFolder(const std::string&) { return 0; }
bool FlushData(int) { return true; }
bool FlushFolder(int) { return true; }

#else

int OpenNew(const std::string& name, bool readable) {
  int access = readable ? O_RDWR : O_WRONLY;
  return open(name.c_str(), access | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

void Unlink(const std::string& name) { unlink(name.c_str()); }

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
// after the descriptor was opened, so a folder is opened before its first
// file is written: the kernel may refuse data long after write() returned.
int OpenFolder(const std::string& folder) {
  return open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// One barrier for all the batch's data, where fsync of each file would wait
// for the journal once a file.
bool FlushData(int fd) {
#ifdef __linux__
  return fd >= 0 && syncfs(fd) == 0;
#else
  sync();
  return fd >= 0;
#endif
}

bool FlushFolder(int fd) { return fd >= 0 && fsync(fd) == 0; }

#endif

// Async-signal-safe: unlinks of names that do not change meanwhile. Each
// is removed once, however many ways the run ends.
void RemoveTemps() {
  stopping = 1;
  while (ahead_making) {
  }
  for (std::sig_atomic_t i = batch_from; i < batch_to; ++i) Unlink(batch[i].temp);
  batch_from = batch_to;
  for (int i = 0; i < kStreamSlots; ++i) {
    if (stream_live[i]) Unlink(stream_temp[i]);
    stream_live[i] = 0;
  }
  for (int i = 0; i < kAheadSlots; ++i) {
    if (ahead_live[i]) Unlink(ahead_temp[i]);
    ahead_live[i] = 0;
  }
}

void CleanUpAndRaise(int sig) {
  RemoveTemps();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

// Prints the console lines held before waiting file `before` (all of them
// by default), removes every temporary and ends the run with "<what> <name>".
[[noreturn]] void Fail(const char* what, const std::string& name,
                       std::size_t before = std::size_t(-1)) {
  PrintHeldLines(before);  // the lines after it never show
  RemoveTemps();
  EndRunOnFile(what, name);
}

// The folder of path, with its separator.
std::string_view FolderOf(const std::string& path) {
  std::size_t end = path.size();
  while (end > 0 && !IsFolderSeparator(path[end - 1])) --end;
  return std::string_view(path.data(), end);
}

// The index of a folder already open, or -1; reads only what the writing
// thread set before the formatting thread started.
int KnownFolderIndex(std::string_view name) {
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (folders[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

// The index of a folder. When first seen it is opened, and the temporaries
// of killed runs are removed from it (those with this process's id too, so
// that none is in the way).
std::size_t FolderIndex(std::string_view name) {
  if (int known = KnownFolderIndex(name); known >= 0) return static_cast<std::size_t>(known);
  folders.push_back({std::string(name), OpenFolder(std::string(name)), false});
  RemoveDeadRunsTemporaries(folders.back().name);
  return folders.size() - 1;
}

std::size_t FolderIndexOf(const std::string& path) { return FolderIndex(FolderOf(path)); }

std::string NewTempName(std::size_t folder) {
  return TemporaryName(folders[folder].name, temps_made++);
}

// Makes the batch's next entry live: from here on a signal removes it.
Waiting& Enter(const std::string& path, std::size_t folder, std::string temp) {
  Waiting& file = batch[batch_to];
  file.temp = std::move(temp);
  file.path = path;
  file.folder = folder;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  batch_to = batch_to + 1;
  return file;
}

// Counts a closed file into the batch, and ends the batch when it is full.
void Entered(const Waiting& file, std::int64_t size) {
  folders[file.folder].in_batch = true;
  batch_bytes += size;
  HoldLinesBehind(static_cast<std::size_t>(batch_to));
  if (static_cast<std::size_t>(batch_to) == kBatchFiles || batch_bytes >= kBatchBytes)
    CommitWrittenFiles();
}

// Stream files are written in pieces of this size; larger pieces as they
// come.
constexpr std::size_t kStreamChunk = 1 << 14;

StreamFile OpenStream(const std::string& path, bool scratch) {
  StreamFile file;
  file.path = path;
  file.scratch = scratch;
  for (int i = 0; i < kStreamSlots && file.slot < 0; ++i)
    if (!stream_live[i]) file.slot = i;
  if (file.slot < 0) Fail("Could not create", path);
  stream_temp[file.slot] = NewTempName(FolderIndexOf(path));
  std::atomic_signal_fence(std::memory_order_seq_cst);
  stream_live[file.slot] = 1;
  file.fd = OpenNew(stream_temp[file.slot], true);
  if (file.fd < 0) Fail("Could not create", path);
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
  if (file.buffer.size() + text.size() > kStreamChunk) WriteBuffered(file);
  if (text.size() >= kStreamChunk) {
    // Copying a piece this large into the buffer would only cost memory.
    if (!WriteAt(file.fd, file.size, text.data(), text.size())) Fail("Could not write", file.path);
  } else {
    if (file.buffer.capacity() < kStreamChunk) file.buffer.reserve(kStreamChunk);
    file.buffer.append(text);
  }
  file.size += static_cast<std::int64_t>(text.size());
}

void OverwriteStreamFile(StreamFile& file, std::int64_t offset, std::string_view text) {
  WriteBuffered(file);
  if (!WriteAt(file.fd, offset, text.data(), text.size()))
    Fail("Could not write", file.path);
}

std::size_t ReadStreamFile(StreamFile& file, std::int64_t offset, char* out, std::size_t size) {
  WriteBuffered(file);
  return ReadAt(file.fd, offset, out, size);
}

void CloseStreamFile(StreamFile& file) {
  WriteBuffered(file);
  if (!CloseTemp(file.fd)) Fail("Could not write", file.path);
  const Waiting& entry = Enter(file.path, FolderIndexOf(file.path), stream_temp[file.slot]);
  ForgetStream(file);
  Entered(entry, file.size);
}

void DiscardStreamFile(StreamFile& file) {
#ifdef _WIN32
  _close(file.fd);
#else
  close(file.fd);
#endif
  Unlink(stream_temp[file.slot]);
  ForgetStream(file);
}

void InstallSignalCleanup() {
  // Every other way the run ends early (a binary file that cannot be opened
  // or read) goes through exit: the files not yet named go with it.
  std::atexit(RemoveTemps);
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

std::thread StartThreadWithoutSignals(std::function<void()> body) {
#ifdef _WIN32
  return std::thread(std::move(body));  // handlers run on a thread of their own there
#else
  sigset_t signals, before;
  sigemptyset(&signals);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, sig);
  pthread_sigmask(SIG_BLOCK, &signals, &before);  // the new thread inherits the mask
  std::thread thread(std::move(body));
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return thread;
#endif
}

void StartOutputFiles(const std::string& folder) { FolderIndex(folder); }

void WriteFileSafely(const std::string& path, const char* data, std::size_t size) {
  AheadTemp none;
  WriteFileSafely(path, none, data, size);
}

AheadTemp MakeTempAhead(const std::string& path) {
  // Nothing of this module is touched once the run is ending: its objects
  // may be gone while this thread still formats.
  AheadTemp temp;
  ahead_making = 1;
  if (!stopping) {
    int folder = KnownFolderIndex(FolderOf(path));
    int slot = 0;
    while (slot < kAheadSlots && ahead_live[slot]) ++slot;
    if (folder >= 0 && slot < kAheadSlots) {
      ahead_temp[slot] = NewTempName(static_cast<std::size_t>(folder));
      ahead_live[slot] = 1;
      temp.slot = slot;
      temp.fd = OpenNew(ahead_temp[slot], false);
    }
  }
  ahead_making = 0;
  return temp;
}

void WriteFileSafely(const std::string& path, AheadTemp& temp, const char* data,
                     std::size_t size) {
  std::size_t folder = FolderIndexOf(path);
  bool ahead = temp.slot >= 0;
  // Copied, not moved: the signal handler may read the name meanwhile.
  const Waiting& file = Enter(path, folder, ahead ? ahead_temp[temp.slot] : NewTempName(folder));
  if (ahead) ahead_live[temp.slot] = 0;  // the batch holds it now
  int fd = ahead ? temp.fd : OpenNew(file.temp, false);
  temp = AheadTemp{};
  if (fd < 0) Fail("Could not create", path);
  bool written = WriteAll(fd, data, size);
  if (!CloseTemp(fd) || !written) Fail("Could not write", path);
  Entered(file, static_cast<std::int64_t>(size));
}

void FailOnFile(const char* what, const std::string& name) { Fail(what, name); }

void CommitWrittenFiles() {
  const auto count = static_cast<std::size_t>(batch_to);
  if (count == 0) return;
  for (const Folder& folder : folders) {
    if (folder.in_batch && !FlushData(folder.fd)) Fail("Could not write", folder.name);
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (const char* failure = MoveTemp(batch[i].temp, batch[i].path))
      Fail(failure, batch[i].path, i);
    batch_from = static_cast<std::sig_atomic_t>(i + 1);
  }
  batch_to = 0;
  batch_from = 0;
  batch_bytes = 0;
  PrintHeldLines(count);
  HoldLinesBehind(0);
  for (Folder& folder : folders) {
    if (folder.in_batch && !FlushFolder(folder.fd)) Fail("Could not write", folder.name);
    folder.in_batch = false;
  }
}

}  // namespace vulconv
