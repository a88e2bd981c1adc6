// The file calls on POSIX systems: Linux, and the others where Linux's
// extras (sendfile, syncfs, unnamed files) are missing.
#include "system/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#ifdef __linux__
#include <sys/random.h>
#include <sys/sendfile.h>
#include <sys/utsname.h>
#endif

#include "system/planted_faults.h"

namespace vulconv {

namespace {

// A planted fault sets the errno its kind of failure would.
bool Planted(FileCall call) {
  PlantedError error = PlantedFault(call);
  if (error == PlantedError::None) return false;
  errno = error == PlantedError::NoRoom ? ENOSPC : error == PlantedError::Device ? EIO : EACCES;
  return true;
}

const char* FolderOrDot(const std::string& folder) {
  return folder.empty() ? "." : folder.c_str();
}

}  // namespace

int OpenRegularFile(const std::string& name) {
  // O_NONBLOCK keeps a FIFO from blocking the open; it does nothing to a
  // regular file, and anything else is refused right after.
  int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

std::int64_t OpenFileSize(int fd) {
  struct stat st;
  return fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

std::size_t ReadBytes(int fd, void* buffer, std::size_t size) {
  char* p = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    ssize_t got = read(fd, p + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void CloseFile(int fd) { close(fd); }

void MakeFolder(const std::string& name) { mkdir(name.c_str(), 0777); }

bool IsFolder(const std::string& name) {
  struct stat st;
  return stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> RegularFilesIn(const std::string& folder,
                                        bool (*wanted)(std::string_view name)) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  std::string prefix = folder.ends_with('/') ? folder : folder + "/";
  while (const dirent* entry = readdir(dir)) {
    struct stat st;
    if (wanted(entry->d_name) && stat((prefix + entry->d_name).c_str(), &st) == 0 &&
        S_ISREG(st.st_mode)) {
      names.emplace_back(entry->d_name);
    }
  }
  closedir(dir);
  return names;
}

std::int64_t ReadThrough(int fd, std::int64_t size, char* chunk, std::size_t chunk_size) {
#ifdef __linux__
  // The kernel reads the file through to /dev/null, so the bytes are read
  // from storage as with read() but never copied into the process: that
  // copy was most of what the check cost. Where the kernel cannot do that
  // for this file, the chunk takes the bytes.
  int null_fd = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null_fd >= 0) {
    std::int64_t done = 0;
    while (done < size) {
      std::int64_t want = size - done < (1 << 30) ? size - done : (1 << 30);
      ssize_t got = sendfile(null_fd, fd, nullptr, static_cast<std::size_t>(want));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0 && done == 0 && (errno == EINVAL || errno == ENOSYS)) break;
      if (got <= 0) {
        close(null_fd);
        return done;
      }
      done += got;
    }
    close(null_fd);
    if (done > 0 || size == 0) return done;
  }
#endif
  return ReadThroughInChunks(fd, size, chunk, chunk_size);
}

int CreateNewFile(const std::string& name, bool readable) {
  if (Planted(FileCall::Create)) return -1;
  int access = readable ? O_RDWR : O_WRONLY;
  return open(name.c_str(), access | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  if (Planted(FileCall::Write)) return false;
  while (size > 0) {
    ssize_t put = write(fd, data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

bool WriteAt(int fd, std::int64_t offset, const char* data, std::size_t size) {
  if (Planted(FileCall::Write)) return false;
  while (size > 0) {
    ssize_t put = pwrite(fd, data, size, offset);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    offset += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

std::int64_t ReadAt(int fd, std::int64_t offset, char* out, std::size_t size) {
  if (Planted(FileCall::Read)) return -1;
  for (;;) {
    ssize_t got = pread(fd, out, size, offset);
    if (got < 0 && errno == EINTR) continue;
    return got;
  }
}

bool FlushFile(int fd) { return !Planted(FileCall::FlushFile) && fsync(fd) == 0; }

bool CloseWrittenFile(int fd) {
  if (Planted(FileCall::Close)) {
    close(fd);
    return false;
  }
  return close(fd) == 0;
}

RenameFailure RenameReplacing(const std::string& from, const std::string& to) {
  if (!Planted(FileCall::Rename) && rename(from.c_str(), to.c_str()) == 0)
    return RenameFailure::None;
  return errno == EIO || errno == ENOSPC || errno == EDQUOT ? RenameFailure::Write
                                                            : RenameFailure::Create;
}

bool RemoveName(const std::string& name) {
  if (Planted(FileCall::Remove)) return false;
  return unlink(name.c_str()) == 0 || errno == ENOENT;
}

void RemoveNameInCleanup(const char* name) { unlink(name); }

// syncfs reports the write-back errors of the whole file system that came
// after the descriptor was opened, so a folder is opened before its first
// file is written: the kernel may refuse data long after write() returned.
int OpenFolder(const std::string& folder) {
  return open(FolderOrDot(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

bool FileSystemFlushWorks() {
#ifdef __linux__
  // syncfs reports write-back errors from Linux 5.8 on; before, it
  // returned 0 whatever became of the data.
  struct utsname name;
  int major = 0, minor = 0;
  return uname(&name) == 0 && std::sscanf(name.release, "%d.%d", &major, &minor) == 2 &&
         (major > 5 || (major == 5 && minor >= 8));
#else
  return false;  // sync() reports nothing
#endif
}

bool FlushFileSystem(int folder_fd) {
  if (Planted(FileCall::FlushFileSystem)) return false;
#ifdef __linux__
  return folder_fd >= 0 && syncfs(folder_fd) == 0;
#else
  (void)folder_fd;
  return false;
#endif
}

bool FlushFolder(int folder_fd) {
  return !Planted(FileCall::FlushFile) && folder_fd >= 0 && fsync(folder_fd) == 0;
}

void ForEachFileName(const std::string& folder, const std::function<void(const char*)>& visit) {
  DIR* dir = opendir(FolderOrDot(folder));
  if (!dir) return;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_type != DT_DIR) visit(entry->d_name);
  }
  closedir(dir);
}

bool OlderThan(const std::string& name, std::int64_t seconds) {
  struct stat st;
  return lstat(name.c_str(), &st) == 0 && st.st_mtime < std::time(nullptr) - seconds;
}

std::uint64_t RandomBits() {
  std::uint64_t bits = 0;
#ifdef __linux__
  if (getrandom(&bits, sizeof bits, 0) == static_cast<ssize_t>(sizeof bits)) return bits;
#endif
  int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  bool read_all = fd >= 0 && ReadBytes(fd, &bits, sizeof bits) == sizeof bits;
  if (fd >= 0) close(fd);
  if (read_all) return bits;
  auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  return static_cast<std::uint64_t>(now) * 0x9e3779b97f4a7c15ull ^
         static_cast<std::uint64_t>(getpid()) << 32;
}

}  // namespace vulconv
