// The scan text file: one line of time and position per spectrum.
#ifndef VULCONV_INPUT_SCAN_TEXT_H_
#define VULCONV_INPUT_SCAN_TEXT_H_

#include <string>
#include <string_view>

#include "input/text_lines.h"

namespace vulconv {

struct ScanTextFile {
  std::string name;
  TextFile file;
};

/// The scan text file name: the companion ".txt" of the scan's own name.
std::string MakeScanTextName(std::string_view scan_file_name);

/// Prints the two announcement lines and opens the file (missing reads as
/// empty).
ScanTextFile OpenScanTextFile(const std::string& scan_file_name);

/// The next line; empty past the end.
std::string_view ReadScanTextLine(ScanTextFile& text);

/// Opens the file again, so that the next line read is line 1.
void RewindScanTextFile(ScanTextFile& text);

void CloseScanTextFile(ScanTextFile& text);

}  // namespace vulconv

#endif  // VULCONV_INPUT_SCAN_TEXT_H_
