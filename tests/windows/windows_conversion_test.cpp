// Whole runs of the cross-built vulconv.exe under Wine: Windows paths, in
// which only the backslash separates folders, the console as a Windows
// program writes it, and every file written compared byte for byte.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "e2e/scan_folder.h"
#include "test_util.h"

namespace vulconv::test {
namespace {

namespace fs = std::filesystem;

const std::string kWine = VULCONV_WINE;
const std::string kWindowsExe = VULCONV_WINDOWS_EXE;

// Why the tests cannot run on this machine; empty when they can.
std::string MissingTool() {
  if (kWindowsExe.empty()) {
    return "no x86_64-w64-mingw32-g++-posix (Debian package g++-mingw-w64-x86-64) was found "
           "when this tree was configured";
  }
  if (kWine.empty()) {
    return "no wine64 (Debian package wine64) was found when this tree was configured";
  }
  if (access(kWindowsExe.c_str(), R_OK) != 0) return kWindowsExe + " was not built";
  return "";
}

// Runs a program to its end with none of our pipes open in it.
void RunQuietly(const std::vector<std::string>& args) {
  pid_t pid = fork();
  if (pid == 0) {
    int null_fd = open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd) dup2(null_fd, fd);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  waitpid(pid, nullptr, 0);
}

// Wine makes its prefix on its first start, which tests that ctest starts
// side by side must not do together. Its server and services stay a while
// after the last program ends; started here, they hold none of the pipes
// that a test reads to their end, and every later start finds them running.
void StartWine() {
  setenv("WINEPREFIX", VULCONV_WINE_PREFIX, 1);
  setenv("WINEDEBUG", "-all", 1);
  setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);  // a new prefix asks for no add-ons
  int lock = open(VULCONV_WINE_PREFIX ".lock", O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  flock(lock, LOCK_EX);
  RunQuietly({VULCONV_WINESERVER, "-p10"});  // fails harmlessly when one is running
  RunQuietly({kWine, kWindowsExe, "--version"});
  close(lock);
}

class Windows : public testing::Test {
 protected:
  void SetUp() override {
    std::string missing = MissingTool();
    if (!missing.empty()) {
      if (std::getenv("VULCONV_REQUIRE_WINDOWS_TESTS")) FAIL() << missing;
      GTEST_SKIP() << missing;
    }
    static bool wine_started = false;
    if (!wine_started) StartWine();
    wine_started = true;
  }
};

ProgramResult RunExe(std::vector<std::string> args, const std::string& cwd) {
  args.insert(args.begin(), kWindowsExe);
  return RunProgram(kWine, args, cwd);
}

// Standard output of a Windows program is in text mode: each "\n" arrives
// as "\r\n", and so a "\r\n" of its own as "\r\r\n".
std::string TextMode(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The Windows name of an absolute POSIX path: Wine's drive Z: is /.
std::string WindowsPath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return "Z:" + path;
}

// The golden case of the POSIX build, with Windows paths.
TEST_F(Windows, NewStructureWithBackslashPaths) {
  // Bare, in a relative folder, and absolute through a drive letter.
  for (std::string prefix : {"", "data\\", "<abs>"}) {
    ScopedTempDir dir;
    std::string folder = prefix.empty() ? "" : "data/";
    if (prefix == "<abs>") prefix = WindowsPath(dir.path) + "\\data\\";
    BuildScanFolder(dir.path, NewStructureScan(folder));
    // A folder is no calibration file, even when its name is the nearer one.
    fs::create_directory(dir / (folder + "Cal_20120514_1010_high.bin"));
    ProgramResult result = RunExe({prefix + "SCAN_20120514_1031.bin"}, dir.path);
    EXPECT_EQ(result.out, TextMode(NewStructureTranscript(prefix)));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 1);
    ExpectFolder(dir / (folder + "20120514_1031"), NewStructureFiles());
  }
}

// The shipped sample converts to the committed files, twice: the second run
// finds its folder made and says nothing more about it.
TEST_F(Windows, SampleScanMatchesTheCommittedOutput) {
  const std::string source = VULCONV_SOURCE_DIR "/examples/";
  ScopedTempDir dir;
  fs::copy(source + "sample", dir.path, fs::copy_options::recursive);
  for (int run = 0; run < 2; ++run) {
    ProgramResult result = RunExe({"SCAN_20240612_0930.bin"}, dir.path);
    ExpectSameBytes(result.out, TextMode(ReadFile(source + "expected/console.txt")), "console");
    EXPECT_EQ(result.status, 1);
    std::vector<std::string> expected_names;
    for (const auto& name : ListFiles(source + "expected")) {
      if (name == "console.txt") continue;
      expected_names.push_back(name);
      ExpectSameBytes(ReadFile(dir / "20240612_0930/" + name),
                      ReadFile(source + "expected/" + name), name);
    }
    EXPECT_EQ(ListFiles(dir / "20240612_0930"), expected_names);
  }
}

// Only the backslash makes the scan folder: a slash is an ordinary
// character of the scan's own name, and a name written with slashes only
// has no scan folder at all. The calibration lines of the parameter file
// are still cut after either separator.
TEST_F(Windows, OnlyTheBackslashSeparatesFolders) {
  const struct {
    std::string scan;        // as given; "<abs>" stands for the test's folder
    std::string scan_file;   // where it lies, below the test's folder
    std::string cal_folder;  // where the calibration files are looked for
    std::string output;      // the output folder made, below the test's folder
  } cases[] = {
      {"data\\flight2.bin", "data/flight2.bin", "data\\", "data\\20120514_1031"},
      {"data\\ab/flight2.bin", "data/ab/flight2.bin", "data\\", "data\\20120514_1031"},
      {"data/SCAN_20120514_1031.bin", "data/SCAN_20120514_1031.bin", "", "20120514_1031"},
      {"<abs>/data/SCAN_20120514_1031.bin", "data/SCAN_20120514_1031.bin", "", "20120514_1031"},
  };
  for (const auto& c : cases) {
    ScopedTempDir dir;
    std::string scan = c.scan;
    if (scan.starts_with("<abs>")) scan = "Z:" + dir.path + scan.substr(5);
    std::string cal_dir = c.cal_folder.empty() ? "" : "data/";
    ScanFolder f;
    f.scan_name = c.scan_file;
    f.records = {{7.0f}};
    f.params = "Vulcora\nC:\\cal\\d.bin\n/cal/l.bin\nh.bin\ncal\\x/r.bin\nignored\n"
               "Scan time 40 msec\nCo-adds 3\n";
    f.text = "1 2012 5 14 10 31 7 x 45 3.25\n";
    f.files = {{cal_dir + "d.bin", {{1.0f}}}, {cal_dir + "l.bin", {{2.0f}}},
               {cal_dir + "h.bin", {{3.0f}}}, {cal_dir + "r.bin", {{4.0f}}}};
    BuildScanFolder(dir.path, f);

    std::string stem = scan.substr(0, scan.rfind('.'));
    std::string cal = c.cal_folder;
    std::string transcript =
        "\nOpening file: " + scan + "\n"
        "Reading spectrum parameters from " + stem + ".params\n"
        "Dark Spectra: " + cal + "d.bin\nLow Cell Spectra: " + cal + "l.bin\n"
        "High Cell Spectra: " + cal + "h.bin\nReference Spectra: " + cal + "r.bin\n"
        "Opening txt file to get times and locations...\n"
        "Reading spectrum time and positions from " + stem + ".txt\n"
        "detected old VULCORA file structure.\n"
        "making dir: \"" + c.output + "\"\n"
        "Extracting 1 STD files. This could take some time, please be patient...\n"
        "opening file: " + scan + "\n" + kNoGps + "\n"
        "Extracted 1 std files from bin.\n"
        "opening file: " + cal + "r.bin\nExtracted 1 std files from REF bin.\n"
        "opening file: " + cal + "d.bin\nExtracted 1 std files from DARK bin.\n"
        "opening file: " + cal + "h.bin\nExtracted 1 std files from HIGH bin.\n"
        "opening file: " + cal + "l.bin\nExtracted 1 std files from LOW bin.\n";
    ProgramResult result = RunExe({scan}, dir.path);
    EXPECT_EQ(result.out, TextMode(transcript)) << c.scan;
    EXPECT_EQ(result.status, 1) << c.scan;

    auto calibration = [](const char* label, const char* pixel) {
      return ExpectedPixels({pixel}) +
             ExpectedCalibrationTrailer(label, 0, "05/14/2012", "10:31:07", 3, 40);
    };
    std::string output = c.output;
    for (char& ch : output) {
      if (ch == '\\') ch = '/';
    }
    ExpectFolder(dir / output,
                 {{"Cal_20120514_1031_dark.bin.000000.std", calibration("DARK", "1.000000")},
                  {"Cal_20120514_1031_high.bin.000000.std", calibration("HIGH", "3.000000")},
                  {"Cal_20120514_1031_low.bin.000000.std", calibration("LOW", "2.000000")},
                  {"Cal_20120514_1031_ref.bin.000000.std", calibration("REF", "4.000000")},
                  {"scan_20120514_1031.bin.000000.std",
                   ExpectedPixels({"7.000000"}) +
                       ExpectedScanTrailer(0, "05/14/2012", "10:31:07", 3, 40, "-0.000000",
                                           "0.000000", "0.000000", "45.000000", "3.250000")}});
  }
}

// What the caller of vulconv.exe sees when a run ends early: -1 arrives as
// 255 through Wine, and the "\r\n" of the message as "\r\r\n".
TEST_F(Windows, ExitStatusesAndConsoleLineEnds) {
  const struct {
    std::vector<std::string> args;
    std::string out_end;
    int status;
  } cases[] = {
      {{}, "GPS time and location information is read from txt file.\r\n\r\n", 1},
      {{"--version"}, "vulconv " VULCONV_TEST_VERSION "\r\n", 0},
      {{"missing.bin"}, "\r\nOpening file: missing.bin\r\nCould not open missing.bin\r\r\n", 255},
      // The C runtime expands no wildcards.
      {{"data\\SCAN_*.bin"},
       "\r\nOpening file: data\\SCAN_*.bin\r\nCould not open data\\SCAN_*.bin\r\r\n", 255},
      {{"data"}, "\r\nOpening file: data\r\nCould not open data\r\r\n", 255},  // a folder
      // The reference file is not found: the name made from the scan's
      // own time, without the folder, cannot be opened either.
      {{"data\\SCAN_20120514_1031.bin"},
       "opening file: Cal_20120514_1031_ref.bin\r\n"
       "Could not open Cal_20120514_1031_ref.bin\r\r\n",
       255},
  };
  for (const auto& c : cases) {
    ScopedTempDir dir;
    ScanFolder f = NewStructureScan("data/");
    f.files.erase("data/Cal_20120514_1025_ref.bin");
    BuildScanFolder(dir.path, f);
    ProgramResult result = RunExe(c.args, dir.path);
    std::string what = c.args.empty() ? "no argument" : c.args[0];
    EXPECT_TRUE(result.out.ends_with(c.out_end)) << what << ": " << result.out;
    EXPECT_EQ(result.err, "") << what;
    EXPECT_EQ(result.status, c.status) << what;
  }
}

// A Windows caller is given the -1 itself.
TEST_F(Windows, ABatchFileSeesExitStatusMinusOne) {
  ScopedTempDir dir;
  WriteFile(dir / "run.bat", "@" + WindowsPath(kWindowsExe) +
                                 " missing.bin\r\n@echo status %ERRORLEVEL%\r\n");
  ProgramResult result = RunProgram(kWine, {"cmd", "/c", "run.bat"}, dir.path);
  EXPECT_EQ(result.out,
            "\r\nOpening file: missing.bin\r\nCould not open missing.bin\r\r\nstatus -1\r\n");
}

// A scan text file names the output folder of the old file structure; it
// must neither run a command nor lead the folder to another drive.
TEST_F(Windows, TheScanTextFileCannotSteerTheOutputFolder) {
  const struct {
    std::string line1;
    std::string making_dir;
    int status;
  } cases[] = {
      // Handed to the command interpreter, this would make a file
      // p0514_1031; as a name, Windows cannot make it a folder.
      {"1 \"&>p 05 14 10 31", "making dir: \"\"&>p0514_1031\"\r\n", 255},
      // "C:x10514_1031" would be made in drive C's working folder.
      {"1 C:x1 05 14 10 31",
       "The txt file does not contain the scan time - naming the output folder after the scan "
       "file.\r\nmaking dir: \"flight2_bin\"\r\n",
       1},
  };
  for (const auto& c : cases) {
    ScopedTempDir dir;
    ScanFolder f;
    f.scan_name = "flight2.bin";
    f.records = {{7.0f}};
    f.params = "p\nc\\r.bin\nc\\r.bin\nc\\r.bin\nc\\r.bin\n";
    f.text = c.line1 + "\n";
    f.files = {{"r.bin", {}}};
    BuildScanFolder(dir.path, f);
    ProgramResult result = RunExe({"flight2.bin"}, dir.path);
    EXPECT_NE(result.out.find("detected old VULCORA file structure.\r\n" + c.making_dir),
              std::string::npos)
        << c.line1 << result.out;
    EXPECT_EQ(result.status, c.status) << c.line1;
    EXPECT_FALSE(PathExists(dir / "p0514_1031")) << c.line1;
    EXPECT_FALSE(PathExists(VULCONV_WINE_PREFIX "/drive_c/x10514_1031")) << c.line1;
  }
}

// Sizes are 64-bit where long is 32: a scan of 4 GiB and three records
// announces all its records. Its output folder cannot be made (a file of
// that name is in the way), so the run ends at the first STD file.
TEST_F(Windows, AScanOver4GiBIsCountedWhole) {
  ScopedTempDir dir;
  WriteFile(dir / "SCAN_20120514_1031.bin", "");
  fs::resize_file(dir / "SCAN_20120514_1031.bin", (std::uintmax_t{1} << 32) + 3 * 8192);
  WriteFile(dir / "20120514_1031", "");
  ProgramResult result = RunExe({"SCAN_20120514_1031.bin"}, dir.path);
  EXPECT_NE(result.out.find("Extracting 524291 STD files."), std::string::npos) << result.out;
  EXPECT_TRUE(result.out.ends_with(
      "Could not create 20120514_1031\\SCAN_20120514_1031.bin.000000.std\r\r\n"))
      << result.out;
  EXPECT_EQ(result.status, 255);
}

// The number text of the Windows build is that of the POSIX build, bit
// pattern for bit pattern: both convert the same folder.
TEST_F(Windows, NumbersAreWrittenAsOnPosix) {
  Records records(3, std::vector<float>(2048));
  std::mt19937 random(2012);
  for (auto& record : records) {
    for (float& v : record) v = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
  }
  const std::vector<std::uint32_t> special = {
      0x00000000, 0x80000000, 0x00000001, 0x807fffff, 0x7f7fffff, 0xff7fffff, 0x7f800000,
      0xff800000, 0x7fc00000, 0xffc00001, 0x3c000000, 0x4b800001, 0x5f800000, 0x3f7fffff};
  for (std::size_t i = 0; i < special.size(); ++i) records[0][i] = std::bit_cast<float>(special[i]);
  ScanFolder f;
  f.records = records;
  f.params = "p\nc\\r.bin\nc\\r.bin\nc\\r.bin\nc\\r.bin\n\nScan time 100 msec\nCo-adds 5\n";
  f.files = {{"r.bin", {records[0]}}};
  f.text = "1 2012 05 14 10 31 07 x 8959.9999999 N 17959.99999995 W 1e300 x 0.0078125 -2.5e-7\n"
           "1 2012 05 14 10 31 08 x 0000.0000005 S 00000.0078125 E -1e-300 x 123456789.0000005 "
           "9007199254740993\n"
           "1 2012 05 14 10 31 09 x 45 3.25 -0 1e309\n";
  ScopedTempDir posix, windows;
  BuildScanFolder(posix.path, f);
  BuildScanFolder(windows.path, f);
  ProgramResult expected = RunVulconv({"SCAN_20120514_1031.bin"}, posix.path);
  ProgramResult result = RunExe({"SCAN_20120514_1031.bin"}, windows.path);
  ASSERT_EQ(expected.status, 1);
  EXPECT_EQ(ListFiles(posix / "20120514_1031").size(), 4u);
  EXPECT_EQ(result.out, TextMode(expected.out));
  EXPECT_EQ(result.status, expected.status);
  std::vector<std::string> names = ListFiles(posix.path);
  EXPECT_EQ(ListFiles(windows.path), names);
  for (const auto& name : names) {
    ExpectSameBytes(ReadFile(windows / name), ReadFile(posix / name), name);
  }
}

// Nothing but Windows' own DLLs: vulconv.exe runs on its own.
TEST_F(Windows, ImportsOnlyWindowsSystemDlls) {
  const std::string objdump = VULCONV_MINGW_OBJDUMP;
  if (objdump.empty()) GTEST_SKIP() << "no x86_64-w64-mingw32-objdump";
  ProgramResult dump = RunProgram(objdump, {"-p", kWindowsExe}, "/");
  ASSERT_EQ(dump.status, 0) << dump.err;
  std::vector<std::string> dlls;
  const std::string key = "DLL Name: ";
  for (std::size_t at = dump.out.find(key); at != std::string::npos;
       at = dump.out.find(key, at)) {
    at += key.size();
    dlls.push_back(dump.out.substr(at, dump.out.find('\n', at) - at));
  }
  EXPECT_EQ(dlls, (std::vector<std::string>{"KERNEL32.dll", "msvcrt.dll"}));
}

}  // namespace
}  // namespace vulconv::test
