// The pass that writes one STD file per record of the scan binary file.
#ifndef VULCONV_OUTPUT_SCAN_EXTRACTION_H_
#define VULCONV_OUTPUT_SCAN_EXTRACTION_H_

#include <cstdint>
#include <string>

#include "driver/context.h"

namespace vulconv {

/// The STD file names of the scan's records up to their record number.
std::string StdFileNamePrefix(FileStructure kind, const std::string& output_folder,
                              const std::string& scan_file_name, const std::string& stamp);

/// Full name of the STD file of scan record index.
std::string StdFileName(FileStructure kind, const std::string& output_folder,
                        const std::string& scan_file_name, const std::string& stamp,
                        std::int64_t index);

/// Writes every scan record, pairing record k with line k + 1 of the scan
/// text file; keeps spectrum 0's date and time in the context.
void ExtractScanSpectra(ConversionContext& ctx);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_SCAN_EXTRACTION_H_
