// The benchmark's floors: what creating the STD files alone costs. Makes
// the output folder and writes every file of a list with its size from one
// ready buffer, one open, write and close each, as vulconv does.
//
// With --safe, as crash-safe as vulconv: each file under a temporary name,
// and at the end of each batch (512 files, or the last file of a binary
// file's group, as vulconv ends a batch with each pass) one syncfs, the
// renames in order and an fsync of the folder.
//
//   write_floor [--safe] <list>    (first line: the folder; then "<size> <file>" lines)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kBatchFiles = 512;

struct Entry {
  std::string name;
  std::string group;  // the binary file the STD file comes from
  std::size_t size;
};

bool ReadList(const char* name, std::string& folder, std::vector<Entry>& entries) {
  std::FILE* f = std::fopen(name, "r");
  if (!f) return false;
  char line[4096];
  bool ok = std::fgets(line, sizeof line, f) != nullptr;
  if (ok) folder.assign(line, std::strcspn(line, "\n"));
  unsigned long long size;
  int start;
  while (ok && std::fgets(line, sizeof line, f)) {
    if (std::sscanf(line, "%llu %n", &size, &start) != 1) {
      ok = false;
    } else {
      std::string file(line + start, std::strcspn(line + start, "\n"));
      std::string group = file.substr(0, file.rfind('.', file.rfind('.') - 1));
      entries.push_back({folder + "/" + file, group, static_cast<std::size_t>(size)});
    }
  }
  std::fclose(f);
  return ok;
}

int Fail(const std::string& what) {
  std::perror(what.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  bool safe = argc == 3 && std::strcmp(argv[1], "--safe") == 0;
  std::string folder;
  std::vector<Entry> entries;
  if (argc != 2 + safe || !ReadList(argv[argc - 1], folder, entries)) {
    std::fprintf(stderr, "usage: write_floor [--safe] <list>\n");
    return 2;
  }
  std::size_t largest = 0;
  for (const Entry& e : entries) largest = e.size > largest ? e.size : largest;
  std::vector<char> buffer(largest, '5');

  mkdir(folder.c_str(), 0777);
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const std::string temp = folder + "/.vulconv-" + std::to_string(getpid()) + "-";
  std::size_t first = 0;  // of the batch
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    std::string name = safe ? temp + std::to_string(i) + ".tmp" : e.name;
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | (safe ? O_EXCL : O_TRUNC) | O_CLOEXEC, 0666);
    if (fd < 0 || write(fd, buffer.data(), e.size) != static_cast<ssize_t>(e.size) ||
        close(fd) != 0)
      return Fail(e.name);
    bool last = i + 1 == entries.size() || entries[i + 1].group != e.group;
    if (!safe || (i + 1 - first < kBatchFiles && !last)) continue;
    if (syncfs(dir) != 0) return Fail("syncfs");
    for (; first <= i; ++first) {
      if (rename((temp + std::to_string(first) + ".tmp").c_str(), entries[first].name.c_str()) != 0)
        return Fail(entries[first].name);
    }
    if (fsync(dir) != 0) return Fail("fsync");
  }
  return 0;
}
