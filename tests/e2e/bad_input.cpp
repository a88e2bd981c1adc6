#include "e2e/bad_input.h"

namespace vulconv::test {

namespace {

std::string FolderOf(const std::string& name) { return name.substr(0, name.rfind('/') + 1); }

std::string Stem(const std::string& name) { return name.substr(0, name.rfind('.')); }

}  // namespace

ScanFolder PlainScan(const std::string& scan_name) {
  ScanFolder f;
  f.scan_name = scan_name;
  f.records = {{1.0f}, {2.0f}};
  f.params = "p\n/x/d.bin\n/x/l.bin\n/x/h.bin\n/x/r.bin\n\nScan time 10 msec\nn 2\n";
  f.text = std::string(kGpsLine1) + "\n" + kGpsLine2 + "\n";
  std::string folder = FolderOf(scan_name);
  f.files = {{folder + "d.bin", {{3.0f}}},
             {folder + "l.bin", {{4.0f}}},
             {folder + "h.bin", {{5.0f}}},
             {folder + "r.bin", {{6.0f}}}};
  return f;
}

std::string TranscriptToScanPass(const std::string& scan_name, const std::string& output_folder,
                                 bool new_structure, const std::string& notice) {
  std::string folder = FolderOf(scan_name);
  return "\nOpening file: " + scan_name + "\n"
         "Reading spectrum parameters from " + Stem(scan_name) + ".params\n"
         "Dark Spectra: " + folder + "d.bin\n"
         "Low Cell Spectra: " + folder + "l.bin\n"
         "High Cell Spectra: " + folder + "h.bin\n"
         "Reference Spectra: " + folder + "r.bin\n"
         "Opening txt file to get times and locations...\n"
         "Reading spectrum time and positions from " + Stem(scan_name) + ".txt\n" +
         (new_structure ? "detected new" : "detected old") + " VULCORA file structure.\n" +
         notice + "making dir: \"" + output_folder + "\"\n"
         "Extracting 2 STD files. This could take some time, please be patient...\n"
         "opening file: " + scan_name + "\n";
}

std::string PlainTranscript(const std::string& scan_name, const std::string& output_folder,
                            bool new_structure, const std::string& notice) {
  std::string folder = FolderOf(scan_name);
  return TranscriptToScanPass(scan_name, output_folder, new_structure, notice) +
         "Extracted 2 std files from bin.\n"
         "opening file: " + folder + "r.bin\nExtracted 1 std files from REF bin.\n"
         "opening file: " + folder + "d.bin\nExtracted 1 std files from DARK bin.\n"
         "opening file: " + folder + "h.bin\nExtracted 1 std files from HIGH bin.\n"
         "opening file: " + folder + "l.bin\nExtracted 1 std files from LOW bin.\n";
}

ProgramResult RunCheckingOutside(const ScopedTempDir& dir, const std::string& scan_name,
                                 const std::string& output_folder, const RunLimits& limits) {
  TreeContents before = ReadTree(dir.path);
  ProgramResult result = RunVulconv({scan_name}, dir.path, limits);
  ExpectChangedOnlyInside(before, ReadTree(dir.path), output_folder, scan_name.substr(0, 60));
  return result;
}

}  // namespace vulconv::test
