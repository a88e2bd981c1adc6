#include "output/overview/overview_files.h"

#include "input/file_names.h"
#include "output/overview/overview_table.h"
#include "output/overview/overview_track.h"
#include "output/overview/pixel_stats.h"
#include "system/files.h"

namespace vulconv {

namespace {

std::string_view SourceName(StdKind kind) {
  switch (kind) {
    case StdKind::Scan: return "scan";
    case StdKind::Ref: return "ref";
    case StdKind::Dark: return "dark";
    case StdKind::High: return "high";
    case StdKind::Low: return "low";
  }
  return "scan";
}

// The table is opened with the run's first record, after its STD file, or
// at its end when no binary file had a record: a run that cannot write
// says so of its first STD file, as it does without --overview.
void OpenTable(OverviewFiles& files) {
  std::string head;
  AppendTableHeader(head);
  files.table = OpenStreamFile(*files.writer, files.base + "csv");
  AppendStreamFile(files.table, head);
  files.table_open = true;
}

void OpenTrack(OverviewFiles& files) {
  std::string head;
  AppendKmlHead(head, files.scan_name);
  files.kml = OpenStreamFile(*files.writer, files.base + "kml");
  AppendStreamFile(files.kml, head);
  files.kml_line = OpenScratchFile(*files.writer, files.kml.path);
  head.clear();
  AppendGeoJsonHead(head, files.scan_name);
  files.geojson = OpenStreamFile(*files.writer, files.base + "geojson");
  AppendStreamFile(files.geojson, head);
  files.geojson_line = OpenScratchFile(*files.writer, files.geojson.path);
  files.track_open = true;
}

// The line through the points, when there are two or more, and the tail.
void EndTrackFile(StreamFile& file, StreamFile& line, bool with_line, std::string head,
                  std::string tail) {
  if (with_line) {
    AppendStreamFile(file, head);
    AppendScratchFile(file, line);
  } else {
    DiscardStreamFile(line);
  }
  AppendStreamFile(file, tail);
  CloseStreamFile(file);
}

}  // namespace

void StartOverview(OverviewFiles& files, FileWriter& writer, const std::string& output_folder,
                   const std::string& scan_file_name, std::int64_t announced) {
  files.writer = &writer;
  files.scan_name = BareName(scan_file_name);
  files.base = output_folder + files.scan_name + ".";
  StartPicture(files.picture, announced);
}

void FormatOverview(OverviewFormat& format, const OutputRecord& record,
                    std::string_view std_name, const SpectrumFacts& facts, OverviewTexts& texts) {
  const StdSpectrumInfo& info = record.info;
  const float* pixels = record.record.pixels.data();
  OverviewRow row;
  row.std_name = std_name;
  row.source = SourceName(record.kind);
  row.record = info.index;
  row.date = info.date;
  row.time = info.time;
  row.has_position = record.has_position;
  row.latitude = info.latitude;
  row.longitude = info.longitude;
  row.altitude = info.altitude;
  row.has_angles = record.has_angles;
  row.elevation = info.elevation;
  row.user_param = info.user_param;
  row.exposure = info.exposure;
  row.scans = info.scans;
  row.has_solar = facts.has_solar;
  row.solar_zenith = facts.solar.zenith;
  row.stats = ComputePixelStats(pixels, record.record.pixels.size());
  texts.row.clear();
  AppendTableRow(texts.row, row);
  texts.kml_point.clear();
  texts.kml_coordinate.clear();
  texts.geojson_point.clear();
  texts.geojson_coordinate.clear();
  if (record.kind == StdKind::Scan && IsTrackPoint(row)) {
    bool first = format.points++ == 0;
    AppendKmlPoint(texts.kml_point, row);
    AppendKmlCoordinate(texts.kml_coordinate, row);
    AppendGeoJsonPoint(texts.geojson_point, row, first);
    AppendGeoJsonCoordinate(texts.geojson_coordinate, row, first);
  }
}

void WriteOverview(OverviewFiles& files, const OutputRecord& record, const OverviewTexts& texts) {
  AddPictureSpectrum(files.picture, record.kind, record.info.index, record.record.pixels.data());
  if (!files.table_open) OpenTable(files);
  AppendStreamFile(files.table, texts.row);
  if (texts.kml_point.empty()) return;
  if (!files.track_open) OpenTrack(files);
  AppendStreamFile(files.kml, texts.kml_point);
  AppendStreamFile(files.kml_line, texts.kml_coordinate);
  AppendStreamFile(files.geojson, texts.geojson_point);
  AppendStreamFile(files.geojson_line, texts.geojson_coordinate);
  ++files.points;
}

bool EndOverviewTrack(OverviewFiles& files) {
  if (!files.track_open) {
    // An earlier run's track beside this run's table would describe
    // another run.
    for (const char* suffix : {"kml", "geojson"}) {
      std::string name = files.base + suffix;
      if (!RemoveName(name)) FailWriting(*files.writer, "Could not write", name);
    }
    return false;
  }
  files.track_open = false;
  bool with_line = files.points >= 2;
  std::string head, tail;
  AppendKmlLineHead(head);
  AppendKmlTail(tail, with_line);
  EndTrackFile(files.kml, files.kml_line, with_line, head, tail);
  head.clear();
  tail.clear();
  AppendGeoJsonLineHead(head);
  AppendGeoJsonTail(tail, with_line);
  EndTrackFile(files.geojson, files.geojson_line, with_line, head, tail);
  return true;
}

void FinishOverview(OverviewFiles& files, std::string_view date, std::string_view time) {
  std::string svg;
  AppendPictureSvg(svg, files.picture, files.scan_name, date, time);
  WriteWholeFile(*files.writer, files.base + "svg", svg.data(), svg.size());
  if (!files.table_open) OpenTable(files);
  CloseStreamFile(files.table);
}

}  // namespace vulconv
