// Building a scan folder from a short description, and the expected bytes
// of the STD files a conversion of it writes.
#ifndef VULCONV_TESTS_E2E_SCAN_FOLDER_H_
#define VULCONV_TESTS_E2E_SCAN_FOLDER_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "test_util.h"

namespace vulconv::test {

/// Records as their leading pixel values; the rest of each record is 0.
using Records = std::vector<std::vector<float>>;

struct ScanFolder {
  std::string scan_name = "SCAN_20120514_1031.bin";
  Records records;
  std::string tail;                   // bytes after the last whole record
  std::optional<std::string> params;  // no parameter file when empty
  std::optional<std::string> text;    // no scan text file when empty
  std::map<std::string, Records> files;  // further binary files by name
};

/// Writes the folder's files below root (a name may hold folders).
void BuildScanFolder(const std::string& root, const ScanFolder& folder);

/// The binary bytes of records.
std::string RecordBytes(const Records& records);

/// The pixel part (head and 2048 pixel lines) of the STD file of record,
/// given the texts of its leading pixels.
std::string ExpectedPixels(const std::vector<std::string>& leading);

/// Lines joined, each ended by CR LF.
std::string CrLfLines(const std::vector<std::string>& lines);

/// The trailer of a scan-form file.
std::string ExpectedScanTrailer(int index, const std::string& date, const std::string& time,
                                int scans, int exposure, const std::string& lon,
                                const std::string& lat, const std::string& alt,
                                const std::string& elev, const std::string& user);

/// The trailer of a calibration-form file; label is "REF", "DARK", ...
std::string ExpectedCalibrationTrailer(const std::string& label, int index,
                                       const std::string& date, const std::string& time,
                                       int scans, int exposure);

}  // namespace vulconv::test

#endif  // VULCONV_TESTS_E2E_SCAN_FOLDER_H_
