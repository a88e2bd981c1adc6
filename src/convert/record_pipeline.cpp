#include "convert/record_pipeline.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

#include "system/cleanup.h"

namespace vulconv {

namespace {

// Jobs in flight. A thread that finds the ring full (or empty) first waits
// a little without sleeping, as the other thread usually frees (or fills)
// a slot within microseconds and waking a sleeper costs more; then it
// sleeps until half the ring is free (or filled).
constexpr std::size_t kSlots = 16;
constexpr std::size_t kHalf = kSlots / 2;
constexpr int kSpins = 2000;

// Waits until ready() holds: first a bounded spin, then asleep on changed,
// woken when the other thread crosses half the ring.
//
// No wake-up is lost. The sleeper checks wake() under the mutex and the
// other thread notifies under it, so a notify comes either before that
// check, which then sees the progress it announces, or once the sleeper
// waits. Whether to notify is decided without the mutex, from the gap
// between the counts: the notifier stores its count, then loads the
// sleeper's, and the sleeper stored its count before wake() loaded the
// notifier's. All four accesses are seq_cst and so fall in one order: if
// wake() missed the notifier's store, the notifier's load comes after the
// sleeper's store and sees the count the sleeper keeps while asleep. The
// gap then changes by one job a step, and the step that makes it kHalf
// notifies (the end of produce always does). With acquire and release
// alone both loads could see older counts, the gap could seem to jump over
// kHalf, and both threads could end up asleep.
template <class Ready, class Wake>
void WaitFor(std::mutex& mutex, std::condition_variable& changed, Ready ready, Wake wake) {
  for (int i = 0; i < kSpins; ++i) {
    if (ready()) return;
    std::this_thread::yield();
  }
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait(lock, wake);
}

}  // namespace

void RunRecordPipeline(const std::function<bool(RecordJob&)>& produce,
                       const std::function<void(RecordJob&)>& consume) {
  RecordJob slots[kSlots];
  std::mutex mutex;
  std::condition_variable changed;
  std::atomic<std::size_t> produced{0}, consumed{0};
  std::atomic<bool> done{false};
  std::thread producer = StartThreadWithoutSignals([&] {
    for (std::size_t n = 0;; ++n) {
      if (n - consumed.load() == kSlots) {
        WaitFor(mutex, changed, [&] { return n - consumed.load() < kSlots; },
                [&] { return n - consumed.load() <= kHalf; });
      }
      bool filled = produce(slots[n % kSlots]);
      if (filled) produced.store(n + 1); else done.store(true);
      if (!filled || n + 1 - consumed.load() == kHalf) {
        std::lock_guard<std::mutex> lock(mutex);
        changed.notify_all();
      }
      if (!filled) return;
    }
  });
  for (std::size_t n = 0;; ++n) {
    if (n == produced.load()) {
      WaitFor(mutex, changed, [&] { return n < produced.load() || done.load(); },
              [&] { return produced.load() - n >= kHalf || done.load(); });
      if (n == produced.load()) break;
    }
    consume(slots[n % kSlots]);
    consumed.store(n + 1);
    if (produced.load() - (n + 1) == kHalf) {
      std::lock_guard<std::mutex> lock(mutex);
      changed.notify_all();
    }
  }
  producer.join();
}

}  // namespace vulconv
