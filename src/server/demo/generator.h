#pragma once
// Builds the demo database in memory: branches with their three kinds of
// stock parameters, sellers, operators, clients, products, stock, and sales
// orders in every status the Liquidação Manual screen deals with. Pure: the
// same options give the same data, byte for byte.

#include <cstdint>

#include "server/demo/demo_data.h"

namespace ped::server::demo {

// Fewer orders could not show every order and item status on every branch.
inline constexpr int kMinimumOrders = 12;
inline constexpr int kMaximumOrders = 1'000'000;

struct GeneratorOptions {
  std::uint64_t seed = 1;
  int orders = 2000;  // REQUIRES: kMinimumOrders..kMaximumOrders
  double today = 0;   // engine date (no time); orders are dated up to ~60 days before it
};

DemoData generateDemoData(const GeneratorOptions& options);

}  // namespace ped::server::demo
