#include "convert/output_folder.h"

#include "system/console.h"
#include "system/files.h"
#include "system/platform.h"
#include "input/file_names.h"
#include "input/line_fields.h"
#include "input/text_lines.h"

namespace vulconv {

namespace {

// A name part that would not make a folder of its own beside the scan.
bool IsUnusableFolderPart(std::string_view part) {
  return part.empty() || part == "." || part == "..";
}

// The old structure's stamp from line 1 of the scan text file, or the
// fallback when the line gives none.
std::string OldStamp(std::string_view line, std::string_view scan_file_name, bool* fell_back) {
  std::string stamp = FolderStampFromLine(line);
  *fell_back = stamp.empty();
  return *fell_back ? FallbackFolderStamp(scan_file_name) : stamp;
}

}  // namespace

FileStructure FileStructureOf(std::string_view scan_file_name) {
  std::string bare = BareName(scan_file_name);
  return bare.size() == 22 && bare.find('_') == 4 ? FileStructure::New : FileStructure::Old;
}

FileStructure DetectFileStructure(std::string_view scan_file_name) {
  FileStructure kind = FileStructureOf(scan_file_name);
  PrintLine(kind == FileStructure::New ? "detected new VULCORA file structure."
                                       : "detected old VULCORA file structure.");
  return kind;
}

std::string NewOutputFolderName(std::string_view scan_file_name) {
  std::string folder = FolderPart(scan_file_name);
  std::string part = BareName(scan_file_name);
  part.erase(0, 5);  // "SCAN_"
  std::size_t dot = part.rfind('.');
  if (dot != std::string::npos) part.resize(dot);
  if (IsUnusableFolderPart(part)) part = FallbackFolderStamp(scan_file_name);
  return folder + part;
}

std::string FolderStampFromLine(std::string_view line) {
  if (CountLineFields(line) < 6) return {};
  std::string stamp = ReadLineField(line, 2, 4) + ReadLineField(line, 3, 2) +
                      ReadLineField(line, 4, 2) + "_" + ReadLineField(line, 5, 2) +
                      ReadLineField(line, 6, 2);
  // The text file must not steer the folder out of the scan's folder.
  for (char c : stamp) {
    if (LeadsOutOfFolder(c)) return {};
  }
  return stamp;
}

std::string FallbackFolderStamp(std::string_view scan_file_name) {
  std::string stamp = BareName(scan_file_name);
  for (char& c : stamp) {
    if (c == '.') c = '_';
  }
  return stamp;
}

std::string OutputFolderName(const std::string& scan_file_name) {
  if (FileStructureOf(scan_file_name) == FileStructure::New) {
    return NewOutputFolderName(scan_file_name) + kFolderSeparator;
  }
  TextFile text = OpenTextFile(MakeScanTextName(scan_file_name));
  bool fell_back;
  std::string stamp = OldStamp(ReadTextLine(text), scan_file_name, &fell_back);
  CloseTextFile(text);
  return FolderPart(scan_file_name) + stamp + kFolderSeparator;
}

OutputFolder MakeOutputFolder(const std::string& scan_file_name, FileStructure kind,
                              ScanTextFile& text) {
  OutputFolder out;
  std::string name;
  if (kind == FileStructure::New) {
    name = NewOutputFolderName(scan_file_name);
  } else {
    bool fell_back;
    out.stamp = OldStamp(ReadScanTextLine(text), scan_file_name, &fell_back);
    if (fell_back) {
      PrintLine("The txt file does not contain the scan time - naming the output folder after "
                "the scan file.");
    }
    RewindScanTextFile(text);
    name = FolderPart(scan_file_name) + out.stamp;
  }
  PrintLine("making dir: ", "\"" + name + "\"");
  MakeFolder(name);
  out.folder = name + kFolderSeparator;
  return out;
}

}  // namespace vulconv
