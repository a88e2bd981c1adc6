// Runs a program and reports its wall time, its processor time (user and
// system), its peak resident memory and its exit status, measured from
// fork to wait without a shell in between. Processor time is the steadier
// figure on a machine whose cores other work shares.
//
//   run_timed <stdout-file> <program> [args...]
//   prints "<wall seconds> <processor seconds> <peak RSS in KiB> <status>"
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: run_timed <stdout-file> <program> [args...]\n");
    return 2;
  }
  int out = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    std::perror(argv[1]);
    return 2;
  }
  timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out, STDOUT_FILENO);
    execv(argv[2], argv + 2);
    std::perror(argv[2]);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
    std::perror("run_timed");
    return 2;
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  double seconds = static_cast<double>(end.tv_sec - start.tv_sec) +
                   static_cast<double>(end.tv_nsec - start.tv_nsec) * 1e-9;
  auto in_seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
  };
  std::printf("%.6f %.6f %ld %d\n", seconds,
              in_seconds(usage.ru_utime) + in_seconds(usage.ru_stime), usage.ru_maxrss,
              WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return 0;
}
