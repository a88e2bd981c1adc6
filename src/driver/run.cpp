#include "driver/run.h"

#include <cstdio>
#include <string_view>

#include "system/console.h"
#include "driver/batch.h"
#include "driver/command_line.h"
#include "driver/context.h"
#include "system/exit_status.h"
#include "system/cleanup.h"
#include "system/write_batch.h"
#include "input/calibration_location.h"
#include "input/file_names.h"
#include "input/parameter_file.h"
#include "input/scan_text.h"
#include "input/binary_file.h"
#include "convert/calibration_pass.h"
#include "convert/output_folder.h"
#include "convert/scan_pass.h"

namespace vulconv {

namespace {

constexpr std::string_view kUsage =
    "\n"
    "vulconv can be used to convert Vulcora binary files to STD (ASCII) files.\n"
    "Usage:  vulconv <ScanFileName>\n"
    "<ScanFileName> is the file name of the binary scan file to extract.\n"
    "These files typically have the format SCAN_yyyymmdd_hhmm.bin\n"
    "The associated Cal_*.*, *.params and *.txt files should also be present\n"
    "in the directory, as the CAL_ files will also be extracted and the\n"
    "GPS time and location information is read from txt file.\n"
    "\n";

void Convert(ConversionContext& ctx) {
  ctx.spectrum_count = CheckScanFile(ctx.scan_file_name);
  ctx.scan_folder = FolderPart(ctx.scan_file_name);
  ctx.parameter_file_name = ParameterFileName(ctx.scan_file_name);
  PrintLine("Reading spectrum parameters from ", ctx.parameter_file_name);
  ctx.params = ReadParameterFile(ctx.parameter_file_name);
  ctx.calibration = LocateCalibrationFiles(ctx.scan_file_name, ctx.params);
  ctx.scan_text = OpenScanTextFile(ctx.scan_file_name);
  ctx.structure = DetectFileStructure(ctx.scan_file_name);
  ctx.output = MakeOutputFolder(ctx.scan_file_name, ctx.structure, ctx.scan_text);
  FileWriter writer;
  StartOutputFolder(writer, ctx.output.folder);
  RunOutputs outputs;
  outputs.writer = &writer;
  outputs.plan = {ctx.scan_file_name, ctx.structure,          ctx.output,
                  ctx.params.exposure_time, ctx.params.coadded_scans, ctx.choice};
  ctx.first = ExtractScanSpectra(ctx.spectrum_count, ctx.scan_text, outputs);
  ExtractCalibrationSpectra(ctx.calibration, ctx.first, outputs);
  EndRunOutputs(outputs, ctx.first.date, ctx.first.time);
  CloseScanTextFile(ctx.scan_text);
  // A completed run is reported only once its files are on the device.
  CommitBatch(writer);
  EndFileWriter(writer);
}

}  // namespace

void PrintUsage() { std::fwrite(kUsage.data(), 1, kUsage.size(), stdout); }

int RunConversion(int argc, char** argv) {
  CommandLine line = ParseCommandLine(argc - 1, argv + 1);
  switch (line.kind) {
    case CommandKind::Help:
      PrintUsage();
      std::fputs(kOptionHelp, stdout);
      return kExitHelp;
    case CommandKind::Version:
      PrintLine("vulconv " VULCONV_VERSION);
      return kExitHelp;
    case CommandKind::Usage:
      PrintUsage();
      return kExitCompleted;
    case CommandKind::Batch:
      return RunBatch({line.names, line.choice, line.jobs, argv[0]});
    case CommandKind::Convert:
      break;
  }
  ConversionContext ctx;
  ctx.scan_file_name = line.scan_file_name;
  ctx.choice = line.choice;
  InstallSignalCleanup();
  Convert(ctx);
  return kExitCompleted;
}

}  // namespace vulconv
