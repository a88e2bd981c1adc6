// The batch's command line (what makes a batch and what is a wrong command
// line) and its progress line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/batch_report.h"
#include "driver/command_line.h"

namespace vulconv {
namespace {

TEST(CommandLine, BatchAndJobs) {
  constexpr CommandKind kBatch = CommandKind::Batch, kUsage = CommandKind::Usage;
  struct Case {
    std::vector<const char*> args;
    CommandKind kind;
    std::vector<std::string> names;  // checked for a batch
    int jobs;
  };
  const Case cases[] = {
      {{"--batch", "a", "b"}, kBatch, {"a", "b"}, 0},
      {{"a", "--jobs", "12", "--batch"}, kBatch, {"a"}, 12},
      {{"--batch", "--", "--jobs", "-x"}, kBatch, {"--jobs", "-x"}, 0},
      {{"--batch", "--jobs", "1000000", "a"}, kBatch, {"a"}, 1000000},
      {{"--batch"}, kUsage, {}, 0},
      {{"--batch", "--jobs", "2"}, kUsage, {}, 0},
      {{"--jobs", "2", "a"}, kUsage, {}, 0},
      {{"--batch", "a", "--jobs"}, kUsage, {}, 0},
      {{"--batch", "--jobs", "0", "a"}, kUsage, {}, 0},
      {{"--batch", "--jobs", "-1", "a"}, kUsage, {}, 0},
      {{"--batch", "--jobs", "2x", "a"}, kUsage, {}, 0},
      {{"--batch", "--jobs", "", "a"}, kUsage, {}, 0},
      {{"--batch", "--jobs", "1000001", "a"}, kUsage, {}, 0},
      {{"--batch", "--jobs", "--", "a"}, kUsage, {}, 0},
      {{"--batch", "--help", "a"}, CommandKind::Help, {}, 0},
      {{"a", "--jobs", "2", "--overview"}, kUsage, {}, 0},
  };
  for (const Case& c : cases) {
    CommandLine line = ParseCommandLine(static_cast<int>(c.args.size()), c.args.data());
    std::string shown = testing::PrintToString(c.args);
    EXPECT_EQ(line.kind, c.kind) << shown;
    if (c.kind == kBatch) {
      EXPECT_EQ(line.names, c.names) << shown;
      EXPECT_EQ(line.jobs, c.jobs) << shown;
    }
  }
}

TEST(BatchReport, ProgressLine) {
  EXPECT_EQ(ProgressLine(0, 9, 0, 0, -1), "scans 0/9, 0 spectra, 0.0 MB written, -- left");
  EXPECT_EQ(ProgressLine(3, 9, 6000, 152349999, 59.5),
            "scans 3/9, 6000 spectra, 152.3 MB written, 1:00 left");
  EXPECT_EQ(ProgressLine(1, 2, 5, 1, 3 * 3600 + 62.4),
            "scans 1/2, 5 spectra, 0.0 MB written, 3:01:02 left");
}

}  // namespace
}  // namespace vulconv
