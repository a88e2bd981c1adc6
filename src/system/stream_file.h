// Files written piece by piece under a temporary name, which join their
// writer's batch when closed and take their names with it, as whole files
// do (write_batch.h); and scratch files, read back and never named.
#ifndef VULCONV_SYSTEM_STREAM_FILE_H_
#define VULCONV_SYSTEM_STREAM_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "system/write_batch.h"

namespace vulconv {

/// Appended bytes are buffered; offsets count every byte appended so far.
struct StreamFile {
  FileWriter* writer = nullptr;
  std::string path;       // the name it takes, or the file a scratch file serves
  int slot = -1;          // its temporary's name, for the cleanup
  int fd = -1;
  std::int64_t size = 0;  // bytes appended, written or buffered
  std::string buffer;     // appended bytes not written yet
};

/// Creates the temporary of a file that takes path when closed. Ends the
/// run with -1 after "Could not create <path>\r\n" when it cannot be made.
StreamFile OpenStreamFile(FileWriter& writer, const std::string& path);

/// OpenStreamFile, but false when the temporary cannot be made, and the
/// run goes on.
bool TryOpenStreamFile(FileWriter& writer, const std::string& path, StreamFile& file);

/// A temporary beside path for the bytes that file needs at its end; its
/// failures name path.
StreamFile OpenScratchFile(FileWriter& writer, const std::string& path);

/// Appends text. A failed write ends the run with -1 after "Could not write
/// <path>\r\n", removing the run's temporaries.
void AppendStreamFile(StreamFile& file, std::string_view text);

/// Writes text over bytes appended before, at offset.
void OverwriteStreamFile(StreamFile& file, std::int64_t offset, std::string_view text);

/// Reads size bytes at offset of what was appended, all of them or up to
/// its end; returns the count. A failed read ends the run as a failed write.
std::size_t ReadStreamFile(StreamFile& file, std::int64_t offset, char* out, std::size_t size);

/// Appends all that the scratch file holds to file, and discards it.
void AppendScratchFile(StreamFile& file, StreamFile& scratch);

/// Writes what is buffered, closes the file and adds it to the batch.
void CloseStreamFile(StreamFile& file);

/// Closes and removes a scratch file.
void DiscardStreamFile(StreamFile& file);

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_STREAM_FILE_H_
