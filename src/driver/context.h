// The values one step of a conversion run hands to the later ones.
#ifndef VULCONV_DRIVER_CONTEXT_H_
#define VULCONV_DRIVER_CONTEXT_H_

#include <cstdint>
#include <string>

#include "input/calibration_location.h"
#include "input/parameter_file.h"
#include "input/scan_text.h"
#include "convert/run_outputs.h"
#include "convert/scan_pass.h"

namespace vulconv {

struct ConversionContext {
  std::string scan_file_name;        // the argument, unchanged
  OutputChoice choice;               // what the options add
  std::int64_t spectrum_count = 0;   // from the whole-file check; announced only
  std::string scan_folder;           // up to and including the last separator
  std::string parameter_file_name;
  ParameterInfo params;              // reference info, exposure, co-added scans
  CalibrationNames calibration;
  ScanTextFile scan_text;            // open from its step to the end of the run
  FileStructure structure = FileStructure::New;
  OutputFolder output;               // folder (with separator) and stamp
  FirstSpectrumTime first;           // of the scan's spectrum 0; empty if none
};

}  // namespace vulconv

#endif  // VULCONV_DRIVER_CONTEXT_H_
