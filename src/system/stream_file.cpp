#include "system/stream_file.h"

#include "system/files.h"

namespace vulconv {

namespace {

// Stream files are written in pieces of this size; larger pieces as they
// come.
constexpr std::size_t kStreamChunk = 1 << 14;

StreamFile OpenStream(FileWriter& writer, const std::string& path) {
  StreamFile file;
  if (!TryOpenStreamFile(writer, path, file)) FailWriting(writer, "Could not create", path);
  return file;
}

[[noreturn]] void FailWrite(StreamFile& file) {
  FailWriting(*file.writer, "Could not write", file.path);
}

void WriteBuffered(StreamFile& file) {
  std::int64_t at = file.size - static_cast<std::int64_t>(file.buffer.size());
  if (!WriteAt(file.fd, at, file.buffer.data(), file.buffer.size())) FailWrite(file);
  file.buffer.clear();
}

}  // namespace

bool TryOpenStreamFile(FileWriter& writer, const std::string& path, StreamFile& file) {
  file = StreamFile{};
  file.writer = &writer;
  file.path = path;
  file.fd = CreateTemporary(writer, path, true, file.slot);
  return file.fd >= 0;
}

StreamFile OpenStreamFile(FileWriter& writer, const std::string& path) {
  return OpenStream(writer, path);
}

StreamFile OpenScratchFile(FileWriter& writer, const std::string& path) {
  return OpenStream(writer, path);
}

void AppendStreamFile(StreamFile& file, std::string_view text) {
  if (file.buffer.size() + text.size() > kStreamChunk) WriteBuffered(file);
  if (text.size() >= kStreamChunk) {
    // Copying a piece this large into the buffer would only cost memory.
    if (!WriteAt(file.fd, file.size, text.data(), text.size())) FailWrite(file);
  } else {
    if (file.buffer.capacity() < kStreamChunk) file.buffer.reserve(kStreamChunk);
    file.buffer.append(text);
  }
  file.size += static_cast<std::int64_t>(text.size());
}

void OverwriteStreamFile(StreamFile& file, std::int64_t offset, std::string_view text) {
  WriteBuffered(file);
  if (!WriteAt(file.fd, offset, text.data(), text.size())) FailWrite(file);
}

std::size_t ReadStreamFile(StreamFile& file, std::int64_t offset, char* out, std::size_t size) {
  WriteBuffered(file);
  std::int64_t left = file.size - offset;
  std::size_t want = left <= 0 ? 0 : left < static_cast<std::int64_t>(size)
                                          ? static_cast<std::size_t>(left) : size;
  std::size_t done = 0;
  // A read that fails or comes short of what was written is a failure of
  // the file it serves: never a shorter file.
  while (done < want) {
    std::int64_t got = ReadAt(file.fd, offset + static_cast<std::int64_t>(done), out + done,
                              want - done);
    if (got <= 0) FailWrite(file);
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void AppendScratchFile(StreamFile& file, StreamFile& scratch) {
  char chunk[1 << 14];
  for (std::int64_t at = 0; at < scratch.size;) {
    std::size_t got = ReadStreamFile(scratch, at, chunk, sizeof chunk);
    AppendStreamFile(file, std::string_view(chunk, got));
    at += static_cast<std::int64_t>(got);
  }
  DiscardStreamFile(scratch);
}

void CloseStreamFile(StreamFile& file) {
  WriteBuffered(file);
  bool flushed = !file.writer->flush_each_file || FlushFile(file.fd);
  if (!CloseWrittenFile(file.fd) || !flushed) FailWrite(file);
  file.fd = -1;
  AddToBatch(*file.writer, file.path, file.slot, file.size);
  file.slot = -1;
}

void DiscardStreamFile(StreamFile& file) {
  // Closed before its name goes: Windows removes no open file's name.
  CloseFile(file.fd);
  DiscardTemporary(file.slot);
  file.fd = -1;
  file.slot = -1;
}

}  // namespace vulconv
