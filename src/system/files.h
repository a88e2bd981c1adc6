// The file-system calls of reading: Windows and POSIX side by side.
#ifndef VULCONV_SYSTEM_FILES_H_
#define VULCONV_SYSTEM_FILES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vulconv {

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

/// Makes one folder through the file system. Whether it worked is not
/// reported: a missing folder shows when its first file cannot be created.
void MakeFolder(const std::string& name);

/// True when name is a regular file that can be opened for reading.
bool FileExists(const std::string& name);

/// True when name is a folder (a link counts as what it points to).
bool IsFolder(const std::string& name);

/// The names of the regular files directly in folder (a link counts as what
/// it points to) that wanted accepts, in no particular order.
std::vector<std::string> RegularFilesIn(const std::string& folder,
                                        bool (*wanted)(std::string_view name));

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_FILES_H_
