// A scan's overview table (RFC 4180) read row by row, in pieces of fixed
// size, so that a table of any length takes the same memory; and the
// columns the campaign files take from it, found by their header names.
#ifndef VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_TABLE_H_
#define VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_TABLE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vulconv {

/// A table being read: from an open file, or from text for tests.
struct TableReader {
  int fd = -1;               // -1: text only
  std::int64_t left = 0;     // bytes of the file not read yet
  std::string chunk;         // bytes read, not parsed yet from at on
  std::size_t at = 0;
  bool failed = false;       // unreadable, or a row beyond any the program writes
  std::vector<std::string> header;
};

using TableRow = std::vector<std::string>;

/// Opens the table at path and reads its header; false when it cannot be
/// opened or read, or has no header.
bool OpenTable(TableReader& table, const std::string& path);

/// A reader of text held in memory (no header read).
TableReader TableFromText(std::string text);

/// The next row, its fields unquoted and made valid UTF-8 (U+FFFD for each
/// byte that is not); false at the end, or with failed set when the file
/// could not be read to its end.
bool ReadTableRow(TableReader& table, TableRow& row);

void CloseTable(TableReader& table);

/// Where the columns the campaign files use stand in a row; -1 for a
/// column the header lacks, whose fields read as empty.
struct TableColumns {
  int file = -1, source = -1, record = -1, date = -1, time = -1;
  int latitude = -1, longitude = -1, altitude = -1, elevation = -1;
  int exposure = -1, solar_zenith = -1, pixel_max = -1, nonfinite = -1;
};

/// The columns of a header; the exposure under either of its names.
TableColumns FindColumns(const TableRow& header);

/// The field at column, empty when the row has none there.
std::string_view Field(const TableRow& row, int column);

/// A decimal number as the table writes finite values: [-]digits[.digits]
/// without leading zeros, which JSON takes as it is. False for anything
/// else (empty, "nan", "inf", "007").
bool ParseNumber(std::string_view text, double& value);

/// A spectrum of the scan with a known, finite position: a point of its
/// track.
struct TrackPoint {
  double longitude = 0, latitude = 0;
};
bool ReadTrackPoint(const TableRow& row, const TableColumns& columns, TrackPoint& point);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_TABLE_H_
