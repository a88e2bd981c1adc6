#include "output/scan_extraction.h"

#include <cstdio>

#include "system/console.h"
#include "input/file_names.h"
#include "input/line_parse.h"
#include "input/binary_file.h"
#include "output/std_writer.h"
#include "system/safe_write.h"

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

void ExtractScanSpectra(ConversionContext& ctx) {
  std::printf("Extracting %lld STD files. This could take some time, please be patient...\n",
              static_cast<long long>(ctx.spectrum_count));
  std::fflush(stdout);
  SpectrumFile file = OpenSpectrumFile(ctx.scan_file_name);
  SpectrumRecord record;
  StdSpectrumInfo info;
  info.scans = ctx.params.coadded_scans;
  info.exposure = ctx.params.exposure_time;
  // The names differ only in the record number: one string, reused.
  const std::string prefix =
      StdFileNamePrefix(ctx.structure, ctx.output.folder, ctx.scan_file_name, ctx.output.stamp);
  std::string name;
  std::int64_t written = 0;
  for (std::int64_t i = 0; i < file.count; ++i) {
    ParsedSpectrumLine parsed = ParseSpectrumLine(ReadScanTextLine(ctx.scan_text), i);
    if (!parsed.notice.empty()) PrintLine(parsed.notice);
    if (i == 0) {
      ctx.first_date = parsed.value.date;
      ctx.first_time = parsed.value.time;
    }
    // A file that shrank since it was opened ends the pass at its last
    // whole record.
    if (!ReadNextSpectrum(file, record)) break;
    info.index = i;
    info.date = std::move(parsed.value.date);
    info.time = std::move(parsed.value.time);
    info.longitude = parsed.value.longitude;
    info.latitude = parsed.value.latitude;
    info.altitude = parsed.value.altitude;
    info.elevation = parsed.value.elevation;
    info.user_param = parsed.value.user_param;
    SetStdFileName(name, prefix, i);
    WriteStdFile(name, StdKind::Scan, record, info);
    ++written;
  }
  CloseSpectrumFile(file);
  CommitWrittenFiles();  // the pass's files are named before it reports them
  std::printf("Extracted %lld std files from bin.\n", static_cast<long long>(written));
  std::fflush(stdout);
}

}  // namespace vulconv
