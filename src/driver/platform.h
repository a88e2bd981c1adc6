// Everything that differs between Windows and POSIX: which characters
// separate folders, and the few file-system calls the program makes.
#ifndef VULCONV_DRIVER_PLATFORM_H_
#define VULCONV_DRIVER_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace vulconv {

#ifdef _WIN32
inline constexpr bool kWindowsNames = true;
#else
inline constexpr bool kWindowsNames = false;
#endif

/// True for a character that separates folders in a file name: the
/// backslash on Windows; the backslash and the slash elsewhere.
constexpr bool IsFolderSeparator(char c) {
  return c == '\\' || (!kWindowsNames && c == '/');
}

/// The separator put between the output folder and every STD file name.
inline constexpr char kFolderSeparator = kWindowsNames ? '\\' : '/';

/// Opens a regular file (a link counts as what it points to) for reading.
/// Returns -1 for anything else, without blocking on a FIFO or device.
int OpenRegularFile(const std::string& name);

/// Size in bytes of an open file, 64-bit.
std::int64_t OpenFileSize(int fd);

/// Reads up to size bytes, retrying short reads; returns the count read
/// (fewer only at the end of the file or on an error).
std::size_t ReadBytes(int fd, void* buffer, std::size_t size);

void CloseFile(int fd);

/// Creates or truncates a file for writing in binary mode; -1 on failure,
/// also when name is a link (POSIX).
int CreateFileForWriting(const std::string& name);

/// Writes all bytes; false when any write fails.
bool WriteBytes(int fd, const void* data, std::size_t size);

/// Closes a file that was written; false when the close reports an error.
bool CloseWrittenFile(int fd);

void RemoveFile(const std::string& name);

/// Makes one folder through the file system. Whether it worked is not
/// reported: a missing folder shows when its first file cannot be created.
void MakeFolder(const std::string& name);

/// True when name is a regular file that can be opened for reading.
bool FileExists(const std::string& name);

}  // namespace vulconv

#endif  // VULCONV_DRIVER_PLATFORM_H_
