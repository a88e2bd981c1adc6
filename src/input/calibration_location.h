// Finding the four calibration binary files that belong to a scan.
#ifndef VULCONV_INPUT_CALIBRATION_LOCATION_H_
#define VULCONV_INPUT_CALIBRATION_LOCATION_H_

#include <functional>
#include <string>
#include <vector>

#include "input/parameter_file.h"

namespace vulconv {

struct CalibrationNames {
  std::string dark;
  std::string low;
  std::string high;
  std::string ref;
};

struct CalibrationLocation {
  CalibrationNames names;
  std::vector<std::string> lines;  // console lines, in order, without line ends
};

using ExistsFunction = std::function<bool(const std::string&)>;

/// Chooses the names from the parameter file, the default-name table or the
/// naming-convention search (which asks exists about each candidate), and
/// gives the console lines that go with the choice, announcement included.
CalibrationLocation FindCalibrationFiles(const std::string& scan_file_name,
                                         const ParameterInfo& params,
                                         const ExistsFunction& exists);

/// FindCalibrationFiles against the file system, printing its lines.
CalibrationNames LocateCalibrationFiles(const std::string& scan_file_name,
                                        const ParameterInfo& params);

}  // namespace vulconv

#endif  // VULCONV_INPUT_CALIBRATION_LOCATION_H_
