// Any bytes as a parameter file: read from a file and from the text, it
// gives the same.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "fuzz_check.h"
#include "input/parameter_file.h"

namespace {

// One scratch file for the process, removed when it ends.
struct Scratch {
  std::string name = std::filesystem::temp_directory_path() /
                     ("vulconv_fuzz_" + std::to_string(getpid()) + ".params");
  ~Scratch() { std::remove(name.c_str()); }
} scratch;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vulconv;
  std::string text(reinterpret_cast<const char*>(data), size);
  std::ofstream(scratch.name, std::ios::binary) << text;
  ParameterInfo a = ParseParameterText(text), b = ReadParameterFile(scratch.name);
  FUZZ_CHECK(a.reference_info == b.reference_info && a.exposure_time == b.exposure_time &&
             a.coadded_scans == b.coadded_scans && a.dark_line == b.dark_line &&
             a.low_line == b.low_line && a.high_line == b.high_line && a.ref_line == b.ref_line);
  FUZZ_CHECK(a.reference_info || (a.dark_line + a.low_line + a.high_line + a.ref_line).empty());
  return 0;
}
