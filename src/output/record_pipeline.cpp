#include "output/record_pipeline.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

namespace vulconv {

namespace {

// Enough for the two threads to take turns without waiting on each other;
// each slot holds a record and its texts.
constexpr std::size_t kSlots = 4;

}  // namespace

void RunRecordPipeline(const std::function<bool(RecordJob&)>& produce,
                       const std::function<void(RecordJob&)>& consume) {
  RecordJob slots[kSlots];
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t produced = 0, consumed = 0;
  bool done = false;
  std::thread producer([&] {
    for (std::size_t n = 0;; ++n) {
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return n - consumed < kSlots; });
      }
      bool filled = produce(slots[n % kSlots]);
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (filled) ++produced; else done = true;
      }
      changed.notify_one();
      if (!filled) return;
    }
  });
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return consumed < produced || done; });
      if (consumed == produced) break;
    }
    consume(slots[consumed % kSlots]);
    {
      std::lock_guard<std::mutex> lock(mutex);
      ++consumed;
    }
    changed.notify_one();
  }
  producer.join();
}

}  // namespace vulconv
