// The passes that write the outputs of the reference, dark, high and low
// cell spectra.
#ifndef VULCONV_CONVERT_CALIBRATION_PASS_H_
#define VULCONV_CONVERT_CALIBRATION_PASS_H_

#include <cstdint>
#include <string>

#include "input/calibration_location.h"
#include "convert/run_outputs.h"
#include "convert/scan_pass.h"

namespace vulconv {

/// The STD file names of a calibration file's records up to their record
/// number; part is the pass's "_ref.bin." (old file structure) and the like.
std::string CalibrationStdFileNamePrefix(const std::string& calibration_file_name,
                                         const std::string& part, FileStructure kind,
                                         const std::string& output_folder,
                                         const std::string& stamp);

/// Full name of the STD file of record index of a calibration file.
std::string CalibrationStdFileName(const std::string& calibration_file_name,
                                   const std::string& part, std::int64_t index,
                                   FileStructure kind, const std::string& output_folder,
                                   const std::string& stamp);

/// The four passes, in the order reference, dark, high cell, low cell; every
/// record carries the date and time of the scan's spectrum 0.
void ExtractCalibrationSpectra(const CalibrationNames& names, const FirstSpectrumTime& first,
                               RunOutputs& outputs);

}  // namespace vulconv

#endif  // VULCONV_CONVERT_CALIBRATION_PASS_H_
