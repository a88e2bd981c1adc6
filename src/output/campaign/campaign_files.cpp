#include "output/campaign/campaign_files.h"

#include "input/file_names.h"
#include "output/campaign/campaign_map.h"
#include "output/campaign/campaign_page.h"
#include "output/campaign/campaign_summary.h"
#include "output/campaign/campaign_table.h"
#include "output/campaign/campaign_track.h"
#include "output/shared/text_escape.h"
#include "system/stream_file.h"

namespace vulconv {

namespace {

// Pieces gather in a string and go to their file once it holds this much.
constexpr std::size_t kPiece = 1 << 16;

// A file being written and what waits for it.
struct Output {
  StreamFile file;
  std::string text;
};

Output OpenOutput(FileWriter& writer, const std::string& path) {
  return Output{OpenStreamFile(writer, path), {}};
}

void Put(Output& output, bool all = false) {
  if (output.text.size() < kPiece && !all) return;
  AppendStreamFile(output.file, output.text);
  output.text.clear();
}

void CloseOutput(Output& output) {
  Put(output, true);
  CloseStreamFile(output.file);
}

std::string TablePath(const CampaignScan& scan) {
  return scan.output_folder + BareName(scan.name) + ".csv";
}

// The scan's table read from its start, after the header; false when it
// cannot be opened.
bool OpenScanTable(TableReader& table, const CampaignScan& scan) {
  if (OpenTable(table, TablePath(scan))) return true;
  CloseTable(table);
  return false;
}

// What the page says of the scan, and its points in the map's extent when
// its table can be read to the end; nothing of it otherwise.
ScanSummary Summarize(const CampaignScan& scan, MapExtent& extent, int& colours) {
  ScanSummary summary;
  TableReader table;
  if (!scan.converted || !OpenScanTable(table, scan)) return summary;
  summary.columns = FindColumns(table.header);
  MapExtent with_scan = extent;
  LongitudeUnwrap unwrap;
  TableRow row;
  TrackPoint point;
  while (ReadTableRow(table, row)) {
    AddToSummary(summary, row);
    if (ReadTrackPoint(row, summary.columns, point)) AddToExtent(with_scan, unwrap, point);
  }
  CloseTable(table);
  summary.readable = !table.failed;
  if (!summary.readable) return ScanSummary{};
  extent = with_scan;
  if (summary.track_points > 0) summary.colour = colours++;
  return summary;
}

// The three files that take the scans' rows and points.
struct RowOutputs {
  Output csv, kml, geojson;
  TableRow header;  // of the first table read: campaign.csv's after "scan"
  bool any_feature = false;
};

// Every row of the scan into campaign.csv, its columns put where the
// first table had them; its points into the tracks.
void WriteRows(RowOutputs& out, const CampaignScan& scan, const ScanSummary& summary,
               const std::string& name) {
  TableReader table;
  if (!OpenScanTable(table, scan)) return;
  if (out.header.empty()) {
    out.header = table.header;
    out.csv.text += "scan";
    for (const std::string& column : out.header) {
      out.csv.text += ',';
      AppendCsvField(out.csv.text, column);
    }
    out.csv.text += "\r\n";
  }
  std::vector<int> at(out.header.size(), -1);
  for (std::size_t i = 0; i < out.header.size(); ++i) {
    for (std::size_t j = 0; j < table.header.size(); ++j) {
      if (table.header[j] == out.header[i]) at[i] = static_cast<int>(j);
    }
  }
  TableRow row;
  TrackPoint point;
  while (ReadTableRow(table, row)) {
    AppendCsvField(out.csv.text, name);
    for (int column : at) {
      out.csv.text += ',';
      AppendCsvField(out.csv.text, Field(row, column));
    }
    out.csv.text += "\r\n";
    Put(out.csv);
    if (summary.colour < 0 || !ReadTrackPoint(row, summary.columns, point)) continue;
    AppendKmlPoint(out.kml.text, row, summary.columns, summary.colour);
    AppendGeoJsonPoint(out.geojson.text, row, summary.columns, name, !out.any_feature);
    out.any_feature = true;
    Put(out.kml);
    Put(out.geojson);
  }
  CloseTable(table);
}

// The line through the scan's points, in both track files at once.
void WriteLines(RowOutputs& out, const CampaignScan& scan, const ScanSummary& summary,
                const std::string& name) {
  TableReader table;
  if (!OpenScanTable(table, scan)) return;
  AppendKmlLineHead(out.kml.text, summary.colour);
  AppendGeoJsonLineHead(out.geojson.text, name, summary.colour);
  TableRow row;
  TrackPoint point;
  bool first = true;
  while (ReadTableRow(table, row)) {
    if (!ReadTrackPoint(row, summary.columns, point)) continue;
    AppendKmlCoordinate(out.kml.text, row, summary.columns);
    AppendGeoJsonCoordinate(out.geojson.text, row, summary.columns, first);
    first = false;
    Put(out.kml);
    Put(out.geojson);
  }
  CloseTable(table);
  AppendKmlLineTail(out.kml.text);
  AppendGeoJsonLineTail(out.geojson.text);
}

void WriteRowFiles(FileWriter& writer, const std::vector<CampaignScan>& scans,
                   const std::vector<ScanSummary>& summaries) {
  RowOutputs out;
  out.csv = OpenOutput(writer, "campaign.csv");
  out.kml = OpenOutput(writer, "campaign.kml");
  out.geojson = OpenOutput(writer, "campaign.geojson");
  AppendKmlHead(out.kml.text);
  AppendGeoJsonHead(out.geojson.text);
  for (std::size_t i = 0; i < scans.size(); ++i) {
    const ScanSummary& summary = summaries[i];
    if (!summary.readable) continue;
    std::string name;
    AppendValidUtf8(name, scans[i].name);
    if (summary.colour >= 0) AppendKmlFolderHead(out.kml.text, name);
    WriteRows(out, scans[i], summary, name);
    if (summary.track_points >= 2) WriteLines(out, scans[i], summary, name);
    if (summary.colour >= 0) AppendKmlFolderTail(out.kml.text);
  }
  if (out.header.empty()) out.csv.text += "scan\r\n";
  AppendKmlTail(out.kml.text);
  AppendGeoJsonTail(out.geojson.text);
  CloseOutput(out.csv);
  CloseOutput(out.kml);
  CloseOutput(out.geojson);
}

void WriteMapTrack(Output& page, const MapView& view, const CampaignScan& scan,
                   const ScanSummary& summary) {
  TableReader table;
  if (!OpenScanTable(table, scan)) return;
  std::string_view colour = TrackColour(summary.colour);
  MapTrack track;
  StartMapTrack(page.text, track, summary.track_points, colour);
  TableRow row;
  TrackPoint point;
  while (ReadTableRow(table, row)) {
    if (ReadTrackPoint(row, summary.columns, point)) AddMapPoint(page.text, track, view, point);
    else if (Field(row, summary.columns.source) == "scan") AddMapGap(track);
    Put(page);
  }
  CloseTable(table);
  EndMapTrack(page.text, track, colour, scan.name);
}

void WritePage(FileWriter& writer, const std::vector<CampaignScan>& scans,
               const std::vector<ScanSummary>& summaries, const MapExtent& extent) {
  Output page = OpenOutput(writer, "campaign.html");
  AppendPageHead(page.text, summaries);
  if (extent.points > 0) {
    MapView view = MakeMapView(extent);
    AppendMapHead(page.text, view);
    for (std::size_t i = 0; i < scans.size(); ++i) {
      if (summaries[i].colour >= 0) WriteMapTrack(page, view, scans[i], summaries[i]);
    }
    AppendMapTail(page.text);
  } else {
    AppendNoMap(page.text);
  }
  AppendPageRest(page.text, scans, summaries);
  CloseOutput(page);
}

}  // namespace

void WriteCampaignFiles(FileWriter& writer, const std::vector<CampaignScan>& scans) {
  std::vector<ScanSummary> summaries;
  MapExtent extent;
  int colours = 0;
  for (const CampaignScan& scan : scans) summaries.push_back(Summarize(scan, extent, colours));
  StartOutputFolder(writer, "");
  WriteRowFiles(writer, scans, summaries);
  WritePage(writer, scans, summaries, extent);
  CommitBatch(writer);
}

}  // namespace vulconv
