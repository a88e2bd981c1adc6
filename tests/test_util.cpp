#include "test_util.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace vulconv::test {

ScopedTempDir::ScopedTempDir() {
  std::string pattern = (fs::temp_directory_path() / "vulconv_test_XXXXXX").string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr) std::abort();
  path = buf.data();
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ec;
  fs::remove_all(path, ec);
}

std::string ScopedTempDir::operator/(const std::string& name) const { return path + "/" + name; }

void WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool PathExists(const std::string& name) {
  std::error_code ec;
  return fs::symlink_status(name, ec).type() != fs::file_type::not_found && !ec;
}

std::vector<std::string> ListFiles(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_directory()) names.push_back(fs::relative(entry.path(), folder).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void ExpectSameBytes(const std::string& actual, const std::string& expected,
                     const std::string& what) {
  if (actual == expected) return;
  std::size_t at = static_cast<std::size_t>(
      std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end()).first -
      actual.begin());
  std::size_t from = at < 40 ? 0 : at - 40;
  ADD_FAILURE() << what << ": differs at byte " << at << " (sizes " << actual.size() << ", "
                << expected.size() << ")\n  got:  "
                << testing::PrintToString(actual.substr(from, 80))
                << "\n  want: " << testing::PrintToString(expected.substr(from, 80));
}

std::string FloatBytes(const std::vector<float>& values) {
  std::string bytes;
  for (float v : values) {
    auto bits = std::bit_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  }
  return bytes;
}

namespace {

// Reads both pipes to their ends without letting either fill up.
void Drain(int out_fd, int err_fd, std::string& out, std::string& err) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open_count = 2;
  char buf[65536];
  while (open_count > 0) {
    if (poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t got = read(fds[i].fd, buf, sizeof buf);
      if (got > 0) {
        sinks[i]->append(buf, static_cast<std::size_t>(got));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& cwd, const RunLimits& limits) {
  int out_pipe[2], err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) std::abort();
  pid_t pid = fork();
  if (pid == 0) {
    int null_fd = open("/dev/null", O_RDONLY);
    dup2(null_fd, 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    close(out_pipe[0]);
    close(err_pipe[0]);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    if (limits.file_size >= 0) {
      // A write past the limit then fails with EFBIG instead of killing.
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit size{static_cast<rlim_t>(limits.file_size), static_cast<rlim_t>(limits.file_size)};
      setrlimit(RLIMIT_FSIZE, &size);
    }
    alarm(limits.seconds);  // kept across exec
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  ProgramResult result;
  Drain(out_pipe[0], err_pipe[0], result.out, result.err);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return result;
}

ProgramResult RunVulconv(const std::vector<std::string>& args, const std::string& cwd,
                         const RunLimits& limits) {
  return RunProgram(VULCONV_EXE, args, cwd, limits);
}

TreeContents ReadTree(const std::string& folder) {
  TreeContents tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::string& value = tree[fs::relative(entry.path(), folder).generic_string()];
    if (entry.is_symlink()) {
      value = "link:" + fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      value = "dir";
    } else if (entry.is_regular_file()) {
      value = "file:" + ReadFile(entry.path().string());
    } else {
      value = "other";
    }
  }
  return tree;
}

void ExpectChangedOnlyInside(const TreeContents& before, const TreeContents& after,
                             const std::string& inside, const std::string& what) {
  auto is_inside = [&](const std::string& path) {
    return !inside.empty() && (path == inside || path.starts_with(inside + "/"));
  };
  for (const auto& [path, value] : before) {
    auto now = after.find(path);
    if (is_inside(path)) continue;
    if (now == after.end()) ADD_FAILURE() << what << ": " << path << " is gone";
    else if (now->second != value) ADD_FAILURE() << what << ": " << path << " changed";
  }
  for (const auto& [path, value] : after) {
    if (!is_inside(path) && !before.contains(path)) {
      ADD_FAILURE() << what << ": " << path << " is new";
    }
  }
}

}  // namespace vulconv::test
