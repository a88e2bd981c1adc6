// Building a scan folder from a short description, and the expected bytes
// of the STD files a conversion of it writes.
#ifndef VULCONV_TESTS_E2E_SCAN_FOLDER_H_
#define VULCONV_TESTS_E2E_SCAN_FOLDER_H_

#include <map>
#include <optional>
#include <string>
#include <utility>
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

/// Two lines of a scan text file with GPS data, and the notice for a first
/// line without.
inline constexpr char kGpsLine1[] =
    "1 2012 05 14 10 31 7.52 x 1432.1234 N 09051.2345 W 1234.5 x 45 3.25";
inline constexpr char kGpsLine2[] =
    "1 2012 05 14 10 32 09 x 1432.1234 S 09051.2345 E 12.5 x -12.5 3.25";
inline constexpr char kNoGps[] =
    "The text file does not appear to contain GPS data. Continuing without GPS...";

/// A scan of the new file structure whose calibration files are found by
/// the naming convention, 0, 1, 6 and 29 minutes before the scan; its files
/// lie in folder (a name ending in a separator, or empty).
ScanFolder NewStructureScan(const std::string& folder);

/// Its console transcript when given as p + "SCAN_20120514_1031.bin".
std::string NewStructureTranscript(const std::string& p);

/// Every file of its output folder with its expected bytes, sorted by name.
std::vector<std::pair<std::string, std::string>> NewStructureFiles();

/// Fails the test unless folder holds exactly these files, byte for byte.
void ExpectFolder(const std::string& folder,
                  const std::vector<std::pair<std::string, std::string>>& files);

}  // namespace vulconv::test

#endif  // VULCONV_TESTS_E2E_SCAN_FOLDER_H_
