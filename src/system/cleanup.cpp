#include "system/cleanup.h"

#include <atomic>
#include <csignal>
#include <mutex>

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

// The slots given back, the last on top: the fewest slots serve a run, so
// their names' memory stays as it was however many files it writes. The
// handler never takes this lock; it reads only the states.
std::mutex free_mutex;
int free_slots[kSlots];
int free_count = -1;  // -1 until the stack is filled

// Files being made, on any thread, and whether the run is ending. A thread
// that the handler interrupts while it makes a file never resumes, so the
// handler waits only for the others'.
std::atomic<int> making{0};
std::atomic<int> stopping{0};
thread_local int making_here = 0;

}  // namespace

int AddCleanupName(const std::string& name) {
  int slot = -1;
  {
    std::lock_guard<std::mutex> lock(free_mutex);
    if (free_count < 0) {
      for (free_count = 0; free_count < kSlots; ++free_count)
        free_slots[free_count] = kSlots - 1 - free_count;
    }
    if (free_count == 0) return -1;
    slot = free_slots[--free_count];
  }
  state[slot].store(kTaken);
  names[slot] = name;
  state[slot].store(kLive);
  return slot;
}

const std::string& CleanupName(int slot) { return names[slot]; }

void DropCleanupName(int slot) {
  if (slot < 0) return;
  state[slot].store(kFree);
  std::lock_guard<std::mutex> lock(free_mutex);
  free_slots[free_count++] = slot;
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
