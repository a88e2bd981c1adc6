// Writes the sample scan folder that the README converts: three spectra of
// a scan of the new file structure, its parameter and GPS text files, and
// four calibration files that the naming convention finds.
//
//   make_sample <folder>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A deterministic noise source, so that the committed files can be remade.
std::uint32_t next_random = 12345;
double Noise() {
  next_random = next_random * 1664525u + 1013904223u;
  return (next_random >> 8) / double(1 << 24) - 0.5;
}

// A smooth spectrum with a few peaks, averaged over 128 co-added scans, so
// that values are multiples of 1/128 as the instrument's are.
std::vector<float> Spectrum(double level, double shift) {
  std::vector<float> values(2048);
  for (int p = 0; p < 2048; ++p) {
    double x = p + shift;
    double v = 900 + level * (std::exp(-std::pow((x - 600) / 90, 2)) +
                              0.6 * std::exp(-std::pow((x - 1300) / 150, 2)) +
                              0.3 * std::exp(-std::pow((x - 1750) / 40, 2)));
    v += 25 * Noise();
    values[p] = static_cast<float>(std::round(v * 128) / 128);
  }
  return values;
}

void WriteRecords(const std::string& name, const std::vector<std::vector<float>>& records) {
  std::ofstream out(name, std::ios::binary);
  for (const auto& record : records) {
    for (float v : record) {
      std::uint32_t bits;
      static_assert(sizeof bits == sizeof v);
      std::memcpy(&bits, &v, sizeof v);
      const char bytes[4] = {char(bits), char(bits >> 8), char(bits >> 16), char(bits >> 24)};
      out.write(bytes, 4);
    }
  }
}

void WriteText(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample <folder>\n");
    return 2;
  }
  std::string dir = std::string(argv[1]) + "/";
  WriteRecords(dir + "SCAN_20240612_0930.bin",
               {Spectrum(30000, 0), Spectrum(31000, 0.5), Spectrum(29500, 1)});
  WriteText(dir + "SCAN_20240612_0930.params",
            "Vulcora spectrometer parameters\r\n"
            "Gain 1\r\n"
            "Scan time 150 msec\r\n"
            "Co-added scans 128\r\n");
  WriteText(dir + "SCAN_20240612_0930.txt",
            "1 2024 06 12 09 30 12.25 A 1432.1234 N 09051.2345 W 3712.5 G 15 1.5\r\n"
            "2 2024 06 12 09 30 14.75 A 1432.1301 N 09051.2410 W 3713.0 G 20 1.5\r\n"
            "3 2024 06 12 09 30 17.25 A 1432.1377 N 09051.2488 W 3712.8 G 25 1.5\r\n");
  WriteRecords(dir + "Cal_20240612_0930_dark.bin", {Spectrum(0, 0)});
  WriteRecords(dir + "Cal_20240612_0912_low.bin", {Spectrum(12000, 0)});
  WriteRecords(dir + "Cal_20240612_0912_high.bin", {Spectrum(24000, 0)});
  WriteRecords(dir + "Cal_20240612_0905_ref.bin", {Spectrum(30000, 0), Spectrum(30200, 0)});
  return 0;
}
