#include "output/campaign/campaign_table.h"

#include <algorithm>

#include "input/text_numbers.h"
#include "output/shared/text_escape.h"
#include "system/files.h"

namespace vulconv {

namespace {

constexpr std::size_t kChunk = 1 << 16;
// Far longer than any row the program writes, even with the longest names.
constexpr std::size_t kMaxRow = 1 << 20;

// The next byte, or -1 at the end of the data (or of what could be read).
int NextByte(TableReader& table) {
  if (table.at == table.chunk.size()) {
    if (table.fd < 0 || table.left == 0 || table.failed) return -1;
    table.chunk.resize(static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(kChunk), table.left)));
    table.at = 0;
    if (ReadBytes(table.fd, table.chunk.data(), table.chunk.size()) != table.chunk.size()) {
      table.failed = true;  // shorter than it was when opened, or a read error
      table.chunk.clear();
      return -1;
    }
    table.left -= static_cast<std::int64_t>(table.chunk.size());
  }
  return static_cast<unsigned char>(table.chunk[table.at++]);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipDigits(std::string_view text, std::size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

}  // namespace

bool OpenTable(TableReader& table, const std::string& path) {
  table = TableReader{};
  table.fd = OpenRegularFile(path);
  if (table.fd < 0) return false;
  table.left = OpenFileSize(table.fd);
  return ReadTableRow(table, table.header) && !table.failed;
}

TableReader TableFromText(std::string text) {
  TableReader table;
  table.chunk = std::move(text);
  return table;
}

bool ReadTableRow(TableReader& table, TableRow& row) {
  enum { kStart, kPlain, kQuoted, kAfterQuote } state = kStart;
  std::string field;
  std::size_t fields = 0, bytes = 0;
  // The field's text joins the row; the row's strings are reused.
  auto end_field = [&] {
    if (fields == row.size()) row.emplace_back();
    row[fields].clear();
    AppendValidUtf8(row[fields++], field);
    field.clear();
    state = kStart;
  };
  int c = NextByte(table);
  if (c < 0) return false;
  for (; c >= 0; c = NextByte(table)) {
    if (++bytes > kMaxRow) {
      table.failed = true;
      return false;
    }
    if (state == kQuoted) {
      if (c == '"') state = kAfterQuote;
      else field += static_cast<char>(c);
      continue;
    }
    if (state == kAfterQuote && c == '"') {  // a doubled quote
      field += '"';
      state = kQuoted;
    } else if (state == kStart && c == '"') {
      state = kQuoted;
    } else if (c == ',') {
      end_field();
    } else if (c == '\n') {
      if (!field.empty() && field.back() == '\r') field.pop_back();
      break;
    } else {
      // The rest of a plain field at once, up to the end of the chunk.
      std::size_t end = table.at;
      while (end < table.chunk.size() && table.chunk[end] != ',' && table.chunk[end] != '\n' &&
             table.chunk[end] != '"')
        ++end;
      field += static_cast<char>(c);
      field.append(table.chunk, table.at, end - table.at);
      bytes += end - table.at;
      table.at = end;
      state = kPlain;
      if (bytes > kMaxRow) {
        table.failed = true;
        return false;
      }
    }
  }
  if (table.failed) return false;
  end_field();
  row.resize(fields);
  return true;
}

void CloseTable(TableReader& table) {
  if (table.fd >= 0) CloseFile(table.fd);
  table.fd = -1;
}

TableColumns FindColumns(const TableRow& header) {
  TableColumns columns;
  const std::pair<std::string_view, int*> names[] = {
      {"file", &columns.file},          {"source", &columns.source},
      {"record", &columns.record},      {"date", &columns.date},
      {"time", &columns.time},          {"latitude", &columns.latitude},
      {"longitude", &columns.longitude}, {"altitude", &columns.altitude},
      {"elevation", &columns.elevation}, {"exposure", &columns.exposure},
      {"exposure_ms", &columns.exposure}, {"solar_zenith", &columns.solar_zenith},
      {"pixel_max", &columns.pixel_max}, {"nonfinite_pixels", &columns.nonfinite}};
  for (std::size_t i = 0; i < header.size(); ++i) {
    for (const auto& [name, column] : names) {
      if (header[i] == name) *column = static_cast<int>(i);
    }
  }
  return columns;
}

std::string_view Field(const TableRow& row, int column) {
  if (column < 0 || static_cast<std::size_t>(column) >= row.size()) return {};
  return row[static_cast<std::size_t>(column)];
}

bool ParseNumber(std::string_view text, double& value) {
  std::size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
  std::size_t end = SkipDigits(text, start);
  if (end == start || (end - start > 1 && text[start] == '0')) return false;
  if (end < text.size()) {
    if (text[end] != '.' || SkipDigits(text, end + 1) != text.size() || end + 1 == text.size())
      return false;
  }
  value = LeadingDecimal(text);
  return true;
}

bool ReadTrackPoint(const TableRow& row, const TableColumns& columns, TrackPoint& point) {
  double altitude = 0;
  return Field(row, columns.source) == "scan" &&
         ParseNumber(Field(row, columns.latitude), point.latitude) &&
         ParseNumber(Field(row, columns.longitude), point.longitude) &&
         ParseNumber(Field(row, columns.altitude), altitude);
}

}  // namespace vulconv
