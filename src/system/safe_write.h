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
#include <string>

namespace vulconv {

/// Ignores SIGXFSZ, so that a file-size limit fails a write instead of
/// killing the process, and has SIGINT, SIGTERM and SIGHUP remove the
/// temporary file before they end the process as they would have.
void InstallSignalCleanup();

/// Puts the size bytes at data under path, replacing what is there. Ends
/// the run with -1 after "Could not create <path>\r\n" or "Could not write
/// <path>\r\n"; path is then as it was and no temporary file is left.
void WriteFileSafely(const std::string& path, const char* data, std::size_t size);

/// Flushes the files WriteFileSafely wrote to the device of folder, with one
/// barrier for them all, and checks that it worked; ends the run with -1
/// after "Could not write <folder>\r\n" when it did not. Does nothing when
/// no file was written.
void FlushWrittenFiles(const std::string& folder);

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_SAFE_WRITE_H_
