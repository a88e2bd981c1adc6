#include "output/qdoas/qdoas_file.h"


#include "output/shared/number_text.h"

namespace vulconv {

namespace {

// The parameter file gives milliseconds; QDOAS reads seconds as they stand.
void AppendSeconds(std::string& out, std::int32_t milliseconds) {
  AppendInteger(out, milliseconds / 1000);
  out += '.';
  AppendPadded(out, milliseconds % 1000, 3);
}

// A line that starts with a letter stops QDOAS's reader: nan and inf get a
// sign of their own.
void AppendSignedPixelLines(std::string& out, std::string_view lines) {
  std::size_t at = 0;
  while (at < lines.size()) {
    std::size_t end = lines.find('\n', at);
    end = end == std::string_view::npos ? lines.size() : end + 1;
    if (lines[at] == 'n' || lines[at] == 'i') out += '+';
    out.append(lines.substr(at, end - at));
    at = end;
  }
}

}  // namespace

void AppendQdoasHeader(std::string& out, std::int64_t records, std::size_t& count_at) {
  out += "# Size of the detector = 2048\r\n# Total number of records = ";
  count_at = out.size();
  AppendInteger(out, records);
  out += "\r\n";
}

void AppendQdoasRecord(std::string& out, const StdSpectrumInfo& info, bool has_position,
                       bool has_angles, const SpectrumFacts& facts,
                       std::string_view pixel_lines, bool non_finite) {
  if (facts.has_date) {
    out += "Date(DD/MM/YYYY) = ";
    AppendPadded(out, facts.date.day, 2);
    out += '/';
    AppendPadded(out, facts.date.month, 2);
    out += '/';
    AppendPadded(out, facts.date.year, 4);
    out += "\r\n";
  }
  if (facts.has_time) {
    out += "UTC Time (hh:mm:ss) = ";
    AppendPadded(out, facts.time.hour, 2);
    out += ':';
    AppendPadded(out, facts.time.minute, 2);
    out += ':';
    AppendPadded(out, facts.time.second, 2);
    out += "\r\n";
  }
  if (has_position) {
    out += "Latitude = ";
    AppendDoubleText(out, info.latitude);
    out += "\r\nLongitude = ";
    AppendDoubleText(out, info.longitude);
    out += "\r\nAltitude = ";
    AppendDoubleText(out, info.altitude);
    out += "\r\n";
  }
  if (has_angles) {
    out += "Viewing Elevation Angle (deg) = ";
    AppendDoubleText(out, info.elevation);
    out += "\r\n";
  }
  // A parameter file that does not give them leaves 0, which no
  // instrument uses: unknown, so not written.
  if (info.exposure > 0) {
    out += "Exposure Time(sec) = ";
    AppendSeconds(out, info.exposure);
    out += "\r\n";
  }
  if (info.scans > 0) {
    out += "Number of scans = ";
    AppendInteger(out, info.scans);
    out += "\r\n";
  }
  if (facts.has_solar) {
    out += "Solar Zenith Angle (deg) = ";
    out += AngleText(facts.solar.zenith);
    out += "\r\nSolar Azimuth Angle (deg) = ";
    // Just below 360 would round to 360, which is North, 0.
    out += AngleText(facts.solar.azimuth >= 359.99995 ? 0.0 : facts.solar.azimuth);
    out += "\r\n";
  }
  if (non_finite) {
    AppendSignedPixelLines(out, pixel_lines);
  } else {
    out.append(pixel_lines);
  }
}

}  // namespace vulconv
