// Many scans in one command: each converted by a run of this program of
// its own, several at once.
#ifndef VULCONV_DRIVER_BATCH_H_
#define VULCONV_DRIVER_BATCH_H_

#include <string>
#include <vector>

#include "convert/run_outputs.h"

namespace vulconv {

struct BatchRequest {
  std::vector<std::string> names;  // scan files and folders of scans
  OutputChoice choice;
  int jobs = 0;                    // 0: one per processor
  const char* argv0 = nullptr;    // this program's argv[0]
};

/// The scan names that names stand for, in order: a folder stands for the
/// SCAN_*.bin regular files directly in it, sorted by name (its name and a
/// separator before each, none for "."); any other name for itself.
std::vector<std::string> BatchScanNames(const std::vector<std::string>& names);

/// Converts every scan of the request as its single run would, at most
/// jobs at once and never two with one output folder, and prints each
/// run's console output whole, in the order of the names, then a summary.
/// Returns 1 when every scan was converted, else -1. On SIGINT, SIGTERM or
/// SIGHUP starts no more, passes the signal on, prints what the ended runs
/// printed and ends as the signal ends a process.
int RunBatch(const BatchRequest& request);

}  // namespace vulconv

#endif  // VULCONV_DRIVER_BATCH_H_
