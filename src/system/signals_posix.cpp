// Signals on POSIX systems: the cleanup runs on the thread the signal
// interrupts, which is never one started without signals.
#include <pthread.h>
#include <signal.h>

#include <csignal>
#include <cstdlib>

#include "system/cleanup.h"

namespace vulconv {

void InstallSignalCleanup() {
  // Every other way the run ends early (a binary file that cannot be opened
  // or read) goes through exit: the files not yet named go with it.
  std::atexit(RemoveCleanupNames);
  std::signal(SIGXFSZ, SIG_IGN);
  struct sigaction action = {};
  action.sa_handler = CleanUpAndRaise;
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
}

std::thread StartThreadWithoutSignals(std::function<void()> body) {
  sigset_t signals, before;
  sigemptyset(&signals);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, sig);
  pthread_sigmask(SIG_BLOCK, &signals, &before);  // the new thread inherits the mask
  std::thread thread(std::move(body));
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return thread;
}

}  // namespace vulconv
