// The scan's parameter file: calibration names, exposure time, co-added scans.
#ifndef VULCONV_INPUT_PARAMETER_FILE_H_
#define VULCONV_INPUT_PARAMETER_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vulconv {

struct ParameterInfo {
  bool reference_info = false;  // line 2 holds a slash or a backslash
  std::string dark_line;        // lines 2 to 5, used when reference_info
  std::string low_line;
  std::string high_line;
  std::string ref_line;
  std::int32_t exposure_time = 0;
  std::int32_t coadded_scans = 0;
};

/// The scan file name with the extension of its own name (the last "." and
/// up to three characters after it) replaced by ".params".
std::string ParameterFileName(std::string_view scan_file_name);

/// Reads the file; a missing, unreadable or short file gives empty lines.
ParameterInfo ReadParameterFile(const std::string& name);

/// The same rules applied to a file's text, for tests and fuzzing.
ParameterInfo ParseParameterText(std::string_view text);

}  // namespace vulconv

#endif  // VULCONV_INPUT_PARAMETER_FILE_H_
