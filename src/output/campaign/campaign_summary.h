// What the campaign page says of one scan, gathered from its table's rows
// in one pass: a fixed amount per scan whatever its length.
#ifndef VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_SUMMARY_H_
#define VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_SUMMARY_H_

#include <cstdint>
#include <string>

#include "output/campaign/campaign_table.h"

namespace vulconv {

/// A range of values seen; empty until the first.
struct ValueRange {
  bool any = false;
  double low = 0, high = 0;
};

void AddToRange(ValueRange& range, double value);

struct ScanSummary {
  bool readable = false;  // converted, and its table read to its end
  TableColumns columns;   // of its table
  int colour = -1;        // its track's place in the palette; -1: no track
  std::int64_t spectra = 0, track_points = 0, nonfinite = 0;
  std::string first_time, last_time;  // date and time of its first and last spectrum
  ValueRange exposure, solar_zenith, highest;
};

/// Counts a row of the scan's table in; only its scan spectra count.
void AddToSummary(ScanSummary& summary, const TableRow& row);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_SUMMARY_H_
