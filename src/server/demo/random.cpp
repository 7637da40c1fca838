#include "server/demo/random.h"

namespace ped::server::demo {

std::uint64_t Random::below(std::uint64_t n) {
  // Draws above the last whole multiple of n are thrown away, so every
  // remainder is equally likely.
  const std::uint64_t limit = UINT64_MAX - UINT64_MAX % n;
  std::uint64_t draw;
  do draw = engine_();
  while (draw >= limit);
  return draw % n;
}

std::int64_t Random::between(std::int64_t low, std::int64_t high) {
  return low + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(high - low) + 1));
}

std::size_t Random::weighted(std::initializer_list<int> weights) {
  int total = 0;
  for (const int w : weights) total += w;
  auto draw = static_cast<int>(below(static_cast<std::uint64_t>(total)));
  std::size_t index = 0;
  for (const int w : weights) {
    if (draw < w) return index;
    draw -= w;
    ++index;
  }
  return weights.size() - 1;
}

}  // namespace ped::server::demo
