// What the bad-input tables share: a plain scan folder that any folder
// name can hold, its whole console transcript, and a run that checks
// nothing changed outside the output folder.
#ifndef VULCONV_TESTS_E2E_BAD_INPUT_H_
#define VULCONV_TESTS_E2E_BAD_INPUT_H_

#include <string>

#include "e2e/scan_folder.h"
#include "test_util.h"

namespace vulconv::test {

/// A scan of two records (pixels 1 and 2) named scan_name (ending ".bin"),
/// its parameter file naming d.bin, l.bin, h.bin and r.bin beside it (one
/// record each), and its text file of two GPS lines.
ScanFolder PlainScan(const std::string& scan_name);

/// The whole console output of a completed run of PlainScan(scan_name);
/// notice is printed before "making dir" (the old structure's).
std::string PlainTranscript(const std::string& scan_name, const std::string& output_folder,
                            bool new_structure, const std::string& notice = "");

/// The transcript up to and including the scan pass's "opening file" line.
std::string TranscriptToScanPass(const std::string& scan_name, const std::string& output_folder,
                                 bool new_structure, const std::string& notice = "");

/// Runs vulconv in dir and fails the test for any change outside the output
/// folder (a path relative to dir; empty when nothing may change).
ProgramResult RunCheckingOutside(const ScopedTempDir& dir, const std::string& scan_name,
                                 const std::string& output_folder, const RunLimits& limits = {});

}  // namespace vulconv::test

#endif  // VULCONV_TESTS_E2E_BAD_INPUT_H_
