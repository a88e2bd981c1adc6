#include "system/child_process.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace vulconv {

namespace {

// The signal mask before InterceptStopSignals, which children start with.
sigset_t mask_before;

sigset_t WaitedSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&set, sig);
  return set;
}

// A file without a name for a child's output; it goes when closed. Closed
// on exec, so that no other child holds it open.
int MakeCaptureFile(std::string* why) {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp && *tmp ? tmp : "/tmp";
#ifdef O_TMPFILE
  int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
#endif
  std::string name = folder + "/.vulconv-output-XXXXXX";
  fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    *why = folder + ": " + std::strerror(errno);
    return -1;
  }
  unlink(name.c_str());
  return fd;
}

}  // namespace

std::string OwnExecutable(const char* argv0) {
#ifdef __linux__
  if (access("/proc/self/exe", X_OK) == 0) return "/proc/self/exe";
#endif
  return argv0;
}

int ProcessorCount() {
#ifdef __linux__
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
#endif
  long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}

int MaxChildren() { return 256; }

bool StartChild(const std::string& exe, const std::vector<std::string>& args,
                ChildProcess& child, std::string* why) {
  int out = MakeCaptureFile(why);
  int err = out < 0 ? -1 : MakeCaptureFile(why);
  if (err < 0) {
    if (out >= 0) close(out);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  posix_spawn_file_actions_adddup2(&actions, err, 2);
  // A process group of its own: a Ctrl-C on the terminal reaches the batch
  // alone, which passes it on once, as a second one could cut a child's
  // cleanup short.
  // The signals passed on take their default action until the run sets
  // its handler: a batch started in the background has them ignored, and a
  // run that inherited that would not stop when told to.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setsigmask(&attr, &mask_before);
  sigset_t passed_on = WaitedSignals();
  sigdelset(&passed_on, SIGCHLD);
  posix_spawnattr_setsigdefault(&attr, &passed_on);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  int failed = posix_spawnp(&pid, exe.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) {
    *why = exe + ": " + std::strerror(failed);
    close(out);
    close(err);
    return false;
  }
  child.id = pid;
  child.out = out;
  child.err = err;
  return true;
}

void InterceptStopSignals() {
  sigset_t set = WaitedSignals();
  sigprocmask(SIG_BLOCK, &set, &mask_before);
}

void RestoreStopSignals() { sigprocmask(SIG_SETMASK, &mask_before, nullptr); }

int PendingStopSignal() {
  sigset_t set = WaitedSignals();
  sigdelset(&set, SIGCHLD);
  timespec now = {0, 0};
  int sig = sigtimedwait(&set, nullptr, &now);
  return sig > 0 ? sig : 0;
}

int WaitForChild(const std::vector<const ChildProcess*>& children, int timeout_ms,
                 ChildEnd* end, int* signal) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  const sigset_t set = WaitedSignals();
  for (;;) {
    for (std::size_t i = 0; i < children.size(); ++i) {
      pid_t pid = static_cast<pid_t>(children[i]->id);
      siginfo_t info = {};
      // Left a zombie at first, so that its counters can still be read.
      if (waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != pid) {
        continue;
      }
      end->bytes_written = ChildBytesWritten(*children[i]);
      int status = 0;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      end->exited = WIFEXITED(status);
      end->code = end->exited ? WEXITSTATUS(status) : WTERMSIG(status);
      return static_cast<int>(i);
    }
    int sig;
    if (timeout_ms < 0) {
      sig = sigwaitinfo(&set, nullptr);
    } else {
      auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
      if (left.count() <= 0) return kWaitTimedOut;
      timespec ts = {static_cast<time_t>(left.count() / 1000000000),
                     static_cast<long>(left.count() % 1000000000)};
      sig = sigtimedwait(&set, nullptr, &ts);
    }
    if (sig == SIGCHLD || (sig < 0 && errno == EINTR)) continue;
    if (sig < 0) return kWaitTimedOut;
    *signal = sig;
    return kWaitStopSignal;
  }
}

std::int64_t ChildBytesWritten(const ChildProcess& child) {
  std::string name = "/proc/" + std::to_string(child.id) + "/io";
  int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[512];
  ssize_t got = read(fd, text, sizeof text - 1);
  close(fd);
  text[got > 0 ? got : 0] = '\0';
  const char* wchar = std::strstr(text, "wchar: ");
  return wchar ? std::strtoll(wchar + 7, nullptr, 10) : 0;
}

void PassStopSignal(const ChildProcess& child, int signal) {
  kill(static_cast<pid_t>(child.id), signal);
}

std::size_t ReadCaptured(const ChildProcess& child, Captured which, std::int64_t offset,
                         char* buffer, std::size_t size) {
  int fd = static_cast<int>(which == Captured::Out ? child.out : child.err);
  ssize_t got;
  while ((got = pread(fd, buffer, size, offset)) < 0 && errno == EINTR) {
  }
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

void WriteRawBytes(std::FILE* stream, const char* data, std::size_t size) {
  std::fwrite(data, 1, size, stream);
}

void ReleaseChild(ChildProcess& child) {
  if (child.out >= 0) close(static_cast<int>(child.out));
  if (child.err >= 0) close(static_cast<int>(child.err));
  child.out = child.err = -1;
}

std::string AbnormalEndText(const ChildEnd& end) {
  return end.exited ? std::string() : "signal " + std::to_string(end.code);
}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

void EndBySignal(int signal) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::signal(signal, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  std::raise(signal);
  _exit(128 + signal);
}

}  // namespace vulconv
