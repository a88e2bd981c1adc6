// Stream files in the batches: what was appended, overwritten and read back
// takes its name whole when the batch is committed, not before; a scratch
// file leaves nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "system/stream_file.h"

namespace vulconv {
namespace {

namespace fs = std::filesystem;

TEST(StreamFile, TakesItsNameWholeWithTheBatch) {
  const fs::path dir = fs::temp_directory_path() / ("vulconv-stream-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string folder = dir.string() + "/", name = folder + "scan.txt";
  FileWriter writer;
  StartOutputFolder(writer, folder);
  StreamFile file = OpenStreamFile(writer, name);
  StreamFile scratch = OpenScratchFile(writer, name);
  const std::string big(100000, 'x');  // more than one piece written
  AppendStreamFile(file, "head ");
  AppendStreamFile(file, big);
  AppendStreamFile(file, "tail");  // still buffered
  OverwriteStreamFile(file, 0, "HEAD");
  OverwriteStreamFile(file, 5 + 100000, "TAIL");
  AppendStreamFile(scratch, "0123456789");
  char got[8] = {};
  EXPECT_EQ(ReadStreamFile(scratch, 3, got, 4), 4u);
  EXPECT_EQ(std::string(got, 4), "3456");
  EXPECT_EQ(ReadStreamFile(file, 100003, got, 8), 6u);
  EXPECT_EQ(std::string(got, 6), "xxTAIL");
  AppendStreamFile(file, "!");  // buffered until closed
  DiscardStreamFile(scratch);
  CloseStreamFile(file);
  EXPECT_FALSE(fs::exists(name));
  CommitBatch(writer);
  EndFileWriter(writer);
  std::ifstream in(name, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "HEAD " + big + "TAIL!");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vulconv
