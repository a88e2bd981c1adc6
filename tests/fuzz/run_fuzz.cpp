// A whole run of the built program, in a child process, on a scan folder
// built from the input. The run must end with a status of its own, change
// nothing outside the output folder it announces, and leave no STD file
// half written.
#include <fcntl.h>
#include <signal.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "input/calibration_location.h"
#include "input/file_names.h"
#include "input/parameter_file.h"
#include "input/scan_text.h"
#include "input/text_lines.h"
#include "output/output_folder.h"

namespace fs = std::filesystem;

namespace vulconv::fuzz {
namespace {

// The input: a head part, then the parameter file, the scan text file and
// the bytes that fill the records, each part after a 0x1e byte. A part
// that is not there makes no file.
struct RunInput {
  std::uint8_t flags = 0;   // kFlag... bits; the low two are the scan's record count
  std::uint8_t counts = 0;  // two bits per calibration file: its record count
  std::string scan_name;
  std::optional<std::string> params;
  std::optional<std::string> text;
  std::string pattern;      // repeated through every record
};

constexpr std::uint8_t kFlagScanTail = 1 << 2;      // a partial record after the last
constexpr std::uint8_t kFlagTextIsFolder = 1 << 3;  // a folder where the text file would be
constexpr std::uint8_t kFlagParamsIsFolder = 1 << 4;
constexpr std::uint8_t kFlagOutputIsFile = 1 << 5;  // a file where the output folder would be
constexpr std::uint8_t kFlagSizeLimit = 1 << 6;     // a file-size limit for the run
constexpr std::uint8_t kFlagNoCalibration = 1 << 7;

std::optional<RunInput> Decode(std::string_view data) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= data.size(); ++i) {
    if (i == data.size() || data[i] == '\x1e') {
      parts.push_back(data.substr(start, i - start));
      start = i + 1;
    }
  }
  if (parts[0].size() < 2) return std::nullopt;
  RunInput in;
  in.flags = static_cast<std::uint8_t>(parts[0][0]);
  in.counts = static_cast<std::uint8_t>(parts[0][1]);
  in.scan_name = parts[0].substr(2, 200);
  // An argument cannot hold a NUL; without line feeds in names, the console
  // lines can be told apart.
  for (char& c : in.scan_name) {
    if (c == '\0' || c == '\n') c = '_';
  }
  if (in.scan_name.empty()) in.scan_name = "SCAN_20120514_1031.bin";
  if (parts.size() > 1) in.params = std::string(parts[1]);
  if (parts.size() > 2) in.text = std::string(parts[2]);
  if (parts.size() > 3) in.pattern = std::string(parts[3].substr(0, 64));
  return in;
}

// The harness itself only makes files below the working folder.
bool IsSafePath(const std::string& name) {
  if (name.empty() || name[0] == '/') return false;
  for (const auto& part : fs::path(name)) {
    if (part == "..") return false;
  }
  return true;
}

void MakeFile(const std::string& name, const std::string& bytes) {
  if (!IsSafePath(name)) return;
  std::error_code ec;
  fs::path path(name);
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
  std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
}

void MakeFolder(const std::string& name) {
  std::error_code ec;
  if (IsSafePath(name)) fs::create_directories(name, ec);
}

std::string Records(int count, const RunInput& in, bool tail) {
  std::string bytes(static_cast<std::size_t>(count) * 8192 + (tail ? 100 : 0), '\0');
  for (std::size_t i = 0; !in.pattern.empty() && i < bytes.size(); ++i) {
    bytes[i] = in.pattern[i % in.pattern.size()];
  }
  return bytes;
}

// The whole of a regular file; nothing for anything else.
std::optional<std::string> RegularFileBytes(const std::string& name) {
  std::error_code ec;
  if (!fs::is_regular_file(name, ec)) return std::nullopt;
  std::ifstream file(name, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// Builds the folder in the working folder (the current one) and returns
// the output folder name the program should announce.
std::string BuildFolder(const RunInput& in) {
  const std::string& scan = in.scan_name;
  MakeFile(scan, Records(in.flags & 3, in, in.flags & kFlagScanTail));
  if (in.flags & kFlagParamsIsFolder) MakeFolder(ParameterFileName(scan));
  else if (in.params) MakeFile(ParameterFileName(scan), *in.params);
  if (in.flags & kFlagTextIsFolder) MakeFolder(MakeScanTextName(scan));
  else if (in.text) MakeFile(MakeScanTextName(scan), *in.text);
  // The first candidate of each search is the one made.
  ParameterInfo params =
      ParseParameterText(RegularFileBytes(ParameterFileName(scan)).value_or(""));
  CalibrationNames names =
      FindCalibrationFiles(scan, params, [](const std::string&) { return true; }).names;
  if (!(in.flags & kFlagNoCalibration)) {
    const std::string* all[] = {&names.dark, &names.low, &names.high, &names.ref};
    for (int i = 0; i < 4; ++i) MakeFile(*all[i], Records(in.counts >> (2 * i) & 3, in, false));
  }
  std::string output;
  if (FileStructureOf(scan) == FileStructure::New) {
    output = NewOutputFolderName(scan);
  } else {
    std::string text = RegularFileBytes(MakeScanTextName(scan)).value_or("");
    std::size_t pos = 0;
    std::string stamp = FolderStampFromLine(NextTextLine(text, pos));
    output = FolderPart(scan) + (stamp.empty() ? FallbackFolderStamp(scan) : stamp);
  }
  if (in.flags & kFlagOutputIsFile) MakeFile(output, "taken");
  return output;
}

// Every entry below root, by path relative to it: "d" for a folder, "f"
// and the bytes for a file, "l" and the target for a link.
using Tree = std::map<std::string, std::string>;

Tree Snapshot(const fs::path& root) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string& value = tree[fs::relative(entry.path(), root).generic_string()];
    if (entry.is_symlink()) {
      value = 'l';
      value += fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      value = 'd';
    } else if (entry.is_regular_file()) {
      value = 'f';
      value += *RegularFileBytes(entry.path());
    } else {
      value = 'o';
    }
  }
  return tree;
}

struct ChildResult {
  int status = -1;  // exit status; -1 when a signal ended it
  std::string out;
  std::string err;
};

std::string ReadAll(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string bytes;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
  return bytes;
}

ChildResult RunProgram(const std::string& scan, const std::string& cwd, bool size_limit) {
  // posix_spawn, not fork: copying the sanitized fuzzer's mappings for each
  // run would cost more than the run. The child's environment holds the
  // sanitizers' settings only.
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  if (!out || !err) std::abort();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fileno(out), 1);
  posix_spawn_file_actions_adddup2(&actions, fileno(err), 2);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  const char* argv[] = {"vulconv", scan.c_str(), nullptr};
  const char* envp[] = {"ASAN_OPTIONS=abort_on_error=1:detect_leaks=1",
                        "UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1",
                        nullptr};
  // The child takes the file-size limit with it (and SIGXFSZ ignored, so
  // that a write past it fails instead of killing the run); the fuzzer
  // writes nothing while it holds the limit.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = 25000;  // between the sizes of short and long STD files
  signal(SIGXFSZ, SIG_IGN);
  std::fflush(stdout);
  if (size_limit) setrlimit(RLIMIT_FSIZE, &limited);
  pid_t pid = -1;
  int spawned = posix_spawn(&pid, VULCONV_EXE, &actions, nullptr, const_cast<char**>(argv),
                            const_cast<char**>(envp));
  if (size_limit) setrlimit(RLIMIT_FSIZE, &saved);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) std::abort();
  // A run that hangs is ended after 10 s, and counts as a crash.
  int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  pollfd ended{pidfd, POLLIN, 0};
  if (pidfd >= 0 && poll(&ended, 1, 10000) == 0) kill(pid, SIGKILL);
  if (pidfd >= 0) close(pidfd);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  ChildResult result;
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  result.out = ReadAll(out);
  result.err = ReadAll(err);
  std::fclose(out);
  std::fclose(err);
  if (!WIFEXITED(wstatus)) {
    std::fprintf(stderr, "run ended by signal %d\n%s", WTERMSIG(wstatus), result.err.c_str());
  }
  return result;
}

std::string LastLine(const std::string& out) {
  std::size_t end = out.size() - (out.ends_with('\n') ? 1 : 0);
  std::size_t start = out.rfind('\n', end == 0 ? 0 : end - 1);
  return out.substr(start == std::string::npos ? 0 : start + 1);
}

// The announced output folder; nothing when the run ended before it.
std::optional<std::string> AnnouncedFolder(const std::string& out) {
  const std::string marker = "\nmaking dir: \"";
  std::size_t at = out.find(marker);
  if (at == std::string::npos) return std::nullopt;
  std::size_t end = out.find("\"\n", at + marker.size());
  FUZZ_CHECK(end != std::string::npos);
  return out.substr(at + marker.size(), end - at - marker.size());
}

bool IsWholeStdFile(const std::string& bytes) {
  std::size_t lines = 0;
  for (char c : bytes) lines += c == '\n';
  return bytes.starts_with("GDBGMNUP\r\n1\r\n2048\r\n") && bytes.ends_with("\r\n") &&
         (lines == 2066 || lines == 2069);
}

void CheckRun(const std::string& expected_folder, const Tree& before, const Tree& after,
              const std::string& work, const ChildResult& run) {
  FUZZ_CHECK(run.status == 1 || run.status == 255);
  FUZZ_CHECK(run.err.empty());
  std::string last = LastLine(run.out);
  if (run.status == 255) {
    FUZZ_CHECK(last.starts_with("Could not open ") || last.starts_with("Could not create ") ||
               last.starts_with("Could not write "));
    FUZZ_CHECK(last.ends_with("\r\n"));
  } else {
    FUZZ_CHECK(last.starts_with("Extracted ") && last.ends_with(" std files from LOW bin.\n"));
  }
  std::optional<std::string> folder = AnnouncedFolder(run.out);
  if (folder) FUZZ_CHECK(*folder == expected_folder);
  std::string inside = folder ? (fs::path(work) / *folder).lexically_normal().generic_string()
                              : std::string("\n");  // no path is inside
  auto is_inside = [&](const std::string& key) {
    return key == inside || key.starts_with(inside + "/");
  };
  for (const auto& [key, value] : before) {
    auto it = after.find(key);
    if (it == after.end() || it->second != value) FUZZ_CHECK(is_inside(key));
  }
  for (const auto& [key, value] : after) {
    auto it = before.find(key);
    if (it != before.end() && it->second == value) continue;
    FUZZ_CHECK(is_inside(key));
    if (value[0] == 'f') FUZZ_CHECK(IsWholeStdFile(value.substr(1)));
  }
  if (last.starts_with("Could not write ")) {
    std::string name = last.substr(16, last.size() - 18);
    FUZZ_CHECK(!after.contains((fs::path(work) / name).lexically_normal().generic_string()));
  }
}

// The scratch root, made once; each input gets a fresh tree below it, with
// the working folder a few levels down, so that a write to a parent shows.
char scratch_root[] = "/tmp/vulconv_fuzz_run_XXXXXX";

void RemoveScratchRoot() {
  std::error_code ec;
  fs::remove_all(scratch_root, ec);
}

const char* ScratchRoot() {
  static bool made = false;
  if (!made) {
    if (mkdtemp(scratch_root) == nullptr) std::abort();
    std::atexit(RemoveScratchRoot);
    made = true;
  }
  return scratch_root;
}

}  // namespace
}  // namespace vulconv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vulconv::fuzz;
  std::optional<RunInput> in = Decode(AsText(data, size));
  if (!in || !IsSafePath(in->scan_name)) return 0;
  const fs::path root = ScratchRoot();
  const std::string work = "a/b/c/work";
  std::error_code ec;
  fs::remove_all(root / "a", ec);
  fs::create_directories(root / work);
  fs::path home = fs::current_path();
  fs::current_path(root / work);
  std::string expected_folder = BuildFolder(*in);
  fs::current_path(home);

  Tree before = Snapshot(root);
  ChildResult run = RunProgram(in->scan_name, (root / work).string(), in->flags & kFlagSizeLimit);
  Tree after = Snapshot(root);
  if (in->scan_name == "--help" || in->scan_name == "-h" || in->scan_name == "--version") {
    FUZZ_CHECK(run.status == 0 && before == after);
  } else {
    CheckRun(expected_folder, before, after, work, run);
  }
  fs::remove_all(root / "a", ec);
  return 0;
}
