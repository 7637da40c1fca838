#pragma once
// The demo data's only source of chance. std::mt19937_64's sequence is fixed
// by the C++ standard, but the standard distributions are not, so the few
// draws needed are made here: one seed gives the same data on every
// compiler and library.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

namespace ped::server::demo {

class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}

  // Uniform in [0, n). REQUIRES: n > 0.
  std::uint64_t below(std::uint64_t n);
  // Uniform in [low, high]. REQUIRES: low <= high.
  std::int64_t between(std::int64_t low, std::int64_t high);
  // True with probability percent / 100.
  bool chance(int percent) { return below(100) < static_cast<std::uint64_t>(percent); }
  // An index drawn with the given relative weights. REQUIRES: a positive sum.
  std::size_t weighted(std::initializer_list<int> weights);

  // REQUIRES: a non-empty vector.
  template <typename T>
  const T& pick(const std::vector<T>& from) {
    return from[static_cast<std::size_t>(below(from.size()))];
  }

 private:
  std::mt19937_64 engine_;
};

}  // namespace ped::server::demo
