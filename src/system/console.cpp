#include "system/console.h"

#include <cstdio>

namespace vulconv {

namespace {

void Put(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

}  // namespace

void PrintLine(std::string_view text) { PrintLine("", text); }

void PrintLine(std::string_view prefix, std::string_view name) {
  Put(prefix);
  Put(name);
  std::fputc('\n', stdout);
}

void PrintLine(HeldLines& held, std::string_view text) {
  if (held.waiting == 0) {
    PrintLine(text);
    return;
  }
  std::string line;
  line.reserve(text.size() + 1);
  line.append(text).push_back('\n');
  held.lines.push_back({held.waiting, std::move(line)});
}

void HoldLinesBehind(HeldLines& held, std::size_t files) { held.waiting = files; }

void PrintHeldLines(HeldLines& held, std::size_t files) {
  std::size_t n = 0;
  for (; n < held.lines.size() && held.lines[n].behind <= files; ++n) Put(held.lines[n].text);
  held.lines.erase(held.lines.begin(), held.lines.begin() + static_cast<std::ptrdiff_t>(n));
}

}  // namespace vulconv
