#pragma once
// A row of the operator table scripts/bench.sh prints: the wall time of each
// timed gesture is kept, and the row's figure is their median, in ms, beside
// the goal. Benchmarks using it run with UseManualTime, so the time Google
// Benchmark shows is the gestures' alone too.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace ped::bench {

class ActionTimes {
 public:
  explicit ActionTimes(benchmark::State& state) : state_(state) {}

  // Runs `gesture` as one timed iteration.
  template <class Gesture>
  void time(Gesture&& gesture) {
    const auto start = std::chrono::steady_clock::now();
    gesture();
    add(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  // A gesture timed by the caller, in seconds.
  void add(double seconds) {
    state_.SetIterationTime(seconds);
    seconds_.push_back(seconds);
  }

  // Sets the table's counters: `action` in words, the goal in ms.
  void report(const std::string& action, double goalMs = 100) {
    if (seconds_.empty()) return;
    std::vector<double> s = seconds_;
    const auto middle = s.begin() + static_cast<std::ptrdiff_t>(s.size() / 2);
    std::nth_element(s.begin(), middle, s.end());
    double median = *middle;
    if (s.size() % 2 == 0) median = (median + *std::max_element(s.begin(), middle)) / 2;
    state_.counters["measured"] = median * 1000;
    state_.counters["goal"] = goalMs;
    state_.counters["higher_is_better"] = 0;
    state_.SetLabel(action + " [ms]");
  }

 private:
  benchmark::State& state_;
  std::vector<double> seconds_;
};

}  // namespace ped::bench
