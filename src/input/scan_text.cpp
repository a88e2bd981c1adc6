#include "input/scan_text.h"

#include "system/console.h"
#include "input/file_names.h"

namespace vulconv {

namespace {

// The rule works on the scan's own name; the folder part stays in front.
std::string TextNameOfBareName(std::string bare) {
  std::size_t first = bare.find('.');
  std::size_t last = bare.rfind('.');
  if (first == std::string::npos) return bare + ".txt";
  if (first != last) {
    bare.erase(first, 8);  // "can.txt.bin" gives "can"
  } else {
    bare.erase(first, 4);
    // "scan1txt.bin" gives "scan1": the "txt" before the extension goes too.
    if (bare.size() > 2 && bare.ends_with("txt") && first >= 3) bare.resize(first - 3);
  }
  return bare + ".txt";
}

}  // namespace

std::string MakeScanTextName(std::string_view scan_file_name) {
  return FolderPart(scan_file_name) + TextNameOfBareName(BareName(scan_file_name));
}

ScanTextFile OpenScanTextFile(const std::string& scan_file_name) {
  PrintLine("Opening txt file to get times and locations...");
  ScanTextFile text;
  text.name = MakeScanTextName(scan_file_name);
  PrintLine("Reading spectrum time and positions from ", text.name);
  text.file = OpenTextFile(text.name);
  return text;
}

std::string_view ReadScanTextLine(ScanTextFile& text) { return ReadTextLine(text.file); }

void RewindScanTextFile(ScanTextFile& text) {
  CloseTextFile(text.file);
  text.file = OpenTextFile(text.name);
}

void CloseScanTextFile(ScanTextFile& text) { CloseTextFile(text.file); }

}  // namespace vulconv
