// Output files that appear whole or not at all, whatever stops the run:
// a failure, a signal, a kill or a power cut.
//
// Each file is written under a temporary name in its own folder. The files
// go in batches: once a batch is written, its data are flushed to the
// device, then each file is renamed over its name in one step, in the
// order they were written, then the folder is flushed. So a name never
// holds a file whose bytes are not on the device: it holds the earlier
// file, the new one, or nothing. A name that is a hard link or a symbolic
// link gets a new file; what it linked to keeps its bytes. A failure before
// a batch's renames leaves every name of that batch as it was, and no
// temporary stays after any failure or signal the program sees.
#ifndef VULCONV_SYSTEM_SAFE_WRITE_H_
#define VULCONV_SYSTEM_SAFE_WRITE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace vulconv {

/// Ignores SIGXFSZ, so that a file-size limit fails a write instead of
/// killing the process, and has SIGINT, SIGTERM and SIGHUP remove the
/// temporary files before they end the process as they would have.
void InstallSignalCleanup();

/// Starts body on a thread of its own that never runs the cleanup on
/// those signals: their handler interrupts the thread that writes files.
std::thread StartThreadWithoutSignals(std::function<void()> body);

/// Called once the output folder is made: opens it for the flushes and
/// removes the temporary files that killed runs left there, as the first
/// file written into any other folder does there.
void StartOutputFiles(const std::string& folder);

/// A whole file's temporary, made ahead on the thread that formats while
/// the thread that writes is busy with the files before it.
struct AheadTemp {
  int slot = -1;  // -1: none was made; the writing thread makes it then
  int fd = -1;    // -1 with a slot: it could not be made
};

/// Makes the temporary of the whole file path, from any thread, unless the
/// run is ending. Its failure shows when the file's turn comes.
AheadTemp MakeTempAhead(const std::string& path);

/// WriteFileSafely into a temporary made ahead for path.
void WriteFileSafely(const std::string& path, AheadTemp& temp, const char* data,
                     std::size_t size);

/// Puts the size bytes at data under path, replacing what is there, when
/// its batch is committed. Ends the run with -1 after "Could not create
/// <path>\r\n" or "Could not write <path>\r\n"; the names of the batch are
/// then as they were and no temporary file is left.
void WriteFileSafely(const std::string& path, const char* data, std::size_t size);

/// A file written piece by piece under a temporary name, which joins the
/// batch when closed and takes its name with it, as WriteFileSafely's files
/// do. Appended bytes are buffered; offsets count every byte appended so far.
struct StreamFile {
  std::string path;       // the name it takes, or the file a scratch file serves
  bool scratch = false;   // read back and discarded, never named
  int slot = -1;          // among the run's open temporaries
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

/// Writes what is buffered, closes the file and adds it to the batch.
void CloseStreamFile(StreamFile& file);

/// Closes and removes a scratch file.
void DiscardStreamFile(StreamFile& file);

/// Ends the run as a failed write does: prints the lines held, removes the
/// run's temporaries, then "<what> <name>\r\n", status -1.
[[noreturn]] void FailOnFile(const char* what, const std::string& name);

/// Ends the batch: flushes its files' data, renames them in order, prints
/// the console lines held meanwhile and flushes their folder. A failed
/// rename ends the run with -1, after the held lines that came before its
/// file, with "Could not create <path>\r\n" or
/// "Could not write <path>\r\n", a failed flush after "Could not write
/// <folder>\r\n" with the folder given to StartOutputFiles. Does nothing
/// when the batch is empty. Output that does not go through PrintLine, and
/// failures that end the run elsewhere, come after it, or they would come
/// before the lines still held.
void CommitWrittenFiles();

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_SAFE_WRITE_H_
