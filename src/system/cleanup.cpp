#include "system/cleanup.h"

#include <atomic>
#include <csignal>

#include "system/files.h"

namespace vulconv {

namespace {

// Enough for a few conversions at once: each holds at most a batch, the
// temporaries made ahead, its open stream files and its lock files.
constexpr int kSlots = 4096;
enum SlotState : int { kFree, kTaken, kLive };

// Destroyed after RemoveCleanupNames has run at exit (registered later),
// once no thread may add a name any more.
std::string names[kSlots];
std::atomic<int> state[kSlots];
std::atomic<unsigned> next_slot{0};

// Files being made, on any thread, and whether the run is ending. A thread
// that the handler interrupts while it makes a file never resumes, so the
// handler waits only for the others'.
std::atomic<int> making{0};
std::atomic<int> stopping{0};
thread_local int making_here = 0;

}  // namespace

int AddCleanupName(const std::string& name) {
  for (int tries = 0; tries < kSlots; ++tries) {
    int slot = static_cast<int>(next_slot.fetch_add(1) % kSlots);
    int expected = kFree;
    if (!state[slot].compare_exchange_strong(expected, kTaken)) continue;
    names[slot] = name;
    state[slot].store(kLive);
    return slot;
  }
  return -1;
}

const std::string& CleanupName(int slot) { return names[slot]; }

void DropCleanupName(int slot) {
  if (slot >= 0) state[slot].store(kFree);
}

bool BeginMaking() {
  // The store before the load, and the handler's in the other order: one
  // of the two sees the other's (sequentially consistent atomics).
  making.fetch_add(1);
  ++making_here;
  if (!stopping.load()) return true;
  EndMaking();
  return false;
}

void EndMaking() {
  --making_here;
  making.fetch_sub(1);
}

void CleanUpAndRaise(int sig) {
  RemoveCleanupNames();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

void RemoveCleanupNames() {
  stopping.store(1);
  while (making.load() > making_here) {
  }
  for (int slot = 0; slot < kSlots; ++slot) {
    int expected = kLive;
    if (state[slot].compare_exchange_strong(expected, kFree)) {
      RemoveNameInCleanup(names[slot].c_str());
    }
  }
}

}  // namespace vulconv
