// Any scan name, with any scan text line 1 and parameter file: every name
// the rules form stays in the scan's folder or in its output folder.
#include <cstring>

#include "fuzz_check.h"
#include "input/calibration_location.h"
#include "input/file_names.h"
#include "input/scan_text.h"
#include "convert/calibration_pass.h"
#include "convert/scan_pass.h"
#include "system/platform.h"

using namespace vulconv;

// name is folder followed by a name of its own, without separators.
static bool IsDirectlyIn(const std::string& name, const std::string& folder) {
  return name.starts_with(folder) && LastSeparator(name) + 1 == folder.size();  // npos + 1 is 0
}

// Byte 0: which existence questions are answered yes; bytes 1-4: a record
// number; then the scan name, scan text line 1 and the parameter file,
// separated by line feeds (the parameter file takes the rest).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint32_t index = 0;
  if (size < 5) return 0;
  std::memcpy(&index, data + 1, 4);
  std::string rest(reinterpret_cast<const char*>(data) + 5, size - 5);
  std::string scan = rest.substr(0, rest.find('\n'));
  rest.erase(0, scan.size() + 1);
  std::string line = rest.substr(0, rest.find('\n'));
  rest.erase(0, line.size() + 1);

  std::string folder = FolderPart(scan), params = ParameterFileName(scan), text = MakeScanTextName(scan);
  FUZZ_CHECK(IsDirectlyIn(params, folder) && params.ends_with(".params"));
  FUZZ_CHECK(IsDirectlyIn(text, folder) && text.ends_with(".txt"));
  // The output folder is a name of its own beside the scan, as a scan file has one.
  FileStructure kind = FileStructureOf(scan);
  std::string stamp = FolderStampFromLine(line);
  FUZZ_CHECK(stamp.find('\0') == std::string::npos);  // it would end the name early
  if (stamp.empty()) stamp = FallbackFolderStamp(scan);
  std::string output = kind == FileStructure::New ? NewOutputFolderName(scan) : folder + stamp;
  std::string own = output.substr(folder.size());
  FUZZ_CHECK(IsDirectlyIn(output, folder));
  FUZZ_CHECK(BareName(scan).empty() || (!own.empty() && own != "." && own != ".."));
  output += kFolderSeparator;
  FUZZ_CHECK(IsDirectlyIn(StdFileName(kind, output, scan, stamp, index), output));
  // The calibration files are asked about and named in the scan's folder only.
  int asked = 0;
  auto exists = [&](const std::string& name) {
    FUZZ_CHECK(IsDirectlyIn(name, folder) && ++asked <= 4 * 30);
    return (data[0] >> (asked - 1) % 8 & 1) != 0;
  };
  CalibrationNames names = FindCalibrationFiles(scan, ParseParameterText(rest), exists).names;
  for (const std::string* name : {&names.dark, &names.low, &names.high, &names.ref}) {
    FUZZ_CHECK(IsDirectlyIn(*name, folder) || LastSeparator(*name) == std::string::npos);
    FUZZ_CHECK(IsDirectlyIn(CalibrationStdFileName(*name, "_ref.bin.", index, kind, output, stamp), output));
  }
  return 0;
}
