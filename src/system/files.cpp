// The file calls that are the same on every platform.
#include "system/files.h"

namespace vulconv {

std::int64_t ReadThroughInChunks(int fd, std::int64_t size, char* chunk, std::size_t chunk_size) {
  std::int64_t done = 0;
  while (done < size) {
    std::size_t want = size - done < static_cast<std::int64_t>(chunk_size)
                           ? static_cast<std::size_t>(size - done) : chunk_size;
    std::size_t got = ReadBytes(fd, chunk, want);
    done += static_cast<std::int64_t>(got);
    if (got < want) break;
  }
  return done;
}

bool FileExists(const std::string& name) {
  int fd = OpenRegularFile(name);
  if (fd < 0) return false;
  CloseFile(fd);
  return true;
}

}  // namespace vulconv
