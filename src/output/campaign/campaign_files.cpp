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

CampaignOutput OpenOutput(FileWriter& writer, const std::string& path) {
  return CampaignOutput{OpenStreamFile(writer, path), {}};
}

void Put(CampaignOutput& output, bool all = false) {
  if (output.text.size() < kPiece && !all) return;
  AppendStreamFile(output.file, output.text);
  output.text.clear();
}

void CloseOutput(CampaignOutput& output) {
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

// Every row of the scan into campaign.csv, its columns put where the
// first table had them; its points into the tracks.
void WriteRows(CampaignRowFiles& out, const CampaignScan& scan, const ScanSummary& summary,
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
void WriteLines(CampaignRowFiles& out, const CampaignScan& scan, const ScanSummary& summary,
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

// Opens the three row files once; a file that cannot be made is named in
// campaign.unmade, and the campaign is left until its end.
void OpenRowFiles(FileWriter& writer, CampaignFiles& campaign) {
  if (campaign.open || !campaign.unmade.empty()) return;
  StartOutputFolder(writer, "");
  CampaignRowFiles& out = campaign.rows;
  for (auto [output, name] : {std::pair{&out.csv, "campaign.csv"}, {&out.kml, "campaign.kml"},
                              {&out.geojson, "campaign.geojson"}}) {
    if (!TryOpenStreamFile(writer, name, output->file)) {
      campaign.unmade = name;
      return;
    }
  }
  AppendKmlHead(out.kml.text);
  AppendGeoJsonHead(out.geojson.text);
  campaign.open = true;
}

void AddRows(CampaignRowFiles& out, const CampaignScan& scan, const ScanSummary& summary) {
  if (!summary.readable) return;
  std::string name;
  AppendValidUtf8(name, scan.name);
  if (summary.colour >= 0) AppendKmlFolderHead(out.kml.text, name);
  WriteRows(out, scan, summary, name);
  if (summary.track_points >= 2) WriteLines(out, scan, summary, name);
  if (summary.colour >= 0) AppendKmlFolderTail(out.kml.text);
}

void CloseRowFiles(CampaignRowFiles& out) {
  if (out.header.empty()) out.csv.text += "scan\r\n";
  AppendKmlTail(out.kml.text);
  AppendGeoJsonTail(out.geojson.text);
  CloseOutput(out.csv);
  CloseOutput(out.kml);
  CloseOutput(out.geojson);
}

void WriteMapTrack(CampaignOutput& page, const MapView& view, const CampaignScan& scan,
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
  CampaignOutput page = OpenOutput(writer, "campaign.html");
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

void AddCampaignScan(CampaignFiles& campaign, FileWriter& writer, const CampaignScan& scan) {
  // Opened with the first scan, after its run; a file that cannot be made
  // fails the batch only at its end, once every scan was converted and
  // printed as without --overview.
  OpenRowFiles(writer, campaign);
  if (!campaign.open) return;
  campaign.scans.push_back(scan);
  campaign.summaries.push_back(Summarize(scan, campaign.extent, campaign.colours));
  AddRows(campaign.rows, scan, campaign.summaries.back());
}

void EndCampaignFiles(CampaignFiles& campaign, FileWriter& writer) {
  OpenRowFiles(writer, campaign);
  if (!campaign.open) FailWriting(writer, "Could not create", campaign.unmade);
  CloseRowFiles(campaign.rows);
  WritePage(writer, campaign.scans, campaign.summaries, campaign.extent);
  CommitBatch(writer);
}

}  // namespace vulconv
