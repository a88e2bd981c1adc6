// Writes a scan folder for the end-to-end benchmark: a scan of the new file
// structure with `spectra` records, its parameter file, a 16-field GPS line
// per spectrum, and four calibration files of 10 records each that the
// naming convention finds.
//
//   make_scan <folder> <spectra> [<yyyymmdd_hhmm> [<latitude> <longitude>]]
//
// The scan's time (default 20240612_0930) names its files; its dark file
// has that time, the cell files 18 minutes earlier and the reference 25, so
// several scans of a day fit in one folder. A track starts at latitude and
// longitude (decimal degrees; default 14.535390 -90.853908). A scan with a
// time of its own also gets spectra of its own.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// Deterministic, so that every run of the benchmark converts the same bytes.
std::uint64_t random_state = 0x9e3779b97f4a7c15ull;
std::uint32_t NextRandom() {
  random_state = random_state * 6364136223846793005ull + 1442695040888963407ull;
  return static_cast<std::uint32_t>(random_state >> 33);
}
double Uniform() { return NextRandom() / 2147483648.0; }  // [0, 1)

// One spectrum as the instrument averages it: counts from a dark offset, a
// broad hump and narrow absorption lines, plus shot noise, summed over 15
// co-added scans and divided by 15, so most values have long fractions.
// About one value in nine is an exact half at the sixth decimal (an odd
// multiple of 1/128), which printf rounds to even: float32 spacing makes a
// quarter of the values from 32768 up such halves, an eighth of those from
// 16384, and one value in 40 is made one, as an average over 128 scans is.
void MakeSpectrum(double level, double shift, std::vector<float>& values) {
  for (std::size_t p = 0; p < values.size(); ++p) {
    double x = (p + shift - 1100.0) / 420.0;
    double shape = std::exp(-x * x) * (1 - 0.3 * std::pow(std::sin((p + shift) * 0.37), 8)) *
                   (1 - 0.2 * std::exp(-std::pow((p - 1500.0) / 6, 2)));
    double counts = 900 + level * shape;
    double sum = std::floor(counts * 15 + (Uniform() - 0.5) * 8 * std::sqrt(counts * 15));
    sum = std::fmin(std::fmax(sum, 0.0), 65535.0 * 15);
    float value = static_cast<float>(sum) / 15.0f;
    if (NextRandom() % 40 == 0) {
      value = std::floor(value) + static_cast<float>(2 * (NextRandom() % 64) + 1) / 128;
      if (value > 65535) value -= 1;
    }
    values[p] = value;
  }
}

bool WriteRecords(const std::string& name, int count, double level) {
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return false;
  std::vector<float> values(2048);
  std::vector<unsigned char> bytes(4 * values.size());
  for (int r = 0; r < count; ++r) {
    MakeSpectrum(level * (0.9 + 0.2 * Uniform()), Uniform() * 3, values);
    for (std::size_t p = 0; p < values.size(); ++p) {
      std::uint32_t bits;
      static_assert(sizeof bits == sizeof(float));
      std::memcpy(&bits, &values[p], 4);
      for (int b = 0; b < 4; ++b) bytes[4 * p + b] = static_cast<unsigned char>(bits >> (8 * b));
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
      std::fclose(f);
      return false;
    }
  }
  return std::fclose(f) == 0;
}

// The scan's date and time, and where its track starts.
struct Scan {
  int year = 2024, month = 6, day = 12, hour = 9, minute = 30;
  double latitude = 1432.1234, longitude = 9051.2345;  // degrees * 100 + minutes
  char north = 'N', east = 'W';
};

// "yyyymmdd_hhmm" into scan; false when it is not one.
bool ReadStamp(const char* text, Scan& scan) {
  char tail;
  return std::strlen(text) == 13 &&
         std::sscanf(text, "%4d%2d%2d_%2d%2d%c", &scan.year, &scan.month, &scan.day, &scan.hour,
                     &scan.minute, &tail) == 5 &&
         scan.hour < 24 && scan.minute < 60;
}

// Decimal degrees as the GPS line writes them: degrees * 100 + minutes.
double DegreesMinutes(double degrees) {
  double whole = std::floor(std::fabs(degrees));
  return whole * 100 + (std::fabs(degrees) - whole) * 60;
}

// The stamp minutes_before the scan, within its day.
std::string Stamp(const Scan& scan, int minutes_before) {
  int minutes = std::max(0, scan.hour * 60 + scan.minute - minutes_before);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d_%02d%02d", scan.year % 10000, scan.month % 100,
                scan.day % 100, minutes / 60, minutes % 60);
  return text;
}

// "1 2024 06 12 09 30 12.25 A 1432.1234 N 09051.2345 W 3712.5 G 15 1.5":
// counter, date, time, latitude, longitude, altitude, elevation angle and
// a user parameter, one spectrum every 2.5 seconds from 12.25 seconds past
// the scan's minute.
bool WriteScanText(const std::string& name, int count, const Scan& scan) {
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return false;
  for (int i = 0; i < count; ++i) {
    double seconds = scan.hour * 3600 + scan.minute * 60 + 12.25 + 2.5 * i;
    int day = scan.day + static_cast<int>(seconds / 86400);
    seconds = std::fmod(seconds, 86400);
    int hour = static_cast<int>(seconds / 3600);
    int minute = static_cast<int>(seconds / 60) % 60;
    double second = std::fmod(seconds, 60);
    std::fprintf(f, "%d %04d %02d %02d %02d %02d %.2f A %.4f %c %010.4f %c %.1f G %d %.1f\r\n",
                 i + 1, scan.year, scan.month, day, hour, minute, second,
                 scan.latitude + 0.0071 * i, scan.north, scan.longitude + 0.0063 * i, scan.east,
                 3712.5 + 0.1 * (i % 17), 15 + 5 * (i % 31), 1.5);
  }
  return std::fclose(f) == 0;
}

bool WriteText(const std::string& name, const char* text) {
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return false;
  std::fputs(text, f);
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  int count = argc >= 3 && argc != 5 && argc <= 6 ? std::atoi(argv[2]) : -1;
  Scan scan;
  if (argc >= 4 && !ReadStamp(argv[3], scan)) count = -1;
  if (argc == 6) {
    double latitude = std::atof(argv[4]), longitude = std::atof(argv[5]);
    scan.latitude = DegreesMinutes(latitude);
    scan.longitude = DegreesMinutes(longitude);
    scan.north = latitude < 0 ? 'S' : 'N';
    scan.east = longitude < 0 ? 'W' : 'E';
  }
  if (count < 0) {
    std::fprintf(stderr, "usage: make_scan <folder> <spectra> [<yyyymmdd_hhmm> [<lat> <lon>]]\n");
    return 2;
  }
  if (argc >= 4) random_state ^= std::hash<std::string>()(argv[3]);
  std::string dir = std::string(argv[1]) + "/";
  std::string stamp = Stamp(scan, 0), cal = dir + "Cal_";
  bool ok = WriteRecords(dir + "SCAN_" + stamp + ".bin", count, 52000) &&
            WriteText(dir + "SCAN_" + stamp + ".params",
                      "Vulcora spectrometer parameters\r\n"
                      "Gain 1\r\n"
                      "Scan time 150 msec\r\n"
                      "Co-added scans 15\r\n") &&
            WriteScanText(dir + "SCAN_" + stamp + ".txt", count, scan) &&
            WriteRecords(cal + stamp + "_dark.bin", 10, 0) &&
            WriteRecords(cal + Stamp(scan, 18) + "_low.bin", 10, 20000) &&
            WriteRecords(cal + Stamp(scan, 18) + "_high.bin", 10, 40000) &&
            WriteRecords(cal + Stamp(scan, 25) + "_ref.bin", 10, 52000);
  if (!ok) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
