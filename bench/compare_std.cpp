// Checks that two folders of STD files hold the same files with the same
// lines, but for lines where the second (printf's) rounded an exact half
// at the sixth decimal to even and the first rounded it away from zero.
//
//   compare_std <vulconv-folder> <plain-folder>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

namespace {

std::set<std::string> FileNames(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "[-]digits.dddddd" as millionths; false for anything else.
bool Millionths(std::string_view text, bool& negative, unsigned __int128& value) {
  negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.size() < 8 || text.size() > 36 || text[text.size() - 7] != '.') return false;
  value = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == text.size() - 7) continue;
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  return true;
}

// True when ours is theirs plus one millionth away from zero, theirs ends in
// an even digit, and the value halfway between them is a binary fraction
// (an odd multiple of 2^-7), so that it can be the exact value both wrote.
bool IsTieRoundedApart(std::string_view ours, std::string_view theirs) {
  if (ours.ends_with('\r') && theirs.ends_with('\r')) {
    ours.remove_suffix(1);
    theirs.remove_suffix(1);
  }
  std::size_t cut = ours.rfind(' ') + 1;  // 0 without a blank
  if (cut != theirs.rfind(' ') + 1 || ours.substr(0, cut) != theirs.substr(0, cut)) return false;
  bool ours_negative, theirs_negative;
  unsigned __int128 a, b;
  if (!Millionths(ours.substr(cut), ours_negative, a) ||
      !Millionths(theirs.substr(cut), theirs_negative, b)) {
    return false;
  }
  return ours_negative == theirs_negative && a == b + 1 && b % 2 == 0 && (2 * b + 1) % 15625 == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: compare_std <vulconv-folder> <plain-folder>\n");
    return 2;
  }
  std::set<std::string> names = FileNames(argv[1]);
  if (names != FileNames(argv[2]) || names.empty()) {
    std::fprintf(stderr, "compare_std: the folders hold different files (or none)\n");
    return 1;
  }
  long long same_files = 0, lines = 0, ties = 0;
  for (const std::string& name : names) {
    std::string ours = ReadFile(std::string(argv[1]) + "/" + name);
    std::string theirs = ReadFile(std::string(argv[2]) + "/" + name);
    std::size_t i = 0, j = 0;
    long long line = 0;
    if (ours == theirs) ++same_files;
    while (i < ours.size() || j < theirs.size()) {
      std::size_t ie = ours.find('\n', i), je = theirs.find('\n', j);
      std::string_view a = std::string_view(ours).substr(i, ie - i);
      std::string_view b = std::string_view(theirs).substr(j, je - j);
      ++lines;
      ++line;
      if (a != b) {
        if ((ie == std::string::npos) != (je == std::string::npos) || !IsTieRoundedApart(a, b)) {
          std::fprintf(stderr, "compare_std: %s line %lld: \"%.*s\" against \"%.*s\"\n",
                       name.c_str(), line, static_cast<int>(a.size()), a.data(),
                       static_cast<int>(b.size()), b.data());
          return 1;
        }
        ++ties;
      }
      if (ie == std::string::npos || je == std::string::npos) break;
      i = ie + 1;
      j = je + 1;
    }
  }
  std::printf("%zu files (%lld byte-identical), %lld lines, %lld exact halves rounded apart\n",
              names.size(), same_files, lines, ties);
  return 0;
}
