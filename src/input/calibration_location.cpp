#include "input/calibration_location.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

#include "system/console.h"
#include "system/files.h"
#include "input/file_names.h"
#include "input/text_numbers.h"
#include "time/civil_date.h"

namespace vulconv {
namespace {

constexpr std::string_view kNoReferenceNotice =
    "PARAMS file doesn't appear to contain reference file info - looking for default filenames...";

// The four kinds in the order the naming-convention search takes them.
struct KindText {
  std::string_view suffix;
  std::string_view word;  // as it stands in the failure message
  std::string CalibrationNames::*name;
};
constexpr std::array<KindText, 4> kSearchOrder = {{
    {"_dark.bin", "dark", &CalibrationNames::dark},
    {"_high.bin", "high", &CalibrationNames::high},
    {"_low.bin", "low", &CalibrationNames::low},
    {"_ref.bin", "ref", &CalibrationNames::ref},
}};

struct DefaultRow {
  std::string_view marker;
  std::string_view stem;  // the names are stem + "_dark.bin" and so on
};
constexpr std::array<DefaultRow, 8> kDefaultNames = {{
    {"can.txt.bin", "fullcal"},
    {"can1txt.bin", "fullcal1"},
    {"can2txt.bin", "fullcal2"},
    {"can3txt.bin", "fullcal3"},
    {"can4txt.bin", "fullcal4"},
    {"can5txt.bin", "fullcal5"},
    {"can6txt.bin", "fullcal6"},
    {"can7txt.bin", "fullcal7"},
}};

// A marker occurrence counts only when it starts below this position.
constexpr std::size_t kMarkerSearchLimit = 999;
constexpr int kSearchMinutes = 30;

// The parameter-file lines name folders of the machine that wrote them, so
// both separators are cut on every platform.
std::string OwnNameOfLine(const std::string& line) {
  std::size_t cut = line.find_last_of("/\\");
  return cut == std::string::npos ? line : line.substr(cut + 1);
}

CalibrationNames NamesFromParameters(const std::string& folder, const ParameterInfo& params) {
  return {folder + OwnNameOfLine(params.dark_line), folder + OwnNameOfLine(params.low_line),
          folder + OwnNameOfLine(params.high_line), folder + OwnNameOfLine(params.ref_line)};
}

std::optional<CalibrationNames> DefaultNames(const std::string& bare) {
  for (const DefaultRow& row : kDefaultNames) {
    // find gives the first occurrence, so a later one cannot be lower.
    std::size_t at = bare.find(row.marker);
    if (at == std::string::npos || at >= kMarkerSearchLimit) continue;
    std::string stem(row.stem);
    return CalibrationNames{stem + "_dark.bin", stem + "_low.bin", stem + "_high.bin",
                            stem + "_ref.bin"};
  }
  return std::nullopt;
}

std::string LowerCaseAtoZ(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// "Cal", the scan's name between its "scan_" and its extension, the suffix.
std::string CalibrationOwnName(const std::string& lower_bare, std::string_view suffix) {
  std::string base = lower_bare;
  std::size_t dot = base.rfind('.');
  if (dot != std::string::npos) base.erase(dot, 4);  // erase clamps at the end
  std::size_t scan = lower_bare.find("scan_");
  std::size_t drop = scan == std::string::npos ? 3 : scan + 4;
  base.erase(0, drop);
  return "Cal" + base + std::string(suffix);
}

// Value of a text of decimal digits only; -1 when any other character is in it.
int DigitsValue(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The yyyymmdd of the day before date; nothing when date is not a valid
// yyyymmdd or its day before would fall before year 0.
std::optional<std::string> PreviousDayText(std::string_view date) {
  if (date.size() != 8) return std::nullopt;
  int year = DigitsValue(date.substr(0, 4));
  int month = DigitsValue(date.substr(4, 2));
  int day = DigitsValue(date.substr(6, 2));
  if (year < 0 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    return std::nullopt;
  }
  if (--day == 0) {
    if (--month == 0) {
      month = 12;
      if (--year < 0) return std::nullopt;
    }
    day = DaysInMonth(year, month);
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
  return std::string(text);
}

// The date field stands as yyyymmdd_ right before the time field.
std::optional<std::string> PreviousDayOfName(const std::string& own_name, std::size_t u) {
  if (u < 13 || own_name[u - 5] != '_') return std::nullopt;
  return PreviousDayText(std::string_view(own_name).substr(u - 13, 8));
}

std::string TimeText(int hour, int minute) {
  char text[32];
  int n = std::snprintf(text, sizeof text, "%02d%02d", hour, minute);
  return std::string(text, static_cast<std::size_t>(n));
}

// The own names to try, the scan's own minute first, then up to 29 minutes
// back. Past midnight the search goes on in the previous day at 23 o'clock,
// as long as the name holds a date to step back.
std::vector<std::string> CandidateOwnNames(const std::string& own_name) {
  std::vector<std::string> candidates;
  std::size_t u = own_name.rfind('_');
  if (u == std::string::npos || u < 4) return candidates;  // no time field
  int hour_text = LeadingInteger(std::string_view(own_name).substr(u - 4, 2));
  int minute_text = LeadingInteger(std::string_view(own_name).substr(u - 2, 2));
  std::optional<std::string> previous_day = PreviousDayOfName(own_name, u);
  for (int k = 0; k < kSearchMinutes; ++k) {
    std::string name = own_name;
    int hour = hour_text;
    int minute = minute_text - k;
    if (minute < 0) {
      minute += 60;
      if (--hour < 0) {
        if (!previous_day) continue;
        name.replace(u - 13, 8, *previous_day);
        hour = 23;
      }
    }
    name.replace(u - 4, 4, TimeText(hour, minute));
    candidates.push_back(std::move(name));
  }
  return candidates;
}

std::string FailureMessage(std::string_view word) {
  return "Error! Could not find the " + std::string(word) +
         " file - it does not appear to be saved using the standard naming convention.";
}

// One kind: the first candidate that exists, in the scan folder; otherwise
// its failure message and the calibration name without any folder.
std::string SearchKind(const std::string& folder, const std::string& lower_bare,
                       const KindText& kind, const ExistsFunction& exists,
                       std::vector<std::string>& lines) {
  std::string own_name = CalibrationOwnName(lower_bare, kind.suffix);
  // Without an extension the rule has no time field to step back from.
  if (lower_bare.find('.') != std::string::npos) {
    for (const std::string& candidate : CandidateOwnNames(own_name)) {
      std::string name = folder + candidate;
      if (exists(name)) return name;
    }
  }
  lines.push_back(FailureMessage(kind.word));
  return own_name;
}

CalibrationNames SearchByNamingConvention(const std::string& folder, const std::string& bare,
                                          const ExistsFunction& exists,
                                          std::vector<std::string>& lines) {
  std::string lower_bare = LowerCaseAtoZ(bare);
  CalibrationNames names;
  for (const KindText& kind : kSearchOrder) {
    names.*kind.name = SearchKind(folder, lower_bare, kind, exists, lines);
  }
  return names;
}

void AppendAnnouncement(const CalibrationNames& names, std::vector<std::string>& lines) {
  lines.push_back("Dark Spectra: " + names.dark);
  lines.push_back("Low Cell Spectra: " + names.low);
  lines.push_back("High Cell Spectra: " + names.high);
  lines.push_back("Reference Spectra: " + names.ref);
}

}  // namespace

CalibrationLocation FindCalibrationFiles(const std::string& scan_file_name,
                                         const ParameterInfo& params,
                                         const ExistsFunction& exists) {
  CalibrationLocation result;
  std::string folder = FolderPart(scan_file_name);
  if (params.reference_info) {
    result.names = NamesFromParameters(folder, params);
  } else {
    result.lines.emplace_back(kNoReferenceNotice);
    std::string bare = BareName(scan_file_name);
    std::optional<CalibrationNames> defaults = DefaultNames(bare);
    result.names =
        defaults ? *defaults : SearchByNamingConvention(folder, bare, exists, result.lines);
  }
  AppendAnnouncement(result.names, result.lines);
  return result;
}

CalibrationNames LocateCalibrationFiles(const std::string& scan_file_name,
                                        const ParameterInfo& params) {
  CalibrationLocation location = FindCalibrationFiles(scan_file_name, params, FileExists);
  for (const std::string& line : location.lines) PrintLine(line);
  return location.names;
}

}  // namespace vulconv
