#pragma once
// The floor of settlement throughput on SQLite: the writes one settlement of
// a whole order makes (its history rows, item and order updates, reservation
// delete, request-log row), as bare prepared statements in one transaction,
// `clients` threads at once, each on its own connection. Writers take turns
// by an in-process lock, the fastest way one process gets SQLite's single
// writer; commits are durable (WAL, synchronous=FULL), as the server's.

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace ped::bench {

// Settles `orders` (branch, order) of the SQLite file `path` in order until
// they or `duration` run out; returns settlements per second.
double sqliteSettlementFloor(const std::string& path,
                             const std::vector<std::pair<std::string, std::string>>& orders, int clients,
                             std::chrono::milliseconds duration);

}  // namespace ped::bench
