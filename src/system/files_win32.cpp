// The file calls on Windows. Files are opened through Win32 where the C
// runtime cannot ask for what is needed (delete sharing, no sharing at all)
// and handed to the C runtime as descriptors.
#define _CRT_RAND_S  // rand_s: the system's random source, in msvcrt
#include "system/files.h"

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <stdlib.h>
#include <sys/stat.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "system/planted_faults.h"

namespace vulconv {

namespace {

constexpr unsigned kLargestPiece = 1u << 30;

unsigned Piece(std::size_t size) {
  return static_cast<unsigned>(size > kLargestPiece ? kLargestPiece : size);
}

bool WriteLoop(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    int put = _write(fd, data, Piece(size));
    if (put <= 0) return false;
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

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
    int got = _read(fd, p + done, Piece(size - done));
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

std::int64_t ReadThrough(int fd, std::int64_t size, char* chunk, std::size_t chunk_size) {
  return ReadThroughInChunks(fd, size, chunk, chunk_size);
}

// Delete sharing lets a failing run or its Ctrl-C handler remove the name
// while the file is still open: it goes when the process ends.
int CreateNewFile(const std::string& name, bool readable) {
  if (PlantedFault(FileCall::Create) != PlantedError::None) return -1;
  DWORD access = GENERIC_WRITE | (readable ? GENERIC_READ : 0);
  HANDLE file = CreateFileA(name.c_str(), access,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY);
  if (fd < 0) CloseHandle(file);
  return fd;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  return PlantedFault(FileCall::Write) == PlantedError::None && WriteLoop(fd, data, size);
}

bool WriteAt(int fd, std::int64_t offset, const char* data, std::size_t size) {
  return PlantedFault(FileCall::Write) == PlantedError::None &&
         _lseeki64(fd, offset, SEEK_SET) == offset && WriteLoop(fd, data, size);
}

std::int64_t ReadAt(int fd, std::int64_t offset, char* out, std::size_t size) {
  if (PlantedFault(FileCall::Read) != PlantedError::None) return -1;
  if (_lseeki64(fd, offset, SEEK_SET) != offset) return -1;
  return _read(fd, out, Piece(size));
}

bool FlushFile(int fd) {
  return PlantedFault(FileCall::FlushFile) == PlantedError::None && _commit(fd) == 0;
}

bool CloseWrittenFile(int fd) {
  bool planted = PlantedFault(FileCall::Close) != PlantedError::None;
  return _close(fd) == 0 && !planted;
}

RenameFailure RenameReplacing(const std::string& from, const std::string& to) {
  PlantedError planted = PlantedFault(FileCall::Rename);
  if (planted != PlantedError::None)
    return planted == PlantedError::Other ? RenameFailure::Create : RenameFailure::Write;
  DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (MoveFileExA(from.c_str(), to.c_str(), flags)) return RenameFailure::None;
  DWORD error = GetLastError();
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? RenameFailure::Write
                                                                     : RenameFailure::Create;
}

bool RemoveName(const std::string& name) {
  if (PlantedFault(FileCall::Remove) != PlantedError::None) return false;
  if (DeleteFileA(name.c_str())) return true;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

void RemoveNameInCleanup(const char* name) { DeleteFileA(name); }

// Windows has no flush of a whole volume that a user may call: each file
// is flushed before it is closed, and each move waits for the disk.
int OpenFolder(const std::string&) { return -1; }
bool FileSystemFlushWorks() { return false; }
bool FlushFileSystem(int) { return false; }
bool FlushFolder(int) { return PlantedFault(FileCall::FlushFile) == PlantedError::None; }

void ForEachFileName(const std::string& folder, const std::function<void(const char*)>& visit) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) visit(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

bool OlderThan(const std::string& name, std::int64_t seconds) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  auto ticks = [](const FILETIME& t) {  // 100 ns since 1601
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                     t.dwLowDateTime);
  };
  return ticks(data.ftLastWriteTime) < ticks(now) - seconds * 10000000;
}

std::uint64_t RandomBits() {
  unsigned int high = 0, low = 0;
  if (rand_s(&high) == 0 && rand_s(&low) == 0) return (std::uint64_t{high} << 32) | low;
  return (static_cast<std::uint64_t>(GetTickCount64()) * 0x9e3779b97f4a7c15ull) ^
         (static_cast<std::uint64_t>(_getpid()) << 32);
}

}  // namespace vulconv
