// What a conversion run writes, and where: the options' choice and the
// settings every file of the run carries.
#ifndef VULCONV_CONVERT_OUTPUT_PLAN_H_
#define VULCONV_CONVERT_OUTPUT_PLAN_H_

#include <cstdint>
#include <string>

#include "convert/output_folder.h"

namespace vulconv {

/// What the options add to the STD files.
struct OutputChoice {
  bool qdoas = false;     // one QDOAS file per binary file
  bool overview = false;  // table, track and picture of the scan
};

/// Where the passes write and the settings every file carries.
struct OutputPlan {
  std::string scan_file_name;
  FileStructure structure = FileStructure::New;
  OutputFolder output;
  std::int32_t exposure_time = 0;
  std::int32_t coadded_scans = 0;
  OutputChoice choice;
};

}  // namespace vulconv

#endif  // VULCONV_CONVERT_OUTPUT_PLAN_H_
