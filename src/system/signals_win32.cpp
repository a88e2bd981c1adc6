// Signals on Windows: Ctrl-C and Ctrl-Break run their handler on a thread
// of its own, while the others go on; the cleanup makes them stop making
// files (BeginMaking) before it removes what was made.
#include <csignal>
#include <cstdlib>

#include "system/cleanup.h"

namespace vulconv {

void InstallSignalCleanup() {
  // Every other way the run ends early goes through exit.
  std::atexit(RemoveCleanupNames);
  std::signal(SIGINT, CleanUpAndRaise);
  std::signal(SIGTERM, CleanUpAndRaise);
  std::signal(SIGBREAK, CleanUpAndRaise);
}

std::thread StartThreadWithoutSignals(std::function<void()> body) {
  return std::thread(std::move(body));
}

}  // namespace vulconv
