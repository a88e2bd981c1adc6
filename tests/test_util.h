// Support for tests: a scratch folder, whole-file reads and writes, and
// running the built program.
#ifndef VULCONV_TESTS_TEST_UTIL_H_
#define VULCONV_TESTS_TEST_UTIL_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vulconv::test {

/// A fresh folder under the system's temporary folder, removed with all it
/// holds when the object goes (also after a failed assertion).
struct ScopedTempDir {
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  /// The folder's absolute path, without a trailing separator.
  std::string path;
  /// path + "/" + name.
  std::string operator/(const std::string& name) const;
};

void WriteFile(const std::string& name, const std::string& bytes);
/// The whole file; "<missing>" when it cannot be read.
std::string ReadFile(const std::string& name);
bool PathExists(const std::string& name);
/// Every file below folder, as paths relative to it, sorted.
std::vector<std::string> ListFiles(const std::string& folder);

/// Fails the test when actual differs from expected, showing only the
/// neighbourhood of the first difference (files run to 30 KB and more).
void ExpectSameBytes(const std::string& actual, const std::string& expected,
                     const std::string& what);

/// Little-endian bytes of float32 values.
std::string FloatBytes(const std::vector<float>& values);

struct ProgramResult {
  std::string out;   // standard output
  std::string err;   // standard error
  int status = -1;   // exit status as the process reports it, 0..255; -1 if killed
};

struct RunLimits {
  std::int64_t file_size = -1;  // bytes any one file may grow to (SIGXFSZ ignored); -1: none
  unsigned seconds = 60;        // then the program is killed, so a hang fails the test
};

/// Runs program with args in folder cwd, with no standard input.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& cwd, const RunLimits& limits = {});

/// Runs the built vulconv.
ProgramResult RunVulconv(const std::vector<std::string>& args, const std::string& cwd,
                         const RunLimits& limits = {});

/// Every entry below folder by relative path: "dir", "file:" and its bytes,
/// "link:" and its target, or "other" (a FIFO is never opened).
using TreeContents = std::map<std::string, std::string>;
TreeContents ReadTree(const std::string& folder);

/// Fails the test for every entry that differs between before and after
/// and is neither inside (a relative path below the same folder) nor
/// inside itself.
void ExpectChangedOnlyInside(const TreeContents& before, const TreeContents& after,
                             const std::string& inside, const std::string& what);

}  // namespace vulconv::test

#endif  // VULCONV_TESTS_TEST_UTIL_H_
