// The platform's file calls, the one seam between the program and the
// operating system's files: files_posix.cpp and files_win32.cpp each define
// all of it, files.cpp what is the same on both. Nothing above this layer
// needs to know which system it runs on. Every call that writes, renames,
// flushes or removes first asks the planted faults (planted_faults.h),
// through which the tests fail any of them on any platform.
#ifndef VULCONV_SYSTEM_FILES_H_
#define VULCONV_SYSTEM_FILES_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vulconv {

// ---- Reading ----

/// Opens a regular file (a link counts as what it points to) for reading.
/// Returns -1 for anything else, without blocking on a FIFO or device.
int OpenRegularFile(const std::string& name);

/// Size in bytes of an open file, 64-bit.
std::int64_t OpenFileSize(int fd);

/// Reads up to size bytes, retrying short reads; returns the count read
/// (fewer only at the end of the file or on an error).
std::size_t ReadBytes(int fd, void* buffer, std::size_t size);

/// Closes a file that was only read.
void CloseFile(int fd);

/// Reads the next size bytes of an open file and drops them; returns the
/// count read (fewer only at the end of the file or on an error). chunk
/// (chunk_size bytes) is room for them where they must pass through it.
std::int64_t ReadThrough(int fd, std::int64_t size, char* chunk, std::size_t chunk_size);

/// ReadThrough through the chunk alone, as every platform can.
std::int64_t ReadThroughInChunks(int fd, std::int64_t size, char* chunk, std::size_t chunk_size);

/// True when name is a regular file that can be opened for reading.
bool FileExists(const std::string& name);

/// True when name is a folder (a link counts as what it points to).
bool IsFolder(const std::string& name);

/// The names of the regular files directly in folder (a link counts as what
/// it points to) that wanted accepts, in no particular order.
std::vector<std::string> RegularFilesIn(const std::string& folder,
                                        bool (*wanted)(std::string_view name));

/// Makes one folder. Whether it worked is not reported: a missing folder
/// shows when its first file cannot be created.
void MakeFolder(const std::string& name);

// ---- Files the program writes ----

/// Creates a new file that no one else has (never through a link); any
/// other process may remove its name while it is open. -1 on failure.
int CreateNewFile(const std::string& name, bool readable);

/// Writes all size bytes at the file's position; false on any failure.
bool WriteAll(int fd, const char* data, std::size_t size);

/// Writes all size bytes at offset; false on any failure.
bool WriteAt(int fd, std::int64_t offset, const char* data, std::size_t size);

/// Reads up to size bytes at offset: the count, 0 at the end, -1 on failure.
std::int64_t ReadAt(int fd, std::int64_t offset, char* out, std::size_t size);

/// Puts the file's data on the device; false on failure.
bool FlushFile(int fd);

/// Closes a written file; false when the close reports a failure.
bool CloseWrittenFile(int fd);

/// Why a rename failed, as the console reports it.
enum class RenameFailure { None, Create, Write };

/// Renames from over to in one step, replacing what is at to (never
/// writing through a link there). A failure for lack of room or a device
/// error is Write; any other (a folder at to, a name too long) is Create.
RenameFailure RenameReplacing(const std::string& from, const std::string& to);

/// Removes the name of a file; true when it is gone or was never there.
bool RemoveName(const std::string& name);

/// RemoveName for the cleanup on a signal: safe in a signal handler, and
/// on a file that is still open.
void RemoveNameInCleanup(const char* name);

// ---- Folders ----

/// Opens a folder ("" is the working folder) for the flushes; -1 where it
/// cannot be opened or the platform needs no handle.
int OpenFolder(const std::string& folder);

/// True where one flush of a file system puts every file's data on the
/// device and reports write-back errors; elsewhere each file is flushed
/// on its own (FlushFile) before it is closed.
bool FileSystemFlushWorks();

/// Flushes the data of the file system that holds the open folder.
bool FlushFileSystem(int folder_fd);

/// Puts the folder's names on the device.
bool FlushFolder(int folder_fd);

/// Calls visit with each name in folder ("" is the working folder) that is
/// not a folder itself.
void ForEachFileName(const std::string& folder, const std::function<void(const char*)>& visit);

/// True when the file at name was last changed more than seconds ago.
bool OlderThan(const std::string& name, std::int64_t seconds);

// ---- The process ----

/// 64 bits from the operating system's random source (with the process id
/// and the clock mixed in should it fail).
std::uint64_t RandomBits();

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_FILES_H_
