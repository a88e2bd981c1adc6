#include "driver/platform.h"

#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vulconv {

#ifdef _WIN32

int OpenRegularFile(const std::string& name) {
  struct _stat64 st;
  if (_stat64(name.c_str(), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) return -1;
  int fd = _open(name.c_str(), _O_RDONLY | _O_BINARY);
  if (fd < 0) return -1;
  if (_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
    _close(fd);
    return -1;
  }
  return fd;
}

std::int64_t OpenFileSize(int fd) {
  struct _stat64 st;
  return _fstat64(fd, &st) == 0 ? st.st_size : 0;
}

std::size_t ReadBytes(int fd, void* buffer, std::size_t size) {
  char* p = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    std::size_t want = size - done;
    if (want > (1u << 30)) want = 1u << 30;
    int got = _read(fd, p + done, static_cast<unsigned>(want));
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void CloseFile(int fd) { _close(fd); }

int CreateFileForWriting(const std::string& name) {
  return _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY,
               _S_IREAD | _S_IWRITE);
}

bool WriteBytes(int fd, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    std::size_t want = size > (1u << 30) ? (1u << 30) : size;
    int put = _write(fd, p, static_cast<unsigned>(want));
    if (put <= 0) return false;
    p += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

bool CloseWrittenFile(int fd) { return _close(fd) == 0; }

void RemoveFile(const std::string& name) { _unlink(name.c_str()); }

void MakeFolder(const std::string& name) { _mkdir(name.c_str()); }

#else

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

int CreateFileForWriting(const std::string& name) {
  // A link planted under an STD file's name would have the file written
  // wherever it points, outside the output folder: it is refused instead.
  return open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
}

bool WriteBytes(int fd, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t put = write(fd, p, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

bool CloseWrittenFile(int fd) { return close(fd) == 0; }

void RemoveFile(const std::string& name) { unlink(name.c_str()); }

void MakeFolder(const std::string& name) { mkdir(name.c_str(), 0777); }

#endif

bool FileExists(const std::string& name) {
  int fd = OpenRegularFile(name);
  if (fd < 0) return false;
  CloseFile(fd);
  return true;
}

}  // namespace vulconv
