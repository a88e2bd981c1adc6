// The record pipeline under random pauses on both sides: every job consumed
// once, in order, holding what produce put in it, and no job handed back to
// produce before consume returned from it. The pauses follow a fixed seed,
// so every run makes the same choices; only the threads' timing varies.
// A lost wake-up leaves both threads asleep: a watchdog ends the test then.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include "convert/record_pipeline.h"

namespace vulconv {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr std::int64_t kRing = 16;  // jobs produce may run ahead

// How often one side pauses at a pause point, in parts of 1000, and how.
struct Pace {
  int stall = 0;  // 3 ms: longer than the other side's spin, so it sleeps
  int nap = 0;    // up to 50 us
  int spin = 0;   // a busy loop of up to 2000 rounds
  int yield = 0;
};

void Pause(std::mt19937& rng, const Pace& pace) {
  int r = static_cast<int>(rng() % 1000);
  if ((r -= pace.stall) < 0) {
    std::this_thread::sleep_for(milliseconds(3));
  } else if ((r -= pace.nap) < 0) {
    std::this_thread::sleep_for(microseconds(rng() % 50));
  } else if ((r -= pace.spin) < 0) {
    volatile unsigned sum = 0;
    for (unsigned i = rng() % 2000; i > 0; --i) sum = sum + i;
  } else if ((r -= pace.yield) < 0) {
    std::this_thread::yield();
  }
}

// Ends the process when a test outlives a minute: a pipeline whose threads
// both sleep never returns.
struct Watchdog {
  std::atomic<bool> finished{false};
  std::atomic<std::int64_t> count{-1}, run{-1};
  std::thread thread{[this] {
    for (int ticks = 0; !finished; ++ticks) {
      if (ticks == 3000) {
        std::fprintf(stderr, "record pipeline hung: run %lld of %lld jobs\n",
                     static_cast<long long>(run.load()), static_cast<long long>(count.load()));
        std::abort();
      }
      std::this_thread::sleep_for(milliseconds(20));
    }
  }};
  ~Watchdog() {
    finished = true;
    thread.join();
  }
};

std::string Content(std::int64_t n) { return "job " + std::to_string(n); }

// One pipeline of count jobs. Returns the first thing that went wrong, or
// an empty string.
std::string RunChecked(std::int64_t count, const Pace& producer_pace, const Pace& consumer_pace,
                       unsigned seed) {
  std::mutex fault_mutex;
  std::string fault;
  auto report = [&](const std::string& what) {
    std::lock_guard<std::mutex> lock(fault_mutex);
    if (fault.empty()) fault = what;
  };
  std::mt19937 producer_rng(seed * 2), consumer_rng(seed * 2 + 1);
  std::int64_t filled = 0, calls = 0, next = 0;
  bool done = false;
  // Jobs consume has begun; produce reads it to see how far ahead it runs.
  std::atomic<std::int64_t> taken{0};

  auto produce = [&](RecordJob& job) {
    ++calls;
    Pause(producer_rng, producer_pace);
    if (done) report("produce called after it returned false");
    // The notice marks a job filled and not yet consumed.
    if (!job.notice.empty())
      report("job " + std::to_string(filled) + " handed a slot still holding " + job.notice);
    if (filled - taken.load() >= kRing)
      report("job " + std::to_string(filled) + " produced while only " +
             std::to_string(taken.load()) + " were taken");
    if (filled == count) {
      done = true;
      return false;
    }
    job.record.info.index = filled;
    Pause(producer_rng, producer_pace);
    job.record.record.pixels[0] = static_cast<float>(filled);
    job.notice = Content(filled);
    ++filled;
    return true;
  };

  auto consume = [&](RecordJob& job) {
    taken.store(next + 1);
    const std::string want = Content(next);
    auto holds = [&] {
      return job.notice == want && job.record.info.index == next &&
             job.record.record.pixels[0] == static_cast<float>(next);
    };
    if (!holds()) report("consumed \"" + job.notice + "\" as " + want);
    Pause(consumer_rng, consumer_pace);  // produce fills other slots meanwhile
    if (!holds()) report(want + " changed while it was consumed");
    job.notice.clear();
    ++next;
  };

  RunRecordPipeline(produce, consume);
  if (next != count) report(std::to_string(next) + " jobs consumed");
  if (calls != count + 1) report("produce called " + std::to_string(calls) + " times");
  return fault;
}

TEST(RecordPipeline, EveryJobOnceInOrderUnderJitter) {
  const Pace none, busy{0, 0, 300, 300}, slow{5, 30, 100, 100};
  struct Regime {
    const char* name;
    Pace producer, consumer;
  };
  const Regime regimes[] = {
      {"no pauses", none, none},
      {"short pauses", busy, busy},
      {"slow consumer", none, slow},  // the ring fills: produce sleeps
      {"slow producer", slow, none},  // the ring empties: consume sleeps
      {"both slow", slow, slow},
  };
  // Empty, one, around half the ring, around the ring, around twice the
  // ring, and long enough for many stalls.
  const std::int64_t counts[] = {0, 1, 2, 7, 8, 9, 15, 16, 17, 24, 31, 32, 33, 1000};
  Watchdog watchdog;
  unsigned seed = 1;
  for (const Regime& regime : regimes) {
    for (std::int64_t count : counts) {
      const int runs = count < 1000 ? 12 : 3;
      for (int run = 0; run < runs; ++run, ++seed) {
        watchdog.count = count;
        watchdog.run = run;
        std::string fault = RunChecked(count, regime.producer, regime.consumer, seed);
        ASSERT_EQ(fault, "") << regime.name << ", " << count << " jobs, run " << run;
      }
    }
  }
  // Long enough for the counts to wrap the ring many times at full speed.
  ASSERT_EQ(RunChecked(200000, none, none, seed), "");
}

// While consume holds the first job, produce fills the whole ring and no
// more.
TEST(RecordPipeline, ProduceRunsAWholeRingAhead) {
  Watchdog watchdog;
  std::atomic<std::int64_t> filled{0};
  std::int64_t lead = -1;
  auto produce = [&](RecordJob&) {
    if (filled == 40) return false;
    ++filled;
    return true;
  };
  auto consume = [&](RecordJob&) {
    if (lead >= 0) return;
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (filled < kRing && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(microseconds(100));
    std::this_thread::sleep_for(milliseconds(20));  // time to overrun, if it would
    lead = filled;
  };
  RunRecordPipeline(produce, consume);
  EXPECT_EQ(lead, kRing);
  EXPECT_EQ(filled.load(), 40);
}

}  // namespace
}  // namespace vulconv
