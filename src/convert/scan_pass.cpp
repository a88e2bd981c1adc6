#include "convert/scan_pass.h"

#include <cmath>
#include <cstdio>

#include "input/binary_file.h"
#include "input/file_names.h"
#include "convert/record_pipeline.h"
#include "system/console.h"
#include "system/write_batch.h"

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
  PrintRunLine(*outputs.writer, "Extracting " + std::to_string(announced_count) +
            " STD files. This could take some time, please be patient...");
  std::fflush(stdout);
  SpectrumFile file = OpenSpectrumFile(plan.scan_file_name);
  BeginRunOutputs(outputs, file.count);
  BeginBinaryFile(outputs,
                  StdFileNamePrefix(plan.structure, plan.output.folder, plan.scan_file_name,
                                    plan.output.stamp),
                  file.count);
  FirstSpectrumTime first;
  std::int64_t next = 0;
  bool ended = false;
  auto produce = [&](RecordJob& job) {
    if (ended || next >= file.count) return false;
    ParsedSpectrumLine parsed = ParseSpectrumLine(ReadScanTextLine(text), next);
    job.notice = std::move(parsed.notice);
    SpectrumTimePosition& place = parsed.value;
    if (next == 0) first = {place.date, place.time};
    OutputRecord& r = job.record;
    // A file that shrank since it was opened ends the pass at its last
    // whole record.
    job.has_record = ReadNextSpectrum(file, r.record);
    if (!job.has_record) {
      ended = true;
      return true;
    }
    r.kind = StdKind::Scan;
    r.info.index = next++;
    r.info.date = std::move(place.date);
    r.info.time = std::move(place.time);
    r.info.scans = plan.coadded_scans;
    r.info.exposure = plan.exposure_time;
    r.info.longitude = place.longitude;
    r.info.latitude = place.latitude;
    r.info.altitude = place.altitude;
    r.info.elevation = place.elevation;
    r.info.user_param = place.user_param;
    r.has_position = PositionKnown(place);
    r.has_angles = place.angle_fields;
    FormatRecord(*outputs.writer, plan, outputs.format, r, job.texts);
    return true;
  };
  RunRecordPipeline(produce, [&](RecordJob& job) {
    if (!job.notice.empty()) PrintRunLine(*outputs.writer, job.notice);
    if (job.has_record) WriteRecord(outputs, job.record, job.texts);
  });
  CloseSpectrumFile(file);
  EndBinaryFile(outputs);
  bool track = EndScanOutputs(outputs);
  CommitBatch(*outputs.writer);
  PrintRunLine(*outputs.writer, "Extracted " + std::to_string(outputs.write.written) + " std files from bin.");
  if (!track) PrintRunLine(*outputs.writer, "No spectrum of the scan has a GPS position: no track files written.");
  std::fflush(stdout);
  return first;
}

}  // namespace vulconv
