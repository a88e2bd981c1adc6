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
//
// A FileWriter is a value its conversion owns and passes down: two
// conversions in one process, each with its own, share nothing mutable
// but the list of names the signal handler removes (cleanup.h).
#ifndef VULCONV_SYSTEM_WRITE_BATCH_H_
#define VULCONV_SYSTEM_WRITE_BATCH_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "system/console.h"
#include "system/files.h"
#include "system/locks.h"
#include "system/temporaries.h"

namespace vulconv {

/// A folder files are written to, open for the flushes, with this run's
/// lock file in it.
struct WriterFolder {
  std::string name;  // ends with a separator, or is empty
  int fd = -1;
  bool in_batch = false;
  LockHandle lock = -1;
  int lock_slot = -1;  // the lock file's name, for the cleanup
};

/// A file of the batch, written and closed under its temporary.
struct WaitingFile {
  std::string path;
  std::size_t folder = 0;
  int slot = -1;  // the temporary's name, for the cleanup
};

struct FileWriter {
  RunIdentity run = NewRunIdentity();
  bool flush_each_file = !FileSystemFlushWorks();
  std::atomic<std::uint64_t> temps_made{0};  // named on both threads
  // The formatting thread looks folders up while this one adds them.
  std::mutex folders_mutex;
  std::deque<WriterFolder> folders;  // the first is the output folder
  std::vector<WaitingFile> batch;
  std::int64_t batch_bytes = 0;
  HeldLines held;  // console lines behind the batch's files
};

/// A whole file's temporary, made ahead on the thread that formats while
/// the thread that writes is busy with the files before it.
struct AheadTemp {
  int slot = -1;  // -1: none was made; the writing thread makes it then
  int fd = -1;    // -1 with a slot: it could not be made
};

/// Called once the output folder is made: opens it for the flushes, takes
/// this run's lock there and removes the temporaries of ended runs, as the
/// first file written into any other folder does there.
void StartOutputFolder(FileWriter& writer, const std::string& folder);

/// Makes the temporary of the whole file path, from any thread, unless the
/// run is ending or path's folder was not started. Its failure shows when
/// the file's turn comes.
AheadTemp MakeTempAhead(FileWriter& writer, const std::string& path);

/// Puts the size bytes at data under path, replacing what is there, when
/// its batch is committed; temp, when made, is its temporary. Ends the run
/// with -1 after "Could not create <path>\r\n" or "Could not write
/// <path>\r\n"; the names of the batch are then as they were and no
/// temporary file is left.
void WriteWholeFile(FileWriter& writer, const std::string& path, AheadTemp& temp,
                    const char* data, std::size_t size);
void WriteWholeFile(FileWriter& writer, const std::string& path, const char* data,
                    std::size_t size);

/// Ends the batch: flushes its files' data, renames them in order, prints
/// the console lines held meanwhile and flushes their folder. A failed
/// rename ends the run with -1, after the held lines that came before its
/// file, with "Could not create <path>\r\n" or "Could not write
/// <path>\r\n", a failed flush after "Could not write <folder>\r\n". Does
/// nothing when the batch is empty. Output that does not go through
/// PrintRunLine, and failures that end the run elsewhere, come after it,
/// or they would come before the lines still held.
void CommitBatch(FileWriter& writer);

/// After the last commit: removes this run's lock files.
void EndFileWriter(FileWriter& writer);

/// A console line of the conversion, held while files wait.
void PrintRunLine(FileWriter& writer, std::string_view text);

// ---- For the stream files ----

/// Creates a temporary in the folder of path; -1 when it cannot be made.
/// slot is its name's place in the cleanup.
int CreateTemporary(FileWriter& writer, const std::string& path, bool readable, int& slot);

/// A closed temporary joins the batch and takes path's name with it.
void AddToBatch(FileWriter& writer, const std::string& path, int slot, std::int64_t size);

/// Removes a temporary that will not take a name.
void DiscardTemporary(int slot);

/// Prints the held lines, removes every temporary and ends the run with
/// "<what> <name>\r\n" and status -1.
[[noreturn]] void FailWriting(FileWriter& writer, const char* what, const std::string& name);

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_WRITE_BATCH_H_
