// What a batch tells: each scan's outcome read from its captured console
// output, the summary line and the progress line.
#ifndef VULCONV_DRIVER_BATCH_REPORT_H_
#define VULCONV_DRIVER_BATCH_REPORT_H_

#include <cstdint>
#include <string>

#include "system/child_process.h"

namespace vulconv {

struct ScanOutcome {
  bool converted = false;    // the run completed
  std::int64_t spectra = 0;  // N of its "Extracted N std files from bin." line
  std::string failure;       // why it did not complete: its last console line
};

/// The outcome of an ended child from its status and its captured output:
/// the failure is the last non-empty line of its standard error, else of its
/// standard output, without carriage returns, and says how a child that did
/// not exit ended.
ScanOutcome ReadOutcome(const ChildProcess& child, const ChildEnd& end);

/// Copies the child's captured standard output to stdout, then its
/// standard error to stderr, byte for byte.
void PrintCapturedOutput(const ChildProcess& child);

struct BatchSummary {
  std::size_t scans = 0;
  std::size_t converted = 0;
  std::int64_t spectra = 0;  // of the converted scans
  std::string failed;        // "NAME (FAILURE); ..."
};

/// Counts one scan's outcome in.
void AddToSummary(BatchSummary& summary, const std::string& name, const ScanOutcome& outcome);

/// "Converted C of N scans, S spectra." and, after any failure,
/// " Failed: NAME (FAILURE); ...".
std::string SummaryLine(const BatchSummary& summary);

/// "scans 3/9, 6000 spectra, 152.3 MB written, 0:42 left"; seconds_left
/// negative when not known yet.
std::string ProgressLine(std::size_t done, std::size_t total, std::int64_t spectra,
                         std::int64_t bytes_written, double seconds_left);

}  // namespace vulconv

#endif  // VULCONV_DRIVER_BATCH_REPORT_H_
