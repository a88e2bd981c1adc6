#include "driver/batch_report.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "system/exit_status.h"

namespace vulconv {

namespace {

constexpr std::size_t kChunk = 1 << 16;
// Longer lines are cut for the summary: it names the failure, no more.
constexpr std::size_t kLongestLine = 1000;

// The lines of a captured output as they are read, chunk by chunk.
struct LineScan {
  std::string line;  // the line being read, cut at kLongestLine
  std::string last;  // the last non-empty line
  std::int64_t spectra = 0;
};

void EndLine(LineScan& scan) {
  while (!scan.line.empty() && scan.line.back() == '\r') scan.line.pop_back();
  if (scan.line.empty()) return;
  constexpr std::string_view kHead = "Extracted ", kTail = " std files from bin.";
  std::string_view text = scan.line;
  if (text.starts_with(kHead) && text.ends_with(kTail)) {
    std::string_view count = text.substr(kHead.size(), text.size() - kHead.size() - kTail.size());
    if (!count.empty() && count.find_first_not_of("0123456789") == std::string_view::npos) {
      scan.spectra += std::strtoll(std::string(count).c_str(), nullptr, 10);
    }
  }
  scan.last.swap(scan.line);
  scan.line.clear();
}

LineScan ScanCaptured(const ChildProcess& child, Captured which) {
  LineScan scan;
  std::unique_ptr<char[]> chunk(new char[kChunk]);
  std::int64_t offset = 0;
  while (std::size_t got = ReadCaptured(child, which, offset, chunk.get(), kChunk)) {
    offset += static_cast<std::int64_t>(got);
    for (std::size_t i = 0; i < got; ++i) {
      if (chunk[i] == '\n') {
        EndLine(scan);
      } else if (scan.line.size() < kLongestLine) {
        scan.line.push_back(chunk[i]);
      }
    }
  }
  EndLine(scan);
  return scan;
}

void CopyCaptured(const ChildProcess& child, Captured which, std::FILE* stream) {
  std::unique_ptr<char[]> chunk(new char[kChunk]);
  std::int64_t offset = 0;
  while (std::size_t got = ReadCaptured(child, which, offset, chunk.get(), kChunk)) {
    WriteRawBytes(stream, chunk.get(), got);
    offset += static_cast<std::int64_t>(got);
  }
  std::fflush(stream);
}

}  // namespace

ScanOutcome ReadOutcome(const ChildProcess& child, const ChildEnd& end) {
  ScanOutcome outcome;
  LineScan out = ScanCaptured(child, Captured::Out);
  outcome.converted = end.exited && end.code == kExitCompleted;
  if (outcome.converted) {
    outcome.spectra = out.spectra;
    return outcome;
  }
  LineScan err = ScanCaptured(child, Captured::Err);
  outcome.failure = err.last.empty() ? out.last : err.last;
  std::string how = !end.exited               ? "ended by " + AbnormalEndText(end)
                    : outcome.failure.empty() ? "status " + std::to_string(end.code)
                                              : "";
  if (!how.empty()) outcome.failure += (outcome.failure.empty() ? "" : "; ") + how;
  return outcome;
}

void PrintCapturedOutput(const ChildProcess& child) {
  std::fflush(stderr);
  CopyCaptured(child, Captured::Out, stdout);
  CopyCaptured(child, Captured::Err, stderr);
  // A block shows whole as soon as it is ready, also in a file or a pipe
  // that someone watches.
  std::fflush(stdout);
}

void AddToSummary(BatchSummary& summary, const std::string& name, const ScanOutcome& outcome) {
  ++summary.scans;
  if (outcome.converted) {
    ++summary.converted;
    summary.spectra += outcome.spectra;
    return;
  }
  if (!summary.failed.empty()) summary.failed += "; ";
  summary.failed += name + " (" + outcome.failure + ")";
}

std::string SummaryLine(const BatchSummary& summary) {
  std::string line = "Converted " + std::to_string(summary.converted) + " of " +
                     std::to_string(summary.scans) + " scans, " +
                     std::to_string(summary.spectra) + " spectra.";
  if (!summary.failed.empty()) line += " Failed: " + summary.failed;
  return line;
}

std::string ProgressLine(std::size_t done, std::size_t total, std::int64_t spectra,
                         std::int64_t bytes_written, double seconds_left) {
  char left[32] = "--";
  if (seconds_left >= 0) {
    long long s = static_cast<long long>(seconds_left + 0.5);
    if (s >= 3600) {
      std::snprintf(left, sizeof left, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    } else {
      std::snprintf(left, sizeof left, "%lld:%02lld", s / 60, s % 60);
    }
  }
  char text[160];
  std::snprintf(text, sizeof text, "scans %zu/%zu, %" PRId64 " spectra, %.1f MB written, %s left",
                done, total, spectra, static_cast<double>(bytes_written) / 1e6, left);
  return text;
}

}  // namespace vulconv
