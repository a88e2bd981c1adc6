#include "system/console.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vulconv {

namespace {

struct HeldLine {
  std::size_t behind;  // files waiting when it was printed
  std::string text;    // with its line break
};

std::size_t waiting = 0;
std::vector<HeldLine> held;

void Put(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

}  // namespace

void PrintLine(std::string_view text) { PrintLine("", text); }

void PrintLine(std::string_view prefix, std::string_view name) {
  if (waiting == 0) {
    Put(prefix);
    Put(name);
    std::fputc('\n', stdout);
    return;
  }
  std::string text;
  text.reserve(prefix.size() + name.size() + 1);
  text.append(prefix).append(name).push_back('\n');
  held.push_back({waiting, std::move(text)});
}

void HoldLinesBehind(std::size_t files) { waiting = files; }

void PrintHeldLines(std::size_t files) {
  std::size_t n = 0;
  for (; n < held.size() && held[n].behind <= files; ++n) Put(held[n].text);
  held.erase(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(n));
}

}  // namespace vulconv
