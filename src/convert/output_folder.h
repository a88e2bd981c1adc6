// The output folder beside the scan, named after its date and time.
#ifndef VULCONV_CONVERT_OUTPUT_FOLDER_H_
#define VULCONV_CONVERT_OUTPUT_FOLDER_H_

#include <string>
#include <string_view>

#include "input/scan_text.h"

namespace vulconv {

enum class FileStructure { New, Old };

struct OutputFolder {
  std::string folder;  // ends with the folder separator
  std::string stamp;   // old file structure: yyyymmdd_hhmm from the text file
};

/// New when the scan's own name is 22 characters long with its first "_" at
/// position 4 (SCAN_20120514_1031.bin); old otherwise.
FileStructure FileStructureOf(std::string_view scan_file_name);

/// FileStructureOf, printing "detected new/old VULCORA file structure.".
FileStructure DetectFileStructure(std::string_view scan_file_name);

/// The output folder name of the new file structure, without separator.
std::string NewOutputFolderName(std::string_view scan_file_name);

/// The folder stamp from line 1 of the scan text file; empty when the line
/// gives no usable scan time.
std::string FolderStampFromLine(std::string_view line);

/// The stamp used when the text file gives no scan time: the scan's own
/// name with every "." replaced by "_".
std::string FallbackFolderStamp(std::string_view scan_file_name);

/// The output folder MakeOutputFolder names (with its separator), without
/// printing anything or making it.
std::string OutputFolderName(const std::string& scan_file_name);

/// Names the output folder (reading and rewinding line 1 of the scan text
/// file for the old structure), prints "making dir: " and makes it.
OutputFolder MakeOutputFolder(const std::string& scan_file_name, FileStructure kind,
                              ScanTextFile& text);

}  // namespace vulconv

#endif  // VULCONV_CONVERT_OUTPUT_FOLDER_H_
