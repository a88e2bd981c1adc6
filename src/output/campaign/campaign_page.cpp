#include "output/campaign/campaign_page.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "input/file_names.h"
#include "output/campaign/campaign_track.h"
#include "output/shared/number_text.h"
#include "output/shared/text_escape.h"
#include "system/platform.h"

namespace vulconv {

namespace {

constexpr std::string_view kStyle = R"(<style>
body{margin:0;background:#f3f5f7;color:#1f2933;font:14px/1.45 system-ui,-apple-system,"Segoe UI",Roboto,"Helvetica Neue",Arial,sans-serif}
main{max-width:1240px;margin:0 auto;padding:24px 24px 40px}
h1{font-size:24px;margin:0 0 4px}
.summary{margin:0 0 18px;color:#52606d}
figure{margin:0 0 22px;padding:14px;background:#fff;border:1px solid #d9dee4;border-radius:6px}
figure svg{display:block;width:100%;height:auto}
.nomap{margin:0;color:#52606d}
.legend{display:flex;flex-wrap:wrap;gap:4px 18px;margin:10px 0 0;padding:0;list-style:none;font-size:13px}
.sw{display:inline-block;width:20px;height:5px;border-radius:3px;margin-right:7px;vertical-align:middle}
.scroll{overflow-x:auto}
table{width:100%;border-collapse:collapse;background:#fff;border:1px solid #d9dee4;font-variant-numeric:tabular-nums}
th,td{padding:7px 9px;border-bottom:1px solid #e4e7eb;text-align:left;vertical-align:top}
th{background:#e9edf1;font-size:12px;font-weight:600;color:#3e4c59}
tbody tr:nth-child(even){background:#f9fafb}
td.name{min-width:16em;max-width:26em;overflow-wrap:anywhere;font-weight:600}
.t,.n{white-space:nowrap}
.n{text-align:right}
.none{color:#9aa5b1}
.bad,.failed td{color:#b42318}
a{color:#1f5fae}
</style>
)";

// In place of a value that is not known: an em dash.
constexpr std::string_view kNone = "<span class=\"none\">\xE2\x80\x94</span>";

// A count with its thousands apart: 16,000.
void AppendCount(std::string& out, std::int64_t count) {
  std::string digits;
  AppendInteger(digits, count);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0 && digits[i - 1] != '-') out += ',';
    out += digits[i];
  }
}

void AppendShare(std::string& out, std::int64_t part, std::int64_t whole) {
  if (part == whole || part == 0) AppendInteger(out, part == 0 ? 0 : 100);
  else AppendFixed(out, 100.0 * static_cast<double>(part) / static_cast<double>(whole), 1);
  out += '%';
}

// An intensity in a width a table column can take: one decimal, or three
// significant digits and a power of ten for a wild value.
void AppendIntensity(std::string& out, double value) {
  if (std::fabs(value) < 1e7) return AppendFixed(out, value, 1);
  int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  double mantissa = value / std::pow(10.0, exponent);
  if (std::fabs(std::round(mantissa * 100)) >= 1000) {
    mantissa /= 10;
    ++exponent;
  }
  AppendFixed(out, mantissa, 2);
  out += 'e';
  AppendInteger(out, exponent);
}

// low to high as one value when they read alike, then the unit.
void AppendRange(std::string& out, const ValueRange& range, int decimals, std::string_view unit) {
  if (!range.any) {
    out += kNone;
    return;
  }
  std::string low, high;
  AppendFixed(low, range.low, decimals);
  AppendFixed(high, range.high, decimals);
  out += low;
  if (high != low) out += "\xE2\x80\x93" + high;  // an en dash
  out += unit;
}

void AppendCell(std::string& out, std::string_view type, std::string_view html) {
  out.append("<td class=\"").append(type).append("\">").append(html).append("</td>");
}

// First to last, the last without the date when it is the first's.
void AppendTimeCell(std::string& out, std::string_view first, std::string_view last) {
  std::string text;
  if (first.empty() && last.empty()) text = kNone;
  AppendXmlText(text, first);
  std::size_t day = first.find(' ') + 1;  // 0 without a date
  if (last != first) {
    if (day > 0 && last.substr(0, day) == first.substr(0, day)) last.remove_prefix(day);
    text += " \xE2\x80\x93 ";
    AppendXmlText(text, last);
  }
  AppendCell(out, "t", text);
}

void AppendLink(std::string& out, std::string_view path, std::string_view text) {
  out += "<a href=\"";
  AppendUrlPath(out, path);
  out.append("\">").append(text).append("</a>");
}

// The scan's name, free to break after a folder separator.
void AppendName(std::string& out, std::string_view name) {
  for (std::size_t at = 0; at < name.size();) {
    std::size_t end = std::min(name.find_first_of("/\\", at), name.size() - 1) + 1;
    AppendXmlText(out, name.substr(at, end - at));
    if (end < name.size()) out += "<wbr>";
    at = end;
  }
}

void AppendSwatch(std::string& out, int colour) {
  out.append("<span class=\"sw\" style=\"background:").append(TrackColour(colour));
  out += "\"></span>";
}

// What a scan whose table was read says, after its name.
void AppendValueCells(std::string& out, const ScanSummary& summary) {
  AppendTimeCell(out, summary.first_time, summary.last_time);
  std::string cells[6];
  AppendCount(cells[0], summary.spectra);
  if (summary.spectra > 0) AppendShare(cells[1], summary.track_points, summary.spectra);
  else cells[1] = kNone;
  AppendRange(cells[2], summary.exposure, 0, " ms");
  AppendRange(cells[3], summary.solar_zenith, 1, "\xC2\xB0");
  if (summary.highest.any) AppendIntensity(cells[4], summary.highest.high);
  else cells[4] = kNone;
  AppendCount(cells[5], summary.nonfinite);
  for (int i = 0; i < 6; ++i) AppendCell(out, i == 5 && summary.nonfinite > 0 ? "n bad" : "n", cells[i]);
}

// Links to the scan's files where the page may link to them.
void AppendFilesCell(std::string& out, const CampaignScan& scan, const ScanSummary& summary,
                     const std::string& base) {
  out += "<td>";
  if (IsInsideWorkingFolder(scan.output_folder)) {
    AppendLink(out, base + "svg", "picture");
    out += " \xC2\xB7 ";  // a middle dot
    AppendLink(out, base + "csv", "table");
    if (summary.track_points > 0) {
      out += " \xC2\xB7 ";
      AppendLink(out, base + "kml", "KML");
      out += " \xC2\xB7 ";
      AppendLink(out, base + "geojson", "GeoJSON");
    }
  } else {
    AppendXmlText(out, scan.output_folder);
  }
  out += "</td>";
}

// Why a scan has no values: its run failed, or its table could not be read.
void AppendFailureCell(std::string& out, const CampaignScan& scan, const std::string& base) {
  out += "<td colspan=\"8\">";
  if (scan.converted) {
    out += "Converted, but its table ";
    AppendXmlText(out, base + "csv");
    out += " could not be read";
  } else {
    std::string_view line = scan.failure;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    out += "Failed: ";
    AppendXmlText(out, line);
  }
  out += "</td>";
}

void AppendScanRow(std::string& out, const CampaignScan& scan, const ScanSummary& summary) {
  std::string base = scan.output_folder + BareName(scan.name) + '.';
  out += summary.readable ? "<tr>" : "<tr class=\"failed\">";
  out += "<td class=\"name\">";
  if (summary.colour >= 0) AppendSwatch(out, summary.colour);
  AppendName(out, scan.name);
  out += "</td>";
  if (summary.readable) {
    AppendValueCells(out, summary);
    AppendFilesCell(out, scan, summary, base);
  } else {
    AppendFailureCell(out, scan, base);
  }
  out += "</tr>\n";
}

// True for the start of a date the table wrote in ISO form, which sorts as text.
bool IsIsoTime(std::string_view time) {
  return time.size() >= 10 && time[4] == '-' && time[7] == '-' &&
         time.substr(0, 4).find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

bool IsInsideWorkingFolder(std::string_view folder) {
  if (!folder.empty() && (folder[0] == '/' || (kWindowsNames && folder[0] == '\\'))) return false;
  if (kWindowsNames && folder.find(':') != std::string_view::npos) return false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= folder.size(); ++i) {
    if (i < folder.size() && folder[i] != '/' && !(kWindowsNames && folder[i] == '\\')) continue;
    // "..", and what Windows reads as it: dots with trailing dots or blanks.
    std::string_view step = folder.substr(start, i - start);
    if (step.find_first_not_of(". ") == std::string_view::npos && step.find("..") == 0)
      return false;
    start = i + 1;
  }
  return true;
}

void AppendPageHead(std::string& out, const std::vector<ScanSummary>& summaries) {
  std::int64_t converted = 0, spectra = 0, points = 0;
  std::string first, last;
  for (const ScanSummary& summary : summaries) {
    if (!summary.readable) continue;
    ++converted;
    spectra += summary.spectra;
    points += summary.track_points;
    if (IsIsoTime(summary.first_time) && (first.empty() || summary.first_time < first))
      first = summary.first_time;
    if (IsIsoTime(summary.last_time) && summary.last_time > last) last = summary.last_time;
  }
  out +=
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>Campaign overview</title>\n";
  out += kStyle;
  out += "</head>\n<body>\n<main>\n<h1>Campaign overview</h1>\n<p class=\"summary\">";
  AppendCount(out, static_cast<std::int64_t>(summaries.size()));
  out += summaries.size() == 1 ? " scan: " : " scans: ";
  AppendCount(out, converted);
  out += " converted, ";
  AppendCount(out, static_cast<std::int64_t>(summaries.size()) - converted);
  out += " failed. ";
  AppendCount(out, spectra);
  out += spectra == 1 ? " spectrum, " : " spectra, ";
  AppendCount(out, points);
  out += " with a GPS position";
  if (spectra > 0) {
    out += " (";
    AppendShare(out, points, spectra);
    out += ')';
  }
  if (!first.empty() && !last.empty()) {
    out += ", from ";
    AppendXmlText(out, first);
    out += " to ";
    AppendXmlText(out, last);
  }
  out += ".</p>\n<figure>\n";
}

void AppendNoMap(std::string& out) { out += "<p class=\"nomap\">No scan has a GPS position.</p>\n"; }

void AppendPageRest(std::string& out, const std::vector<CampaignScan>& scans,
                    const std::vector<ScanSummary>& summaries) {
  // The legend of the map: the scans with a track, in their colours.
  bool map = std::any_of(summaries.begin(), summaries.end(),
                         [](const ScanSummary& summary) { return summary.colour >= 0; });
  if (map) out += "<ul class=\"legend\">\n";
  for (std::size_t i = 0; map && i < scans.size(); ++i) {
    if (summaries[i].colour < 0) continue;
    out += "<li>";
    AppendSwatch(out, summaries[i].colour);
    AppendXmlText(out, scans[i].name);
    out += "</li>\n";
  }
  if (map) out += "</ul>\n";
  out +=
      "</figure>\n<div class=\"scroll\">\n<table>\n<thead><tr><th>Scan</th><th>Spectra taken</th>"
      "<th class=\"n\">Spectra</th><th class=\"n\">With GPS</th><th class=\"n\">Exposure</th>"
      "<th class=\"n\">Solar zenith</th><th class=\"n\">Highest value</th>"
      "<th class=\"n\">Not finite</th><th>Files</th></tr></thead>\n<tbody>\n";
  for (std::size_t i = 0; i < scans.size(); ++i) AppendScanRow(out, scans[i], summaries[i]);
  out += "</tbody>\n</table>\n</div>\n</main>\n</body>\n</html>\n";
}

}  // namespace vulconv
