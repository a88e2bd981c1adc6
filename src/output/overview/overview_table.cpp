#include "output/overview/overview_table.h"

#include "time/civil_date.h"
#include "output/shared/number_text.h"
#include "output/shared/text_escape.h"

namespace vulconv {

bool AppendIsoDate(std::string& out, std::string_view date) {
  CalendarDate day;
  if (!ParseDateText(date, day)) return false;
  AppendPadded(out, day.year, 4);
  out += '-';
  AppendPadded(out, day.month, 2);
  out += '-';
  AppendPadded(out, day.day, 2);
  return true;
}

bool AppendIsoDateTime(std::string& out, std::string_view date, std::string_view time) {
  ClockTime clock;
  if (!ParseTimeText(time, clock) || !AppendIsoDate(out, date)) return false;
  out += 'T';
  AppendPadded(out, clock.hour, 2);
  out += ':';
  AppendPadded(out, clock.minute, 2);
  out += ':';
  // xs:dateTime and the readers of the track have no leap second.
  AppendPadded(out, clock.second == 60 ? 59 : clock.second, 2);
  out += 'Z';
  return true;
}

void AppendTableHeader(std::string& out) {
  out +=
      "file,source,record,date,time,latitude,longitude,altitude,elevation,user_param,"
      "exposure_ms,scans,solar_zenith,pixel_min,pixel_max,pixel_mean,nonfinite_pixels\r\n";
}

void AppendTableRow(std::string& out, const OverviewRow& row) {
  AppendCsvField(out, row.std_name);
  out += ',';
  AppendCsvField(out, row.source);
  out += ',';
  AppendInteger(out, row.record);
  out += ',';
  if (row.date != "//" && !AppendIsoDate(out, row.date)) AppendCsvField(out, row.date);
  out += ',';
  if (row.time != "::") AppendCsvField(out, row.time);
  for (double value : {row.latitude, row.longitude, row.altitude}) {
    out += ',';
    if (row.has_position) AppendDoubleText(out, value);
  }
  for (double value : {row.elevation, row.user_param}) {
    out += ',';
    if (row.has_angles) AppendDoubleText(out, value);
  }
  // The reader gives 0 for an exposure or a count of scans that no
  // parameter line gave: no instrument has either.
  for (std::int32_t value : {row.exposure, row.scans}) {
    out += ',';
    if (value != 0) AppendInteger(out, value);
  }
  out += ',';
  if (row.has_solar) out += AngleText(row.solar_zenith);
  out += ',';
  if (row.stats.any_finite) AppendFloatText(out, row.stats.minimum);
  out += ',';
  if (row.stats.any_finite) AppendFloatText(out, row.stats.maximum);
  out += ',';
  if (row.stats.any_finite) AppendDoubleText(out, row.stats.mean);
  out += ',';
  AppendInteger(out, row.stats.nonfinite);
  out += "\r\n";
}

}  // namespace vulconv
