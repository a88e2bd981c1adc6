#include "input/text_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_util.h"

namespace vulconv {
namespace {

// The first n lines of text, as a file read and as a text split.
std::vector<std::string> FileLines(const std::string& text, int n) {
  test::ScopedTempDir dir;
  test::WriteFile(dir / "t.txt", text);
  TextFile file = OpenTextFile(dir / "t.txt");
  std::vector<std::string> lines;
  for (int i = 0; i < n; ++i) lines.emplace_back(ReadTextLine(file));
  CloseTextFile(file);
  return lines;
}

std::vector<std::string> SplitLines(const std::string& text, int n) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  for (int i = 0; i < n; ++i) lines.emplace_back(NextTextLine(text, pos));
  return lines;
}

TEST(TextLines, FileAndTextSplitAlike) {
  const std::string long_line(100000, 'a');
  const struct {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {"", ""}},
      {"a\nb\n", {"a", "b", ""}},
      {"a\r\nb", {"a", "b", ""}},            // last line without a line feed
      {"a\rb\r\n\r\n", {"a\rb", "", ""}},    // a lone CR is an ordinary character
      {"x\r", {"x\r", ""}},                  // CR at the end, but no line feed
      {"\n\nc\n", {"", "", "c", ""}},
      {std::string("n\0ul\n", 5), {std::string("n\0ul", 4), ""}},
      {long_line + "\r\nnext\n", {std::string(65535, 'a'), "next", ""}},
      {std::string(65535, 'b') + "\r\nnext", {std::string(65535, 'b'), "next"}},
      {std::string(65536, 'c') + "\n", {std::string(65535, 'c'), ""}},
  };
  for (const auto& c : cases) {
    int n = static_cast<int>(c.lines.size());
    EXPECT_EQ(FileLines(c.text, n), c.lines) << c.text.substr(0, 20);
    EXPECT_EQ(SplitLines(c.text, n), c.lines) << c.text.substr(0, 20);
  }
}

TEST(TextLines, LinesSpanningManyReadsStayWhole) {
  std::string text;
  std::vector<std::string> lines;
  for (int i = 0; i < 3000; ++i) {
    lines.push_back(std::string(static_cast<std::size_t>(i % 97), 'x') + std::to_string(i));
    text += lines.back() + (i % 2 ? "\r\n" : "\n");
  }
  EXPECT_EQ(FileLines(text, 3000), lines);
}

TEST(TextLines, MissingFileOrFolderReadsAsEmpty) {
  test::ScopedTempDir dir;
  for (const std::string& name : {dir / "missing.txt", dir.path}) {
    TextFile file = OpenTextFile(name);
    EXPECT_EQ(ReadTextLine(file), "");
    EXPECT_EQ(ReadTextLine(file), "");
    CloseTextFile(file);
  }
}

}  // namespace
}  // namespace vulconv
