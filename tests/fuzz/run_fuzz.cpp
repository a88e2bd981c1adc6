// A whole run of the built program, in a child process, on a scan folder
// built from the input: it must end with a status of its own, change
// nothing outside the output folder it announces, and leave only whole STD
// files there.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "fuzz_check.h"
#include "input/calibration_location.h"
#include "input/scan_text.h"

namespace fs = std::filesystem;
using namespace vulconv;

static std::string Bytes(const fs::path& file, const char* before = "") {
  std::ostringstream bytes(before, std::ios::ate);
  bytes << std::ifstream(file, std::ios::binary).rdbuf();
  return bytes.str();
}

// Every entry below root: "d" for a folder, "f" and the bytes for a file.
static std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    tree[entry.path().string()] = entry.is_directory() ? "d" : Bytes(entry.path(), "f");
  }
  return tree;
}

// A scratch folder for the process, removed when it ends.
static struct Scratch {
  fs::path root = fs::temp_directory_path() / ("vulconv_fuzz_run_" + std::to_string(getpid()));
  ~Scratch() { fs::remove_all(root); }
} scratch;

// The input: a byte of flags (bits 0-1: the scan's records; 2: a partial
// record after them; 6: a file-size limit; 7: no calibration files), a
// byte of two bits per calibration file's records, the scan name; then the
// parameter file, the scan text file and the bytes repeated through every
// record, each after a 0x1e byte. A part that is not there makes no file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0x1e) parts.emplace_back();
    else parts.back() += static_cast<char>(data[i]);
  }
  if (parts[0].size() < 2) return 0;
  int flags = static_cast<std::uint8_t>(parts[0][0]), counts = static_cast<std::uint8_t>(parts[0][1]);
  std::string scan = parts[0].substr(2, 200);
  std::replace(scan.begin(), scan.end(), '\0', '_');  // an argument holds no NUL, and the
  std::replace(scan.begin(), scan.end(), '\n', '_');  // console lines stay apart
  if (scan.empty()) scan = "SCAN_20120514_1031.bin";
  // A name that reads as an option or the help is given after "--".
  std::string end_of_options = scan.starts_with("--") || scan == "-h" ? "-- " : "";
  std::size_t given = parts.size();
  parts.resize(4);
  parts[3].resize(std::min<std::size_t>(parts[3].size(), 64));

  fs::path top = scratch.root / "a", work = top / "b/c/work";  // a write above work shows too
  fs::remove_all(top);
  fs::create_directories(work);
  auto make = [&](const std::string& name, std::string bytes, int records = -1) {
    fs::path path(name);  // only below the working folder
    if (name.empty() || path.is_absolute() || std::count(path.begin(), path.end(), "..")) return false;
    if (records >= 0) bytes.resize(static_cast<std::size_t>(records) * 8192 + bytes.size());
    for (std::size_t i = 0; records >= 0 && !parts[3].empty() && i < bytes.size(); ++i) {
      bytes[i] = parts[3][i % parts[3].size()];
    }
    std::error_code ec;
    fs::create_directories((work / path).parent_path(), ec);
    std::ofstream(work / path, std::ios::binary) << bytes;
    return true;
  };
  if (!make(scan, std::string(flags & 4 ? 100 : 0, '\0'), flags & 3)) return 0;
  if (given > 1) make(ParameterFileName(scan), parts[1]);
  if (given > 2) make(MakeScanTextName(scan), parts[2]);
  // The calibration files where each search looks first.
  CalibrationNames names =
      FindCalibrationFiles(scan, ParseParameterText(parts[1]), [](auto&) { return true; }).names;
  for (const std::string* name : {&names.dark, &names.low, &names.high, &names.ref}) {
    if (!(flags & 128)) make(*name, "", counts & 3);
    counts >>= 2;
  }

  // A limit between the sizes of short and long STD files makes a write
  // fail (rather than end the run); a run that hangs is ended.
  auto before = Snapshot(top);
  signal(SIGXFSZ, SIG_IGN);
  setenv("SCAN", scan.c_str(), 1);
  std::string out = scratch.root / "out", err = scratch.root / "err";
  int status = WEXITSTATUS(std::system(
      ("cd '" + work.string() + "' && " + (flags & 64 ? "ulimit -f 49 && " : "") +
       "timeout 10 '" VULCONV_EXE "' " + end_of_options + "\"$SCAN\" </dev/null >'" + out +
       "' 2>'" + err + "'").c_str()));
  auto after = Snapshot(top);
  out = Bytes(out);
  std::string last = out.substr(out.rfind('\n', out.size() - 2) + 1);
  FUZZ_CHECK((status == 1 || status == 255) && Bytes(err).empty());
  if (status == 1) FUZZ_CHECK(last.starts_with("Extracted ") && last.ends_with(" LOW bin.\n"));
  else FUZZ_CHECK(last.starts_with("Could not ") && last.ends_with("\r\n"));
  // Changes only in the announced output folder; none when none was announced.
  std::size_t at = out.find("\nmaking dir: \"") + 14;  // npos + 14 wraps to 13
  fs::path folder = work / out.substr(std::min(at, out.size()), out.find("\"\n", at) - at);
  std::string inside = at < 14 ? "\n" : folder.lexically_normal().string();
  auto is_inside = [&](const std::string& name) {
    return name == inside || name.starts_with(inside + "/");
  };
  for (const auto& [name, value] : before) FUZZ_CHECK(is_inside(name) || after[name] == value);
  for (const auto& [name, value] : after) {
    auto lines = std::count(value.begin(), value.end(), '\n');
    if (value.empty() || before[name] == value) continue;  // gone, or as it was
    FUZZ_CHECK(is_inside(name));
    FUZZ_CHECK(value == "d" || (value.starts_with("fGDBGMNUP\r\n1\r\n2048\r\n") &&
                                value.ends_with("\r\n") && (lines == 2066 || lines == 2069)));
  }
  if (last.starts_with("Could not write ")) {  // and that file is not there
    FUZZ_CHECK(!after.contains((work / last.substr(16, last.size() - 18)).lexically_normal()));
  }
  return 0;
}
