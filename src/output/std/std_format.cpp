#include "output/std/std_format.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "output/shared/number_text.h"

namespace vulconv {

namespace {

// Room for the fixed lines, the numbers in them and the name line.
constexpr std::size_t kTrailerBound = 512 + 5 * kMaxDoubleText;

char* Put(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

char* PutInt(char* out, std::int64_t value) {
  return std::to_chars(out, out + 24, value).ptr;
}

char* PutDouble(char* out, double value) { return WriteDoubleText(value, out); }

std::string_view NameLinePrefix(StdKind kind) {
  switch (kind) {
    case StdKind::Scan: return "VulcoraBin_";
    case StdKind::Ref: return "VulcoraBin_REF_";
    case StdKind::Dark: return "VulcoraBin_DARK_";
    case StdKind::High: return "VulcoraBin_HIGH_";
    case StdKind::Low: return "VulcoraBin_LOW_";
  }
  return "VulcoraBin_";
}

char* PutTrailer(char* out, StdKind kind, const StdSpectrumInfo& info) {
  out = Put(out, NameLinePrefix(kind));
  out = PutInt(out, info.index);
  out = Put(out, "\r\n\r\n\r\n");
  out = Put(out, info.date);
  out = Put(out, "\r\n");
  out = Put(out, info.time);
  out = Put(out, "\r\n");
  out = Put(out, info.time);
  out = Put(out, "\r\n333\r\n0\r\nSCANS ");
  out = PutInt(out, info.scans);
  out = Put(out, "\r\nINT_TIME ");
  out = PutInt(out, info.exposure);
  out = Put(out, "\r\nSITE volcano\r\n");
  if (kind == StdKind::Scan) {
    out = Put(out, "LONGITUDE ");
    out = PutDouble(out, info.longitude);
    out = Put(out, "\r\nLATITUDE ");
    out = PutDouble(out, info.latitude);
    out = Put(out, "\r\n");
  } else {
    out = Put(out, "LONGITUDE 0.0\r\nLATITUDE 0.0\r\n");
  }
  out = Put(out, "NumScans = ");
  out = PutInt(out, info.scans);
  out = Put(out, "\r\nExposureTime = ");
  out = PutInt(out, info.exposure);
  out = Put(out, "\r\n");
  if (kind == StdKind::Scan) {
    out = Put(out, "Altitude = ");
    out = PutDouble(out, info.altitude);
    out = Put(out, "\r\nElevationAngle = ");
    out = PutDouble(out, info.elevation);
    out = Put(out, "\r\nUserParam1 = ");
    out = PutDouble(out, info.user_param);
    out = Put(out, "\r\n");
  }
  return out;
}

}  // namespace

std::size_t StdFileSizeBound(const StdSpectrumInfo& info) {
  return 16 + kPixelCount * (kMaxFloatText + 2) + kTrailerBound + info.date.size() +
         2 * info.time.size();
}

char* FormatStdFile(StdKind kind, const SpectrumRecord& record, const StdSpectrumInfo& info,
                    char* out, char** pixels_end) {
  out = Put(out, "GDBGMNUP\r\n1\r\n2048\r\n");
  out = WriteFloatLines(record.pixels.data(), record.pixels.size(), out);
  if (pixels_end) *pixels_end = out;
  return PutTrailer(out, kind, info);
}

std::string StdFileText(StdKind kind, const SpectrumRecord& record, const StdSpectrumInfo& info) {
  std::string text(StdFileSizeBound(info), '\0');
  char* end = FormatStdFile(kind, record, info, text.data());
  text.resize(static_cast<std::size_t>(end - text.data()));
  return text;
}

}  // namespace vulconv
