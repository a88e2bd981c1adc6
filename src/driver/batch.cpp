#include "driver/batch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string_view>
#include <utility>

#include "convert/output_folder.h"
#include "driver/batch_report.h"
#include "output/campaign/campaign_files.h"
#include "system/child_process.h"
#include "system/console.h"
#include "system/exit_status.h"
#include "system/files.h"
#include "system/platform.h"
#include "system/cleanup.h"
#include "system/write_batch.h"

namespace vulconv {

namespace {

// Ended runs wait with their output files open until those before them are
// printed; this bounds how many, and so the open files.
constexpr std::size_t kMostAhead = 256;
constexpr int kRedrawMs = 250;

enum class ScanState { Waiting, Running, Ended, Printed };

struct Scan {
  std::string name;
  std::string folder;             // its output folder
  std::ptrdiff_t before = -1;     // the scan before it with that folder
  std::int64_t input_bytes = 0;   // of the scan file
  ScanState state = ScanState::Waiting;
  ChildProcess child;
  std::int64_t bytes_written = 0;  // once ended
  ScanOutcome outcome;
};

struct Batch {
  std::vector<Scan> scans;
  std::string exe;
  std::vector<std::string> args;  // the child's arguments before the scan name
  std::size_t jobs = 1;
  std::vector<std::size_t> running;
  std::size_t first_waiting = 0;
  std::size_t next_print = 0;
  BatchSummary summary;
  int stop = 0;  // the stop signal that came
  // With --overview: the campaign files, each scan added as it is printed,
  // while the later ones still run.
  bool campaign_wanted = false;
  FileWriter campaign_writer;
  CampaignFiles campaign;
  // The progress line, on a terminal only.
  bool progress = false;
  std::size_t drawn = 0;  // characters of the line on the screen
  std::chrono::steady_clock::time_point start;
};

bool IsScanFileName(std::string_view name) {
  return name.size() >= 9 && name.starts_with("SCAN_") && name.ends_with(".bin");
}

std::int64_t FileSize(const std::string& name) {
  int fd = OpenRegularFile(name);
  if (fd < 0) return 0;
  std::int64_t size = OpenFileSize(fd);
  CloseFile(fd);
  return size;
}

std::vector<Scan> PlanScans(const std::vector<std::string>& names) {
  std::vector<Scan> scans;
  std::map<std::string, std::size_t> last_in_folder;
  for (std::string& name : BatchScanNames(names)) {
    Scan scan;
    scan.folder = OutputFolderName(name);
    auto [at, first] = last_in_folder.try_emplace(scan.folder, scans.size());
    if (!first) scan.before = static_cast<std::ptrdiff_t>(std::exchange(at->second, scans.size()));
    scan.input_bytes = FileSize(name);
    scan.name = std::move(name);
    scans.push_back(std::move(scan));
  }
  return scans;
}

void EraseProgress(Batch& b) {
  if (b.drawn == 0) return;
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(b.drawn), "");
  std::fflush(stderr);
  b.drawn = 0;
}

void DrawProgress(Batch& b) {
  if (!b.progress) return;
  // Written bytes per input byte, from the ended runs, tell how far the
  // running ones are.
  std::int64_t ended_in = 0, ended_out = 0, total_in = 0, spectra = 0;
  std::size_t ended = 0;
  for (const Scan& scan : b.scans) {
    total_in += scan.input_bytes;
    if (scan.state >= ScanState::Ended) {
      ++ended;
      spectra += scan.outcome.spectra;
      ended_in += scan.input_bytes;
      ended_out += scan.bytes_written;
    }
  }
  std::int64_t written = ended_out;
  double done_in = static_cast<double>(ended_in);
  for (std::size_t i : b.running) {
    std::int64_t now = ChildBytesWritten(b.scans[i].child);
    written += now;
    if (ended_in > 0 && ended_out > 0) {
      double expected = static_cast<double>(ended_out) / ended_in * b.scans[i].input_bytes;
      done_in += std::min(1.0, now / expected) * b.scans[i].input_bytes;
    }
  }
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - b.start;
  double left = done_in > 0 ? elapsed.count() * (total_in - done_in) / done_in : -1;
  std::string line = ProgressLine(ended, b.scans.size(), spectra, written, left);
  std::fprintf(stderr, "\r%s%*s", line.c_str(),
               static_cast<int>(b.drawn > line.size() ? b.drawn - line.size() : 0), "");
  std::fflush(stderr);
  b.drawn = std::max(b.drawn, line.size());
}

void PrintScan(Batch& b, Scan& scan) {
  if (scan.child.out != -1 || scan.child.err != -1) {
    EraseProgress(b);
    PrintCapturedOutput(scan.child);
    ReleaseChild(scan.child);
  }
  AddToSummary(b.summary, scan.name, scan.outcome);
  scan.state = ScanState::Printed;
  if (b.campaign_wanted && b.stop == 0) {
    AddCampaignScan(b.campaign, b.campaign_writer,
                    {scan.name, scan.folder, scan.outcome.converted, scan.outcome.failure});
  }
}

// Prints the ended runs that follow the last printed one, in order.
void PrintReady(Batch& b) {
  while (b.next_print < b.scans.size() && b.scans[b.next_print].state == ScanState::Ended) {
    PrintScan(b, b.scans[b.next_print++]);
  }
}

void StartScan(Batch& b, std::size_t i) {
  Scan& scan = b.scans[i];
  std::vector<std::string> args = b.args;
  args.push_back(scan.name);
  std::string why;
  if (StartChild(b.exe, args, scan.child, &why)) {
    scan.state = ScanState::Running;
    b.running.push_back(i);
  } else {
    scan.state = ScanState::Ended;
    scan.outcome.failure = "could not start " + why;
  }
}

// Starts the waiting scans in name order, as far as the jobs allow, each
// once the one before it in its output folder has ended.
void StartScans(Batch& b) {
  while (b.first_waiting < b.scans.size() && b.scans[b.first_waiting].state != ScanState::Waiting) {
    ++b.first_waiting;
  }
  std::size_t end = std::min(b.scans.size(), b.next_print + kMostAhead);
  for (std::size_t i = b.first_waiting; i < end && b.running.size() < b.jobs; ++i) {
    Scan& scan = b.scans[i];
    if (scan.state == ScanState::Waiting &&
        (scan.before < 0 || b.scans[scan.before].state >= ScanState::Ended)) {
      StartScan(b, i);
    }
  }
}

// Starts no more scans and passes the signal on to the running ones.
void Stop(Batch& b, int signal) {
  b.stop = signal;
  for (std::size_t i : b.running) PassStopSignal(b.scans[i].child, signal);
}

// Waits for a run to end, or for a stop signal.
void WaitForRun(Batch& b) {
  std::vector<const ChildProcess*> watched;
  for (std::size_t i : b.running) watched.push_back(&b.scans[i].child);
  ChildEnd end;
  int signal = 0;
  int k = WaitForChild(watched, b.progress ? kRedrawMs : -1, &end, &signal);
  if (k == kWaitStopSignal && b.stop == 0) Stop(b, signal);
  if (k >= 0) {
    Scan& scan = b.scans[b.running[k]];
    b.running.erase(b.running.begin() + k);
    scan.outcome = ReadOutcome(scan.child, end);
    scan.bytes_written = end.bytes_written;
    scan.state = ScanState::Ended;
  }
}

}  // namespace

std::vector<std::string> BatchScanNames(const std::vector<std::string>& names) {
  std::vector<std::string> scans;
  for (const std::string& name : names) {
    if (!IsFolder(name)) {
      scans.push_back(name);
      continue;
    }
    std::vector<std::string> entries = RegularFilesIn(name, IsScanFileName);
    std::sort(entries.begin(), entries.end());
    std::string prefix = name == "."                                     ? ""
                         : !name.empty() && IsFolderSeparator(name.back()) ? name
                                                                          : name + kFolderSeparator;
    for (const std::string& entry : entries) scans.push_back(prefix + entry);
  }
  return scans;
}

int RunBatch(const BatchRequest& request) {
  Batch b;
  b.scans = PlanScans(request.names);
  b.exe = OwnExecutable(request.argv0);
  b.args = {request.argv0};
  if (request.choice.qdoas) b.args.push_back("--qdoas");
  if (request.choice.overview) b.args.push_back("--overview");
  b.args.push_back("--");
  int jobs = request.jobs > 0 ? request.jobs : ProcessorCount();
  b.jobs = static_cast<std::size_t>(std::clamp(jobs, 1, MaxChildren()));
  b.progress = IsTerminal(stderr);
  b.start = std::chrono::steady_clock::now();
  b.campaign_wanted = request.choice.overview;
  InterceptStopSignals();
  for (;;) {
    if (b.stop == 0) {
      if (int signal = PendingStopSignal()) Stop(b, signal);
    }
    if (b.stop == 0) StartScans(b);
    PrintReady(b);
    if (b.running.empty()) {
      if (b.stop != 0 || b.next_print == b.scans.size()) break;
      continue;
    }
    DrawProgress(b);
    WaitForRun(b);
  }
  EraseProgress(b);
  if (b.stop != 0) {
    for (Scan& scan : b.scans) {
      if (scan.state == ScanState::Ended) PrintScan(b, scan);
    }
    RemoveCleanupNames();  // the campaign files' temporaries
    EndBySignal(b.stop);
  }
  PrintLine(SummaryLine(b.summary));
  std::fflush(stdout);
  RestoreStopSignals();
  if (b.campaign_wanted) {
    InstallSignalCleanup();
    EndCampaignFiles(b.campaign, b.campaign_writer);
    EndFileWriter(b.campaign_writer);
  }
  return b.summary.converted == b.scans.size() ? kExitCompleted : kExitFileError;
}

}  // namespace vulconv
