#include "output/calibration_extraction.h"

#include <cstdio>

#include "input/file_names.h"
#include "input/binary_file.h"
#include "output/std_writer.h"
#include "system/safe_write.h"

namespace vulconv {

namespace {

struct CalibrationPass {
  const std::string* file_name;
  StdKind kind;
  const char* part;   // name part in the old file structure
  const char* label;  // of the closing console line
};

void RunPass(const CalibrationPass& pass, const ConversionContext& ctx) {
  SpectrumFile file = OpenSpectrumFile(*pass.file_name);
  SpectrumRecord record;
  StdSpectrumInfo info;
  info.date = ctx.first_date;
  info.time = ctx.first_time;
  info.scans = ctx.params.coadded_scans;
  info.exposure = ctx.params.exposure_time;
  const std::string prefix = CalibrationStdFileNamePrefix(*pass.file_name, pass.part,
                                                          ctx.structure, ctx.output.folder,
                                                          ctx.output.stamp);
  std::string name;
  std::int64_t written = 0;
  while (ReadNextSpectrum(file, record)) {
    info.index = written;
    SetStdFileName(name, prefix, written);
    WriteStdFile(name, pass.kind, record, info);
    ++written;
  }
  CloseSpectrumFile(file);
  CommitWrittenFiles();  // the pass's files are named before it reports them
  std::printf("Extracted %lld std files from %s bin.\n", static_cast<long long>(written),
              pass.label);
  std::fflush(stdout);
}

}  // namespace

std::string CalibrationStdFileNamePrefix(const std::string& calibration_file_name,
                                         const std::string& part, FileStructure kind,
                                         const std::string& output_folder,
                                         const std::string& stamp) {
  if (kind == FileStructure::New) return output_folder + BareName(calibration_file_name) + ".";
  return output_folder + "Cal_" + stamp + part;
}

std::string CalibrationStdFileName(const std::string& calibration_file_name,
                                   const std::string& part, std::int64_t index,
                                   FileStructure kind, const std::string& output_folder,
                                   const std::string& stamp) {
  std::string name;
  SetStdFileName(
      name, CalibrationStdFileNamePrefix(calibration_file_name, part, kind, output_folder, stamp),
      index);
  return name;
}

void ExtractCalibrationSpectra(const ConversionContext& ctx) {
  const CalibrationNames& names = ctx.calibration;
  const CalibrationPass passes[] = {
      {&names.ref, StdKind::Ref, "_ref.bin.", "REF"},
      {&names.dark, StdKind::Dark, "_dark.bin.", "DARK"},
      {&names.high, StdKind::High, "_high.bin.", "HIGH"},
      {&names.low, StdKind::Low, "_low.bin.", "LOW"},
  };
  for (const CalibrationPass& pass : passes) RunPass(pass, ctx);
}

}  // namespace vulconv
