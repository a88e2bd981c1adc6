// Any bytes as a parameter file, read both from the file and from the text:
// the two readers must agree.
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz_check.h"
#include "input/parameter_file.h"

namespace vulconv::fuzz {
namespace {

char scratch_folder[] = "/tmp/vulconv_fuzz_params_XXXXXX";

void RemoveScratch() {
  unlink((std::string(scratch_folder) + "/scan.params").c_str());
  rmdir(scratch_folder);
}

// One scratch file for the whole process, in a folder of its own.
const std::string& ScratchFile() {
  static const std::string name = [] {
    if (mkdtemp(scratch_folder) == nullptr) std::abort();
    std::atexit(RemoveScratch);
    return std::string(scratch_folder) + "/scan.params";
  }();
  return name;
}

bool Same(const ParameterInfo& a, const ParameterInfo& b) {
  return a.reference_info == b.reference_info && a.dark_line == b.dark_line &&
         a.low_line == b.low_line && a.high_line == b.high_line && a.ref_line == b.ref_line &&
         a.exposure_time == b.exposure_time && a.coadded_scans == b.coadded_scans;
}

}  // namespace
}  // namespace vulconv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vulconv;
  std::string_view text = fuzz::AsText(data, size);
  ParameterInfo parsed = ParseParameterText(text);
  if (!parsed.reference_info) {
    FUZZ_CHECK(parsed.dark_line.empty() && parsed.low_line.empty());
    FUZZ_CHECK(parsed.high_line.empty() && parsed.ref_line.empty());
  }
  {
    std::ofstream out(fuzz::ScratchFile(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  FUZZ_CHECK(fuzz::Same(ReadParameterFile(fuzz::ScratchFile()), parsed));
  return 0;
}
