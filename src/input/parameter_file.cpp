#include "input/parameter_file.h"

#include <array>

#include "input/file_names.h"
#include "input/text_lines.h"
#include "input/text_numbers.h"

namespace vulconv {

namespace {

// No more lines than these are ever looked at.
constexpr int kLinesRead = 9;
using ParameterLines = std::array<std::string, kLinesRead>;

std::string_view AfterLastBlank(std::string_view line) {
  std::size_t blank = line.rfind(' ');
  return blank == std::string_view::npos ? line : line.substr(blank + 1);
}

bool HasSeparator(std::string_view line) {
  return line.find_first_of("/\\") != std::string_view::npos;
}

ParameterInfo ParseLines(const ParameterLines& lines) {
  ParameterInfo info;
  int next = 1;  // line 1 is not used
  const std::string& line2 = lines[next++];
  info.reference_info = HasSeparator(line2);
  if (info.reference_info) {
    info.dark_line = line2;
    info.low_line = lines[next++];
    info.high_line = lines[next++];
    info.ref_line = lines[next++];
    ++next;  // line 6 is not used
  }
  std::string first = lines[next++];
  if (first.starts_with("Scan")) {
    // "Scan time 100 msec": the unit after the last blank is dropped.
    std::size_t blank = first.rfind(' ');
    if (blank != std::string::npos) first.erase(blank, 5);
    info.exposure_time = LeadingInteger(AfterLastBlank(first));
  } else {
    info.exposure_time = LeadingInteger(AfterLastBlank(lines[next++]));
  }
  info.coadded_scans = LeadingInteger(AfterLastBlank(lines[next++]));
  return info;
}

}  // namespace

std::string ParameterFileName(std::string_view scan_file_name) {
  std::string name(scan_file_name);
  std::size_t own = name.size() - BareName(scan_file_name).size();
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot >= own) name.erase(dot, 4);
  return name + ".params";
}

ParameterInfo ReadParameterFile(const std::string& name) {
  ParameterLines lines;
  TextFile file = OpenTextFile(name);
  for (auto& line : lines) line = ReadTextLine(file);
  CloseTextFile(file);
  return ParseLines(lines);
}

ParameterInfo ParseParameterText(std::string_view text) {
  ParameterLines lines;
  std::size_t pos = 0;
  for (auto& line : lines) line = NextTextLine(text, pos);
  return ParseLines(lines);
}

}  // namespace vulconv
