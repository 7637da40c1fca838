#pragma once
// Stock leaving positions on manual settlement, in two steps. AtualizaEstoque
// checks the operator's allocation rows and stages them for his session; the
// settlement then applies the staged rows of each item inside its own
// transaction, so stock moves exactly once and only for settled items.

#include <string>
#include <string_view>

#include "engine/date_time.h"
#include "server/methods/sessions.h"
#include "sql/connection.h"

namespace ped::server {

class StockMovement {
 public:
  explicit StockMovement(const engine::Clock& clock) : clock_(clock) {}

  // Checks the rows of `allocationPacket` that `filterText` selects (see
  // stock_filter_text.h) and stages them. Result: [null, irregular] where
  // `irregular` lists the positions that would fall below zero (null when
  // none: then the rows are staged, replacing what this session had staged
  // for those items). Throws ServiceError when a row or an item total is
  // wrong.
  std::string AtualizaEstoque(sql::Connection& db, const Session& s, std::string_view branch,
                              std::string_view operatorCode, std::string_view description,
                              std::string_view allocationPacket, std::string_view filterText) const;

  // Inside the settlement's transaction: moves the stock staged by session
  // `s` for one item of an order at version `orderVersion`, of ordered
  // quantity `ordered`, the movements written under the settlement's
  // history row `history`. Only a staging of the last ten minutes counts.
  // Throws ServiceError (the caller rolls back) when nothing valid is
  // staged, a lot has expired, or the stock is no longer there.
  void applyStaged(sql::Connection& db, const Session& s, const std::string& branch, const std::string& order,
                   const std::string& item, std::int64_t orderVersion, double ordered,
                   std::int64_t history) const;

 private:
  const engine::Clock& clock_;
};

}  // namespace ped::server
