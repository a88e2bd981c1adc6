#include "output/record_pipeline.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

namespace vulconv {

namespace {

// Jobs in flight. A thread that finds the ring full (or empty) sleeps until
// half of it is free (or filled), so that the two threads wake each other
// a few times per ring rather than once per record.
constexpr std::size_t kSlots = 16;
constexpr std::size_t kHalf = kSlots / 2;

}  // namespace

void RunRecordPipeline(const std::function<bool(RecordJob&)>& produce,
                       const std::function<void(RecordJob&)>& consume) {
  RecordJob slots[kSlots];
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t produced = 0, consumed = 0;
  bool done = false;
  std::thread producer([&] {
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mutex);
        if (produced - consumed == kSlots) {
          changed.wait(lock, [&] { return produced - consumed <= kHalf; });
        }
      }
      bool filled = produce(slots[produced % kSlots]);
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (filled) ++produced; else done = true;
        if (!filled || produced - consumed == kHalf) changed.notify_one();
      }
      if (!filled) return;
    }
  });
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      if (consumed == produced) {
        changed.wait(lock, [&] { return produced - consumed >= kHalf || done; });
        if (consumed == produced) break;
      }
    }
    consume(slots[consumed % kSlots]);
    {
      std::lock_guard<std::mutex> lock(mutex);
      ++consumed;
      if (produced - consumed == kHalf) changed.notify_one();
    }
  }
  producer.join();
}

}  // namespace vulconv
