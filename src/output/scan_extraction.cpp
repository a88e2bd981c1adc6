#include "output/scan_extraction.h"

#include <cmath>
#include <cstdio>

#include "input/binary_file.h"
#include "input/file_names.h"
#include "system/console.h"

namespace vulconv {

std::string StdFileNamePrefix(FileStructure kind, const std::string& output_folder,
                              const std::string& scan_file_name, const std::string& stamp) {
  if (kind == FileStructure::New) return output_folder + BareName(scan_file_name) + ".";
  return output_folder + "scan_" + stamp + ".bin.";
}

std::string StdFileName(FileStructure kind, const std::string& output_folder,
                        const std::string& scan_file_name, const std::string& stamp,
                        std::int64_t index) {
  std::string name;
  SetStdFileName(name, StdFileNamePrefix(kind, output_folder, scan_file_name, stamp), index);
  return name;
}

bool PositionKnown(const SpectrumTimePosition& place) {
  return place.gps_fields && std::isfinite(place.altitude) && std::fabs(place.latitude) <= 90 &&
         std::fabs(place.longitude) <= 180;
}

FirstSpectrumTime ExtractScanSpectra(std::int64_t announced_count, ScanTextFile& text,
                                     RunOutputs& outputs) {
  const OutputPlan& plan = outputs.plan;
  PrintLine("Extracting " + std::to_string(announced_count) +
            " STD files. This could take some time, please be patient...");
  std::fflush(stdout);
  SpectrumFile file = OpenSpectrumFile(plan.scan_file_name);
  BeginBinaryFile(outputs,
                  StdFileNamePrefix(plan.structure, plan.output.folder, plan.scan_file_name,
                                    plan.output.stamp),
                  file.count);
  FirstSpectrumTime first;
  OutputRecord r;
  r.kind = StdKind::Scan;
  r.info.scans = plan.coadded_scans;
  r.info.exposure = plan.exposure_time;
  RecordTexts texts;
  for (std::int64_t i = 0; i < file.count; ++i) {
    ParsedSpectrumLine parsed = ParseSpectrumLine(ReadScanTextLine(text), i);
    if (!parsed.notice.empty()) PrintLine(parsed.notice);
    SpectrumTimePosition& place = parsed.value;
    if (i == 0) first = {place.date, place.time};
    // A file that shrank since it was opened ends the pass at its last
    // whole record.
    if (!ReadNextSpectrum(file, r.record)) break;
    r.info.index = i;
    r.info.date = std::move(place.date);
    r.info.time = std::move(place.time);
    r.info.longitude = place.longitude;
    r.info.latitude = place.latitude;
    r.info.altitude = place.altitude;
    r.info.elevation = place.elevation;
    r.info.user_param = place.user_param;
    r.has_position = PositionKnown(place);
    r.has_angles = place.angle_fields;
    FormatRecord(plan, outputs.format, r, texts);
    WriteRecord(outputs, texts);
  }
  CloseSpectrumFile(file);
  EndBinaryFile(outputs);
  CommitWrittenFiles();
  PrintLine("Extracted " + std::to_string(outputs.write.written) + " std files from bin.");
  std::fflush(stdout);
  return first;
}

}  // namespace vulconv
