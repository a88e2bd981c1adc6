#include "e2e/scan_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vulconv::test {

std::string RecordBytes(const Records& records) {
  std::string bytes;
  for (const auto& values : records) {
    std::vector<float> record(values);
    record.resize(2048, 0.0f);
    bytes += FloatBytes(record);
  }
  return bytes;
}

void BuildScanFolder(const std::string& root, const ScanFolder& folder) {
  auto write = [&](const std::string& name, const std::string& bytes) {
    std::filesystem::path path = std::filesystem::path(root) / name;
    std::filesystem::create_directories(path.parent_path());
    WriteFile(path.string(), bytes);
  };
  write(folder.scan_name, RecordBytes(folder.records) + folder.tail);
  std::string stem = folder.scan_name.substr(0, folder.scan_name.rfind('.'));
  if (folder.params) write(stem + ".params", *folder.params);
  if (folder.text) write(stem + ".txt", *folder.text);
  for (const auto& [name, records] : folder.files) write(name, RecordBytes(records));
}

std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

std::string ExpectedPixels(const std::vector<std::string>& leading) {
  std::string text = "GDBGMNUP\r\n1\r\n2048\r\n" + CrLfLines(leading);
  for (std::size_t p = leading.size(); p < 2048; ++p) text += "0.000000\r\n";
  return text;
}

std::string ExpectedScanTrailer(int index, const std::string& date, const std::string& time,
                                int scans, int exposure, const std::string& lon,
                                const std::string& lat, const std::string& alt,
                                const std::string& elev, const std::string& user) {
  return CrLfLines({"VulcoraBin_" + std::to_string(index), "", "", date, time, time, "333", "0",
                    "SCANS " + std::to_string(scans), "INT_TIME " + std::to_string(exposure),
                    "SITE volcano", "LONGITUDE " + lon, "LATITUDE " + lat,
                    "NumScans = " + std::to_string(scans),
                    "ExposureTime = " + std::to_string(exposure), "Altitude = " + alt,
                    "ElevationAngle = " + elev, "UserParam1 = " + user});
}

std::string ExpectedCalibrationTrailer(const std::string& label, int index,
                                       const std::string& date, const std::string& time,
                                       int scans, int exposure) {
  return CrLfLines({"VulcoraBin_" + label + "_" + std::to_string(index), "", "", date, time, time,
                    "333", "0", "SCANS " + std::to_string(scans),
                    "INT_TIME " + std::to_string(exposure), "SITE volcano", "LONGITUDE 0.0",
                    "LATITUDE 0.0", "NumScans = " + std::to_string(scans),
                    "ExposureTime = " + std::to_string(exposure)});
}

ScanFolder NewStructureScan(const std::string& folder) {
  ScanFolder f;
  f.scan_name = folder + "SCAN_20120514_1031.bin";
  f.records = {{1.0f, 0.0078125f, 65535.5f}, {-3.25f, -1e-7f}};
  f.tail = "partial";
  f.params = "Vulcora parameters\nexposure\nScan time 100 msec\nCo-adds 5\n";
  f.text = std::string(kGpsLine1) + "\r\n" + kGpsLine2 + "\r\n" + "never read\n";
  f.files = {{folder + "Cal_20120514_1031_dark.bin", {{2.0f}}},
             {folder + "Cal_20120514_1030_low.bin", {{3.0f}, {4.0f}}},
             {folder + "Cal_20120514_1002_high.bin", {{5.0f}}},
             {folder + "Cal_20120514_1001_high.bin", {{0.5f}}},   // 30 minutes: too early
             {folder + "Cal_20120514_1025_ref.bin", {{6.0f}}},
             {folder + "Cal_20120514_1032_ref.bin", {{0.5f}}}};  // after the scan
  return f;
}

std::string NewStructureTranscript(const std::string& p) {
  return "\nOpening file: " + p + "SCAN_20120514_1031.bin\n"
         "Reading spectrum parameters from " + p + "SCAN_20120514_1031.params\n"
         "PARAMS file doesn't appear to contain reference file info - looking for default "
         "filenames...\n"
         "Dark Spectra: " + p + "Cal_20120514_1031_dark.bin\n"
         "Low Cell Spectra: " + p + "Cal_20120514_1030_low.bin\n"
         "High Cell Spectra: " + p + "Cal_20120514_1002_high.bin\n"
         "Reference Spectra: " + p + "Cal_20120514_1025_ref.bin\n"
         "Opening txt file to get times and locations...\n"
         "Reading spectrum time and positions from " + p + "SCAN_20120514_1031.txt\n"
         "detected new VULCORA file structure.\n"
         "making dir: \"" + p + "20120514_1031\"\n"
         "Extracting 2 STD files. This could take some time, please be patient...\n"
         "opening file: " + p + "SCAN_20120514_1031.bin\n"
         "Extracted 2 std files from bin.\n"
         "opening file: " + p + "Cal_20120514_1025_ref.bin\n"
         "Extracted 1 std files from REF bin.\n"
         "opening file: " + p + "Cal_20120514_1031_dark.bin\n"
         "Extracted 1 std files from DARK bin.\n"
         "opening file: " + p + "Cal_20120514_1002_high.bin\n"
         "Extracted 1 std files from HIGH bin.\n"
         "opening file: " + p + "Cal_20120514_1030_low.bin\n"
         "Extracted 2 std files from LOW bin.\n";
}

std::vector<std::pair<std::string, std::string>> NewStructureFiles() {
  auto cal = [](const char* label, int index, const char* pixel) {
    return ExpectedPixels({pixel}) +
           ExpectedCalibrationTrailer(label, index, "05/14/2012", "10:31:07", 5, 100);
  };
  return {
      {"Cal_20120514_1002_high.bin.000000.std", cal("HIGH", 0, "5.000000")},
      {"Cal_20120514_1025_ref.bin.000000.std", cal("REF", 0, "6.000000")},
      {"Cal_20120514_1030_low.bin.000000.std", cal("LOW", 0, "3.000000")},
      {"Cal_20120514_1030_low.bin.000001.std", cal("LOW", 1, "4.000000")},
      {"Cal_20120514_1031_dark.bin.000000.std", cal("DARK", 0, "2.000000")},
      {"SCAN_20120514_1031.bin.000000.std",
       ExpectedPixels({"1.000000", "0.007813", "65535.500000"}) +
           ExpectedScanTrailer(0, "05/14/2012", "10:31:07", 5, 100, "-90.853908", "14.535390",
                               "1234.500000", "45.000000", "3.250000")},
      {"SCAN_20120514_1031.bin.000001.std",
       ExpectedPixels({"-3.250000", "-0.000000"}) +
           ExpectedScanTrailer(1, "05/14/2012", "10:32:09", 5, 100, "90.853908", "-14.535390",
                               "12.500000", "-12.500000", "3.250000")},
  };
}

void ExpectFolder(const std::string& folder,
                  const std::vector<std::pair<std::string, std::string>>& files) {
  if (!std::filesystem::is_directory(folder)) {
    ADD_FAILURE() << folder << " was not made";
    return;
  }
  std::vector<std::string> names;
  for (const auto& [name, bytes] : files) {
    names.push_back(name);
    ExpectSameBytes(ReadFile(folder + "/" + name), bytes, name);
  }
  EXPECT_EQ(ListFiles(folder), names);
}

}  // namespace vulconv::test
