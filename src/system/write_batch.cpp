#include "system/write_batch.h"

#include <string_view>

#include "system/cleanup.h"
#include "system/exit_status.h"
#include "system/platform.h"

namespace vulconv {

namespace {

// A batch ends after this many files or bytes: a killed run leaves no more
// temporaries than that, and the flushes stay few.
constexpr std::size_t kBatchFiles = 512;
constexpr std::int64_t kBatchBytes = std::int64_t{32} << 20;

// Prints the console lines held before waiting file `before` (all of them
// by default), removes every temporary and ends the run with "<what> <name>".
[[noreturn]] void Fail(FileWriter& writer, const char* what, const std::string& name,
                       std::size_t before = std::size_t(-1)) {
  PrintHeldLines(writer.held, before);  // the lines after it never show
  RemoveCleanupNames();
  EndRunOnFile(what, name);
}

// A folder as a failure names it: the working folder is ".".
std::string Shown(const WriterFolder& folder) { return folder.name.empty() ? "." : folder.name; }

// The folder of path, with its separator.
std::string_view FolderOf(const std::string& path) {
  std::size_t end = path.size();
  while (end > 0 && !IsFolderSeparator(path[end - 1])) --end;
  return std::string_view(path.data(), end);
}

// The index of a folder started before, or -1.
int KnownFolder(FileWriter& writer, std::string_view name) {
  std::lock_guard<std::mutex> lock(writer.folders_mutex);
  for (std::size_t i = 0; i < writer.folders.size(); ++i) {
    if (writer.folders[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

// Opens a folder for the flushes and takes this run's lock there before
// its first temporary, then removes what ended runs left in it.
std::size_t StartFolder(FileWriter& writer, std::string_view name) {
  WriterFolder folder;
  folder.name = name;
  folder.fd = OpenFolder(folder.name);
  std::string lock = LockFileName(folder.name, writer.run);
  // A folder where no lock can be had still takes files; their
  // temporaries are then left to the age rule should this run be killed.
  if (BeginMaking()) {
    folder.lock_slot = AddCleanupName(lock);
    folder.lock = CreateLockFile(folder.name, lock);
    if (folder.lock == -1) {
      DropCleanupName(folder.lock_slot);
      folder.lock_slot = -1;
    }
    EndMaking();
  }
  RemoveEndedRunsTemporaries(folder.name, writer.run);
  std::lock_guard<std::mutex> guard(writer.folders_mutex);
  writer.folders.push_back(std::move(folder));
  return writer.folders.size() - 1;
}

std::size_t FolderIndexOf(FileWriter& writer, const std::string& path) {
  std::string_view name = FolderOf(path);
  int known = KnownFolder(writer, name);
  return known >= 0 ? static_cast<std::size_t>(known) : StartFolder(writer, name);
}

// Makes a temporary in a started folder; -1 when it cannot be made, with
// slot -1 too when the run is ending.
int MakeTemporary(FileWriter& writer, const std::string& folder, bool readable, int& slot) {
  slot = -1;
  if (!BeginMaking()) return -1;
  std::string name = TemporaryName(folder, writer.run, writer.temps_made++);
  slot = AddCleanupName(name);
  int fd = slot >= 0 ? CreateNewFile(name, readable) : -1;
  EndMaking();
  return fd;
}

// A closed file joins the batch, which ends when full.
void Enter(FileWriter& writer, const std::string& path, std::size_t folder, int slot,
           std::int64_t size) {
  writer.batch.push_back({path, folder, slot});
  writer.folders[folder].in_batch = true;
  writer.batch_bytes += size;
  HoldLinesBehind(writer.held, writer.batch.size());
  if (writer.batch.size() == kBatchFiles || writer.batch_bytes >= kBatchBytes) CommitBatch(writer);
}

}  // namespace

void StartOutputFolder(FileWriter& writer, const std::string& folder) {
  if (KnownFolder(writer, folder) < 0) StartFolder(writer, folder);
}

AheadTemp MakeTempAhead(FileWriter& writer, const std::string& path) {
  AheadTemp temp;
  std::string folder(FolderOf(path));
  if (KnownFolder(writer, folder) >= 0) temp.fd = MakeTemporary(writer, folder, false, temp.slot);
  return temp;
}

void WriteWholeFile(FileWriter& writer, const std::string& path, AheadTemp& temp,
                    const char* data, std::size_t size) {
  std::size_t folder = FolderIndexOf(writer, path);
  int slot = temp.slot, fd = temp.fd;
  temp = AheadTemp{};
  if (slot < 0) fd = MakeTemporary(writer, writer.folders[folder].name, false, slot);
  if (fd < 0) Fail(writer, "Could not create", path);
  bool ok = WriteAll(fd, data, size);
  if (ok && writer.flush_each_file) ok = FlushFile(fd);
  if (!CloseWrittenFile(fd)) ok = false;
  if (!ok) Fail(writer, "Could not write", path);
  Enter(writer, path, folder, slot, static_cast<std::int64_t>(size));
}

void WriteWholeFile(FileWriter& writer, const std::string& path, const char* data,
                    std::size_t size) {
  AheadTemp none;
  WriteWholeFile(writer, path, none, data, size);
}

void CommitBatch(FileWriter& writer) {
  const std::size_t count = writer.batch.size();
  if (count == 0) return;
  if (!writer.flush_each_file) {
    for (const WriterFolder& folder : writer.folders) {
      if (folder.in_batch && !FlushFileSystem(folder.fd)) Fail(writer, "Could not write", Shown(folder));
    }
  }
  for (std::size_t i = 0; i < count; ++i) {
    const WaitingFile& file = writer.batch[i];
    RenameFailure failure = RenameReplacing(CleanupName(file.slot), file.path);
    if (failure != RenameFailure::None) {
      Fail(writer, failure == RenameFailure::Write ? "Could not write" : "Could not create",
           file.path, i);
    }
    DropCleanupName(file.slot);  // the name it had is gone
  }
  writer.batch.clear();
  writer.batch_bytes = 0;
  PrintHeldLines(writer.held, count);
  HoldLinesBehind(writer.held, 0);
  for (WriterFolder& folder : writer.folders) {
    if (folder.in_batch && !FlushFolder(folder.fd)) Fail(writer, "Could not write", Shown(folder));
    folder.in_batch = false;
  }
}

void EndFileWriter(FileWriter& writer) {
  for (WriterFolder& folder : writer.folders) {
    if (folder.lock != -1) {
      RemoveOwnLock(folder.lock, CleanupName(folder.lock_slot));
      DropCleanupName(folder.lock_slot);
      folder.lock = -1;
    }
    if (folder.fd >= 0) CloseFile(folder.fd);
    folder.fd = -1;
  }
}

void PrintRunLine(FileWriter& writer, std::string_view text) { PrintLine(writer.held, text); }

int CreateTemporary(FileWriter& writer, const std::string& path, bool readable, int& slot) {
  std::size_t folder = FolderIndexOf(writer, path);
  return MakeTemporary(writer, writer.folders[folder].name, readable, slot);
}

void AddToBatch(FileWriter& writer, const std::string& path, int slot, std::int64_t size) {
  Enter(writer, path, FolderIndexOf(writer, path), slot, size);
}

void DiscardTemporary(int slot) {
  RemoveName(CleanupName(slot));
  DropCleanupName(slot);
}

void FailWriting(FileWriter& writer, const char* what, const std::string& name) {
  Fail(writer, what, name);
}

}  // namespace vulconv
