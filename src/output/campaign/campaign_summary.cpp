#include "output/campaign/campaign_summary.h"

#include <algorithm>

namespace vulconv {

namespace {

// A hostile text file can make a date field thousands of bytes long; the
// page shows the start of it.
constexpr std::size_t kMaxTimeText = 64;

void SetTime(std::string& time, std::string_view date, std::string_view clock) {
  time.assign(date.substr(0, kMaxTimeText));
  if (!date.empty() && !clock.empty()) time += ' ';
  time.append(clock.substr(0, kMaxTimeText));
}

}  // namespace

void AddToRange(ValueRange& range, double value) {
  range.low = range.any ? std::min(range.low, value) : value;
  range.high = range.any ? std::max(range.high, value) : value;
  range.any = true;
}

void AddToSummary(ScanSummary& summary, const TableRow& row) {
  const TableColumns& columns = summary.columns;
  if (Field(row, columns.source) != "scan") return;
  ++summary.spectra;
  TrackPoint point;
  if (ReadTrackPoint(row, columns, point)) ++summary.track_points;
  std::string_view date = Field(row, columns.date), time = Field(row, columns.time);
  if (!date.empty() || !time.empty()) {
    if (summary.first_time.empty()) SetTime(summary.first_time, date, time);
    SetTime(summary.last_time, date, time);
  }
  double value = 0;
  if (ParseNumber(Field(row, columns.exposure), value)) AddToRange(summary.exposure, value);
  if (ParseNumber(Field(row, columns.solar_zenith), value)) AddToRange(summary.solar_zenith, value);
  if (ParseNumber(Field(row, columns.pixel_max), value)) AddToRange(summary.highest, value);
  if (ParseNumber(Field(row, columns.nonfinite), value))
    summary.nonfinite += static_cast<std::int64_t>(value);
}

}  // namespace vulconv
