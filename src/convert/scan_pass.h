// The pass that writes the outputs of every record of the scan binary file.
#ifndef VULCONV_CONVERT_SCAN_PASS_H_
#define VULCONV_CONVERT_SCAN_PASS_H_

#include <cstdint>
#include <string>

#include "input/line_parse.h"
#include "input/scan_text.h"
#include "convert/run_outputs.h"

namespace vulconv {

/// The date and time of the scan's spectrum 0, which the calibration files
/// carry; empty when the scan has no record.
struct FirstSpectrumTime {
  std::string date;
  std::string time;
};

/// The STD file names of the scan's records up to their record number.
std::string StdFileNamePrefix(FileStructure kind, const std::string& output_folder,
                              const std::string& scan_file_name, const std::string& stamp);

/// Full name of the STD file of scan record index.
std::string StdFileName(FileStructure kind, const std::string& output_folder,
                        const std::string& scan_file_name, const std::string& stamp,
                        std::int64_t index);

/// True when a line's position is one to put on a map: a GPS line's fields,
/// finite, latitude and longitude within their ranges.
bool PositionKnown(const SpectrumTimePosition& place);

/// Writes every scan record, pairing record k with line k + 1 of the scan
/// text file, after the "Extracting" line with the announced count.
FirstSpectrumTime ExtractScanSpectra(std::int64_t announced_count, ScanTextFile& text,
                                     RunOutputs& outputs);

}  // namespace vulconv

#endif  // VULCONV_CONVERT_SCAN_PASS_H_
