#include "e2e/scan_folder.h"

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

}  // namespace vulconv::test
