// The benchmark's floor: what creating the STD files alone costs. Makes
// the output folder and writes every file of a list with its size from one
// ready buffer, one open, write and close each, as vulconv does.
//
//   write_floor <list>    (first line: the folder; then "<size> <file>" lines)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Entry {
  std::string name;
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
      entries.push_back({folder + "/" + file, static_cast<std::size_t>(size)});
    }
  }
  std::fclose(f);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  std::vector<Entry> entries;
  if (argc != 2 || !ReadList(argv[1], folder, entries)) {
    std::fprintf(stderr, "usage: write_floor <list>\n");
    return 2;
  }
  std::size_t largest = 0;
  for (const Entry& e : entries) largest = e.size > largest ? e.size : largest;
  std::vector<char> buffer(largest, '5');

  mkdir(folder.c_str(), 0777);
  for (const Entry& e : entries) {
    int fd = open(e.name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || write(fd, buffer.data(), e.size) != static_cast<ssize_t>(e.size) ||
        close(fd) != 0) {
      std::perror(e.name.c_str());
      return 1;
    }
  }
  return 0;
}
