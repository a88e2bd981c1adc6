#include "system/files.h"

#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/sendfile.h>
#endif
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

void MakeFolder(const std::string& name) { _mkdir(name.c_str()); }

bool IsFolder(const std::string& name) {
  DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> RegularFilesIn(const std::string& folder,
                                        bool (*wanted)(std::string_view name)) {
  std::vector<std::string> names;
  bool ends = !folder.empty() && (folder.back() == '\\' || folder.back() == ':');
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + (ends ? "*" : "\\*")).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) &&
        wanted(entry.cFileName)) {
      names.emplace_back(entry.cFileName);
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return names;
}

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

#endif

namespace {

std::int64_t ReadThroughChunks(int fd, std::int64_t size, char* chunk, std::size_t chunk_size) {
  std::int64_t done = 0;
  while (done < size) {
    std::size_t want = size - done < static_cast<std::int64_t>(chunk_size)
                           ? static_cast<std::size_t>(size - done) : chunk_size;
    std::size_t got = ReadBytes(fd, chunk, want);
    done += static_cast<std::int64_t>(got);
    if (got < want) break;
  }
  return done;
}

}  // namespace

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
  return ReadThroughChunks(fd, size, chunk, chunk_size);
}

bool FileExists(const std::string& name) {
  int fd = OpenRegularFile(name);
  if (fd < 0) return false;
  CloseFile(fd);
  return true;
}

}  // namespace vulconv
