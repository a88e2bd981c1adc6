// Everything that differs between Windows and POSIX: which characters
// separate folders, and the few file-system calls the program makes.
//
// Standard output is left as the C runtime opens it. On Windows that is
// text mode, so every line break reaches a console or a redirected file as
// CR LF, and the "\r\n" that ends the "Could not open" lines as CR CR LF:
// what Windows users and their scripts have always been given.
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

/// True for a character that must not stand in a folder name read from a
/// file, as it could lead out of the folder the name is put in: a slash or
/// backslash (the Windows file system takes both), a NUL (which would end
/// the name early), and on Windows the colon, as "D:name" names a folder in
/// drive D's own working folder.
constexpr bool LeadsOutOfFolder(char c) {
  return c == '\\' || c == '/' || c == '\0' || (kWindowsNames && c == ':');
}

/// Opens a regular file (a link counts as what it points to) for reading.
/// Returns -1 for anything else, without blocking on a FIFO or device.
int OpenRegularFile(const std::string& name);

/// Size in bytes of an open file, 64-bit.
std::int64_t OpenFileSize(int fd);

/// Reads up to size bytes, retrying short reads; returns the count read
/// (fewer only at the end of the file or on an error).
std::size_t ReadBytes(int fd, void* buffer, std::size_t size);

void CloseFile(int fd);

/// Reads the next size bytes of an open file and drops them; returns the
/// count read (fewer only at the end of the file or on an error). chunk
/// (chunk_size bytes) is room for them where they must pass through it.
std::int64_t ReadThrough(int fd, std::int64_t size, char* chunk, std::size_t chunk_size);

/// A file open for writing. One that was there already is written over
/// in place and cut to the written length when it is closed.
struct OutputFile {
  int fd = -1;
  bool cut_at_close = false;
};

/// Creates a file for writing in binary mode, or opens the one there to be
/// written over; fd is -1 on failure, also when name is a link (POSIX).
OutputFile CreateFileForWriting(const std::string& name);

/// Writes all bytes; false when any write fails.
bool WriteBytes(int fd, const void* data, std::size_t size);

/// Closes a file into which size bytes were written; false when cutting it
/// to that length or the close reports an error.
bool CloseWrittenFile(const OutputFile& file, std::int64_t size);

void RemoveFile(const std::string& name);

/// Makes one folder through the file system. Whether it worked is not
/// reported: a missing folder shows when its first file cannot be created.
void MakeFolder(const std::string& name);

/// True when name is a regular file that can be opened for reading.
bool FileExists(const std::string& name);

}  // namespace vulconv

#endif  // VULCONV_DRIVER_PLATFORM_H_
