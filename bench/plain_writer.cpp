// The benchmark's yardstick: the conversion as it is usually written, with
// the program's own steps for names, parameters and text lines, but every
// STD file written through stdio, one fprintf("%f\r\n") per pixel value.
// Its files differ from vulconv's only where printf rounds an exact half
// to even.
//
//   plain_writer <ScanFileName>
#include <cstdio>
#include <cstdlib>

#include "system/console.h"
#include "driver/context.h"
#include "input/calibration_location.h"
#include "input/file_names.h"
#include "input/line_parse.h"
#include "input/parameter_file.h"
#include "input/scan_text.h"
#include "input/binary_file.h"
#include "convert/calibration_pass.h"
#include "convert/output_folder.h"
#include "convert/scan_pass.h"

namespace vulconv {
namespace {

void WritePlainStd(const std::string& path, const char* label, const SpectrumRecord& record,
                   std::int64_t index, const std::string& date, const std::string& time,
                   const ConversionContext& ctx, const SpectrumTimePosition* place) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::printf("Could not create %s\r\n", path.c_str());
    std::exit(-1);
  }
  std::fprintf(f, "GDBGMNUP\r\n1\r\n2048\r\n");
  for (float v : record.pixels) std::fprintf(f, "%f\r\n", v);
  std::fprintf(f, "VulcoraBin_%s%lld\r\n\r\n\r\n", label, static_cast<long long>(index));
  std::fprintf(f, "%s\r\n%s\r\n%s\r\n333\r\n0\r\n", date.c_str(), time.c_str(), time.c_str());
  std::fprintf(f, "SCANS %d\r\nINT_TIME %d\r\nSITE volcano\r\n", ctx.params.coadded_scans,
               ctx.params.exposure_time);
  if (place) {
    std::fprintf(f, "LONGITUDE %f\r\nLATITUDE %f\r\n", place->longitude, place->latitude);
  } else {
    std::fprintf(f, "LONGITUDE 0.0\r\nLATITUDE 0.0\r\n");
  }
  std::fprintf(f, "NumScans = %d\r\nExposureTime = %d\r\n", ctx.params.coadded_scans,
               ctx.params.exposure_time);
  if (place) {
    std::fprintf(f, "Altitude = %f\r\nElevationAngle = %f\r\nUserParam1 = %f\r\n",
                 place->altitude, place->elevation, place->user_param);
  }
  if (std::fclose(f) != 0) {
    std::printf("Could not write %s\r\n", path.c_str());
    std::exit(-1);
  }
}

void ExtractScan(ConversionContext& ctx) {
  std::printf("Extracting %lld STD files. This could take some time, please be patient...\n",
              static_cast<long long>(ctx.spectrum_count));
  SpectrumFile file = OpenSpectrumFile(ctx.scan_file_name);
  SpectrumRecord record;
  std::int64_t written = 0;
  for (std::int64_t i = 0; i < file.count; ++i) {
    ParsedSpectrumLine parsed = ParseSpectrumLine(ReadScanTextLine(ctx.scan_text), i);
    if (!parsed.notice.empty()) PrintLine(parsed.notice);
    if (i == 0) ctx.first = {parsed.value.date, parsed.value.time};
    if (!ReadNextSpectrum(file, record)) break;
    WritePlainStd(StdFileName(ctx.structure, ctx.output.folder, ctx.scan_file_name,
                              ctx.output.stamp, i),
                  "", record, i, parsed.value.date, parsed.value.time, ctx, &parsed.value);
    ++written;
  }
  CloseSpectrumFile(file);
  std::printf("Extracted %lld std files from bin.\n", static_cast<long long>(written));
}

void ExtractCalibration(const ConversionContext& ctx) {
  struct Pass {
    const std::string& name;
    const char* part;
    const char* label;
  };
  const CalibrationNames& n = ctx.calibration;
  const Pass passes[] = {{n.ref, "_ref.bin.", "REF"},
                         {n.dark, "_dark.bin.", "DARK"},
                         {n.high, "_high.bin.", "HIGH"},
                         {n.low, "_low.bin.", "LOW"}};
  for (const Pass& pass : passes) {
    SpectrumFile file = OpenSpectrumFile(pass.name);
    SpectrumRecord record;
    std::string label = std::string(pass.label) + "_";
    std::int64_t written = 0;
    while (ReadNextSpectrum(file, record)) {
      WritePlainStd(CalibrationStdFileName(pass.name, pass.part, written, ctx.structure,
                                           ctx.output.folder, ctx.output.stamp),
                    label.c_str(), record, written, ctx.first.date, ctx.first.time, ctx,
                    nullptr);
      ++written;
    }
    CloseSpectrumFile(file);
    std::printf("Extracted %lld std files from %s bin.\n", static_cast<long long>(written),
                pass.label);
  }
}

}  // namespace
}  // namespace vulconv

int main(int argc, char** argv) {
  using namespace vulconv;
  if (argc != 2) {
    std::fprintf(stderr, "usage: plain_writer <ScanFileName>\n");
    return 2;
  }
  ConversionContext ctx;
  ctx.scan_file_name = argv[1];
  ctx.spectrum_count = CheckScanFile(ctx.scan_file_name);
  ctx.parameter_file_name = ParameterFileName(ctx.scan_file_name);
  PrintLine("Reading spectrum parameters from ", ctx.parameter_file_name);
  ctx.params = ReadParameterFile(ctx.parameter_file_name);
  ctx.calibration = LocateCalibrationFiles(ctx.scan_file_name, ctx.params);
  ctx.scan_text = OpenScanTextFile(ctx.scan_file_name);
  ctx.structure = DetectFileStructure(ctx.scan_file_name);
  ctx.output = MakeOutputFolder(ctx.scan_file_name, ctx.structure, ctx.scan_text);
  ExtractScan(ctx);
  ExtractCalibration(ctx);
  CloseScanTextFile(ctx.scan_text);
  return 1;
}
