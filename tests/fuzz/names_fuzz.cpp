// Any scan name (with any scan text line 1 and parameter file): every name
// the rules form stays in the scan's folder or its output folder.
#include <cstring>
#include <string>
#include <vector>

#include "system/platform.h"
#include "fuzz_check.h"
#include "input/calibration_location.h"
#include "input/file_names.h"
#include "input/parameter_file.h"
#include "input/scan_text.h"
#include "output/calibration_extraction.h"
#include "output/output_folder.h"
#include "output/scan_extraction.h"

namespace vulconv::fuzz {
namespace {

bool HasSeparator(std::string_view text) {
  for (char c : text) {
    if (IsFolderSeparator(c)) return true;
  }
  return false;
}

// name is folder followed by one name without separators.
bool IsDirectlyIn(const std::string& name, const std::string& folder) {
  return name.starts_with(folder) && !HasSeparator(std::string_view(name).substr(folder.size()));
}

void CheckCompanionNames(const std::string& scan) {
  std::string folder = FolderPart(scan);
  std::string params = ParameterFileName(scan);
  FUZZ_CHECK(IsDirectlyIn(params, folder) && params.ends_with(".params"));
  std::string text = MakeScanTextName(scan);
  FUZZ_CHECK(IsDirectlyIn(text, folder) && text.ends_with(".txt"));
}

// The output folder with its separator, as MakeOutputFolder forms it.
std::string CheckOutputFolder(const std::string& scan, FileStructure kind,
                              const std::string& stamp) {
  std::string folder = FolderPart(scan);
  std::string bare = BareName(scan);
  std::string name = kind == FileStructure::New ? NewOutputFolderName(scan) : folder + stamp;
  FUZZ_CHECK(IsDirectlyIn(name, folder));
  std::string own = name.substr(folder.size());
  // A scan file has a name of its own, and so has its output folder.
  if (!bare.empty()) FUZZ_CHECK(!own.empty() && own != "." && own != "..");
  return name + kFolderSeparator;
}

std::string CheckStamp(const std::string& scan, std::string_view line) {
  std::string stamp = FolderStampFromLine(line);
  if (!stamp.empty()) {
    FUZZ_CHECK(stamp.size() <= 13);
    FUZZ_CHECK(stamp.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos);
    return stamp;
  }
  std::string fallback = FallbackFolderStamp(scan);
  FUZZ_CHECK(fallback.size() == BareName(scan).size());
  FUZZ_CHECK(fallback.find('.') == std::string::npos && !HasSeparator(fallback));
  return fallback;
}

void CheckCalibrationNames(const std::string& scan, std::string_view params_text,
                           std::uint8_t exists_bits, const std::string& output_folder,
                           FileStructure kind, const std::string& stamp, std::int64_t index) {
  std::string folder = FolderPart(scan);
  int asked = 0;
  auto exists = [&](const std::string& name) {
    FUZZ_CHECK(IsDirectlyIn(name, folder));  // the search stays in the scan's folder
    return (exists_bits >> (asked++ % 8) & 1) != 0;
  };
  ParameterInfo params = ParseParameterText(params_text);
  CalibrationLocation found = FindCalibrationFiles(scan, params, exists);
  FUZZ_CHECK(asked <= 4 * 30);
  const CalibrationNames& names = found.names;
  const std::string* all[] = {&names.dark, &names.low, &names.high, &names.ref};
  for (const std::string* name : all) {
    FUZZ_CHECK(IsDirectlyIn(*name, folder) || !HasSeparator(*name));
    for (const char* part : {"_ref.bin.", "_dark.bin.", "_high.bin.", "_low.bin."}) {
      FUZZ_CHECK(IsDirectlyIn(CalibrationStdFileName(*name, part, index, kind, output_folder, stamp),
                              output_folder));
    }
  }
  std::size_t n = found.lines.size();
  FUZZ_CHECK(n >= 4);
  FUZZ_CHECK(found.lines[n - 4] == "Dark Spectra: " + names.dark);
  FUZZ_CHECK(found.lines[n - 1] == "Reference Spectra: " + names.ref);
}

}  // namespace
}  // namespace vulconv::fuzz

// Byte 0: which existence questions are answered yes; bytes 1-4: a record
// number; then the scan name, scan text line 1 and the parameter file,
// separated by line feeds (the parameter file takes the rest).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vulconv;
  if (size < 5) return 0;
  std::uint8_t exists_bits = data[0];
  std::uint32_t number = 0;
  std::memcpy(&number, data + 1, sizeof number);
  std::string_view rest = fuzz::AsText(data + 5, size - 5);
  std::size_t nl = rest.find('\n');
  std::string scan(rest.substr(0, nl));
  rest = nl == rest.npos ? std::string_view() : rest.substr(nl + 1);
  nl = rest.find('\n');
  std::string_view line = rest.substr(0, nl);
  std::string_view params = nl == rest.npos ? std::string_view() : rest.substr(nl + 1);

  fuzz::CheckCompanionNames(scan);
  FileStructure kind = FileStructureOf(scan);
  std::string bare = BareName(scan);
  FUZZ_CHECK((kind == FileStructure::New) == (bare.size() == 22 && bare.find('_') == 4));
  std::string old_stamp = fuzz::CheckStamp(scan, line);
  std::string stamp = kind == FileStructure::Old ? old_stamp : std::string();
  std::string output_folder = fuzz::CheckOutputFolder(scan, kind, stamp);
  std::int64_t index = number;
  std::string std_name = StdFileName(kind, output_folder, scan, stamp, index);
  FUZZ_CHECK(fuzz::IsDirectlyIn(std_name, output_folder) && std_name.ends_with(".std"));
  FUZZ_CHECK(RecordNumberText(index).size() >= 6);
  fuzz::CheckCalibrationNames(scan, params, exists_bits, output_folder, kind, stamp, index);
  return 0;
}
