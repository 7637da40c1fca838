#pragma once
// The history of an order's manual settlements and their exclusions, as
// the operator reads it: who did what to which item, when and why, and the
// stock each settlement took.

#include <cstddef>
#include <string>
#include <string_view>

#include "server/methods/sessions.h"
#include "sql/connection.h"

namespace ped::server {

class OrderHistory {
 public:
  // `maxRows`: the most history rows (and, apart, movement rows) one answer
  // carries.
  explicit OrderHistory(std::size_t maxRows = 2000) : maxRows_(maxRows) {}

  // Result: [history, positions] in the layouts orderHistory() and
  // historyPositions(), newest first; the positions of a settlement in the
  // order they were taken. An order that does not exist and one the
  // operator may not see (another seller's, when he is tied to his) are
  // refused alike, so the answer never tells whether it exists. Throws
  // ServiceError for those and for an order with more than `maxRows` rows.
  // REQUIRES: `db` inside a read transaction (one snapshot for both reads).
  std::string GetHistorico(sql::Connection& db, const Session& s, std::string_view branch,
                           std::string_view order) const;

 private:
  std::size_t maxRows_;
};

}  // namespace ped::server
