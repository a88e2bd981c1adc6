// Runs a fuzz target on every file of the folders (or the files) it is given,
// so that the committed corpus is an ordinary test under any compiler.
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "fuzz_check.h"

int main(int argc, char** argv) {
  std::set<std::filesystem::path> inputs(argv + 1, argv + argc);
  for (int i = 1; i < argc; ++i) {
    if (!std::filesystem::is_directory(argv[i])) continue;
    inputs.erase(argv[i]);
    for (const auto& entry : std::filesystem::directory_iterator(argv[i])) inputs.insert(entry);
  }
  for (const auto& input : inputs) {
    std::ostringstream stream;
    stream << std::ifstream(input, std::ios::binary).rdbuf();
    std::string bytes = stream.str();
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("replayed %zu inputs\n", inputs.size());
  return inputs.empty() ? 1 : 0;  // an empty or misspelt corpus must not pass
}
