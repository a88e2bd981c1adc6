// The overview files of --overview: a table row per STD file, the track of
// the scan's GPS positions (KML and GeoJSON) and a picture of its spectra,
// named after the scan's own name in the output folder.
//
// The table and the track are streamed; the line through the track's
// points is kept in scratch files until its file ends, and the picture
// keeps a fixed amount per pixel: memory does not grow with the scan.
#ifndef VULCONV_OUTPUT_OVERVIEW_OVERVIEW_FILES_H_
#define VULCONV_OUTPUT_OVERVIEW_OVERVIEW_FILES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "output/shared/output_record.h"
#include "output/overview/overview_picture.h"
#include "system/stream_file.h"
#include "system/write_batch.h"

namespace vulconv {

/// One record's pieces of the overview files; empty where it has none.
struct OverviewTexts {
  std::string row;
  std::string kml_point, kml_coordinate;
  std::string geojson_point, geojson_coordinate;
};

/// What formatting carries from record to record.
struct OverviewFormat {
  std::int64_t points = 0;  // track points formatted
};

/// The overview files open during the run.
struct OverviewFiles {
  FileWriter* writer = nullptr;
  std::string base;  // the output folder and the scan's own name, with "."
  std::string scan_name;
  bool table_open = false;
  StreamFile table;
  bool track_open = false;
  StreamFile kml, kml_line, geojson, geojson_line;  // the lines in scratch files
  std::int64_t points = 0;  // track points written
  // Kept by the writing thread, which waits for the formatting one in runs
  // with options.
  PictureState picture;
};

/// Names the files after the scan in the output folder (with its
/// separator) and prepares the picture for the announced scan records.
void StartOverview(OverviewFiles& files, FileWriter& writer, const std::string& output_folder,
                   const std::string& scan_file_name, std::int64_t announced);

/// Formats the record's pieces; std_name is its STD file's own name.
void FormatOverview(OverviewFormat& format, const OutputRecord& record,
                    std::string_view std_name, const SpectrumFacts& facts, OverviewTexts& texts);

/// Writes the record's pieces (opening the table with the first) and adds
/// its spectrum to the picture.
void WriteOverview(OverviewFiles& files, const OutputRecord& record, const OverviewTexts& texts);

/// After the scan's records: ends the track files; false when no record had
/// a position, and no track file was made: those an earlier run left are
/// removed then.
bool EndOverviewTrack(OverviewFiles& files);

/// After the last record: writes the picture and ends the table.
void FinishOverview(OverviewFiles& files, std::string_view date, std::string_view time);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_OVERVIEW_OVERVIEW_FILES_H_
