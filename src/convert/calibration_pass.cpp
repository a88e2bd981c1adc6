#include "convert/calibration_pass.h"

#include <cstdio>

#include "input/binary_file.h"
#include "input/file_names.h"
#include "convert/record_pipeline.h"
#include "system/console.h"
#include "system/write_batch.h"

namespace vulconv {

namespace {

struct CalibrationPass {
  const std::string* file_name;
  StdKind kind;
  const char* part;   // name part in the old file structure
  const char* label;  // of the closing console line
};

void RunPass(const CalibrationPass& pass, const FirstSpectrumTime& first, RunOutputs& outputs) {
  const OutputPlan& plan = outputs.plan;
  SpectrumFile file = OpenSpectrumFile(*pass.file_name);
  BeginBinaryFile(outputs,
                  CalibrationStdFileNamePrefix(*pass.file_name, pass.part, plan.structure,
                                               plan.output.folder, plan.output.stamp),
                  file.count);
  std::int64_t next = 0;
  auto produce = [&](RecordJob& job) {
    OutputRecord& r = job.record;
    if (!ReadNextSpectrum(file, r.record)) return false;
    job.has_record = true;
    r.kind = pass.kind;
    r.info.index = next++;
    r.info.date = first.date;
    r.info.time = first.time;
    r.info.scans = plan.coadded_scans;
    r.info.exposure = plan.exposure_time;
    FormatRecord(*outputs.writer, plan, outputs.format, r, job.texts);
    return true;
  };
  RunRecordPipeline(produce, [&](RecordJob& job) { WriteRecord(outputs, job.record, job.texts); });
  CloseSpectrumFile(file);
  EndBinaryFile(outputs);
  CommitBatch(*outputs.writer);
  PrintRunLine(*outputs.writer, "Extracted " + std::to_string(outputs.write.written) + " std files from " +
            pass.label + " bin.");
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

void ExtractCalibrationSpectra(const CalibrationNames& names, const FirstSpectrumTime& first,
                               RunOutputs& outputs) {
  const CalibrationPass passes[] = {
      {&names.ref, StdKind::Ref, "_ref.bin.", "REF"},
      {&names.dark, StdKind::Dark, "_dark.bin.", "DARK"},
      {&names.high, StdKind::High, "_high.bin.", "HIGH"},
      {&names.low, StdKind::Low, "_low.bin.", "LOW"},
  };
  for (const CalibrationPass& pass : passes) RunPass(pass, first, outputs);
}

}  // namespace vulconv
