// Output files that appear whole or not at all, and a run that reports
// success only once its files have reached the device.
//
// Each file is written under a temporary name in its own folder and then
// renamed over its name in one step, so a reader, a killed run or a failing
// device never leaves a half-written file under that name, and a file of an
// earlier run stays whole until the new one takes its place. A name that is
// a hard link or a symbolic link gets a new file; what it linked to keeps
// its bytes.
#ifndef VULCONV_SYSTEM_SAFE_WRITE_H_
#define VULCONV_SYSTEM_SAFE_WRITE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vulconv {

/// Ignores SIGXFSZ, so that a file-size limit fails a write instead of
/// killing the process, and has SIGINT, SIGTERM and SIGHUP remove the
/// temporary file before they end the process as they would have.
void InstallSignalCleanup();

/// Puts the size bytes at data under path, replacing what is there. Ends
/// the run with -1 after "Could not create <path>\r\n" or "Could not write
/// <path>\r\n"; path is then as it was and no temporary file is left.
void WriteFileSafely(const std::string& path, const char* data, std::size_t size);

/// A file written piece by piece under a temporary name, which takes its
/// name whole when closed, as WriteFileSafely's files do. Appended bytes
/// are buffered; offsets count every byte appended so far.
struct StreamFile {
  std::string path;       // the name it takes, or the file a scratch file serves
  bool scratch = false;   // read back and discarded, never named
  int slot = -1;          // among the run's live temporaries
  int fd = -1;
  std::int64_t size = 0;  // bytes appended, written or buffered
  std::string buffer;     // appended bytes not written yet
};

/// Creates the temporary of a file that takes path when closed. Ends the
/// run with -1 after "Could not create <path>\r\n" when it cannot be made.
StreamFile OpenStreamFile(const std::string& path);

/// A temporary beside path for the bytes that file needs at its end; its
/// failures name path.
StreamFile OpenScratchFile(const std::string& path);

/// Appends text. A failed write ends the run with -1 after "Could not write
/// <path>\r\n", removing the run's temporaries.
void AppendStreamFile(StreamFile& file, std::string_view text);

/// Writes text over bytes appended before, at offset.
void OverwriteStreamFile(StreamFile& file, std::int64_t offset, std::string_view text);

/// Reads up to size bytes at offset of what was appended; returns the count.
std::size_t ReadStreamFile(StreamFile& file, std::int64_t offset, char* out, std::size_t size);

/// Writes what is buffered, closes the file and puts it under its name.
void CloseStreamFile(StreamFile& file);

/// Closes and removes a scratch file.
void DiscardStreamFile(StreamFile& file);

/// Ends the current batch of files: they take their names.
void CommitWrittenFiles();

/// Flushes the files WriteFileSafely wrote to the device of folder, with one
/// barrier for them all, and checks that it worked; ends the run with -1
/// after "Could not write <folder>\r\n" when it did not. Does nothing when
/// no file was written.
void FlushWrittenFiles(const std::string& folder);

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_SAFE_WRITE_H_
