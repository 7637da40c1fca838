#pragma once
// RowSet: which physical rows of a table are alive, and their natural order
// (load order, with inserted rows where they were inserted).
//
// Natural order is a rank per row, so a row inserted in the middle of a
// million shifts nothing; the list of the rows in that order is built when
// first asked for after a change. Copies share the per-row arrays
// (SharedTail): a copy adds rows without copying them.
//
// Not thread-safe: a row set and all of its copies belong to one thread.

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "engine/shared_tail.h"

namespace ped::engine {

using RowId = std::uint32_t;  // physical row, stable for the life of the row

class RowSet {
 public:
  std::size_t physicalRows() const { return alive_.size(); }
  std::size_t liveRows() const { return live_; }
  bool isAlive(RowId row) const { return row < alive_.size() && alive_[row] != 0; }
  // True while natural order is the order of the ids (no row inserted in the middle).
  bool inIdOrder() const { return rank_.empty(); }
  // Whether `a` stands before `b` in natural order. REQUIRES: both physical rows.
  bool before(RowId a, RowId b) const { return rank_.empty() ? a < b : rank_[a] < rank_[b]; }
  // The alive rows in natural order.
  const std::vector<RowId>& order() const;
  // Position of `row` in order(). REQUIRES: isAlive(row).
  std::size_t naturalPosition(RowId row) const;

  // A new alive row, last in natural order, or just before `next` when that
  // row is alive. Returns its id.
  RowId add(std::optional<RowId> next = std::nullopt);
  // `n` new alive rows at the end; returns the first one's id.
  RowId addMany(std::size_t n);
  void remove(RowId row);  // REQUIRES: isAlive(row)
  // Forgets the physical rows from `rows` on. REQUIRES: rows <= physicalRows().
  void truncate(std::size_t rows);
  void reserve(std::size_t rows);

 private:
  static constexpr std::uint64_t kStep = std::uint64_t{1} << 32;
  static constexpr std::size_t kMaxGaps = 4096;

  std::uint64_t rankOf(RowId row) const {
    return rank_.empty() ? (std::uint64_t{row} + 1) * kStep : rank_[row];
  }
  std::uint64_t gapBelow(RowId row) const;
  void setGapBelow(RowId row, std::uint64_t gap);
  void rankAll();      // ranks written out for every row, in id order
  void spreadRanks();  // ranks evenly apart again, in natural order
  void changed() {
    order_.reset();
    positions_.reset();
  }
  void appendedToOrder(RowId row);

  SharedTail<std::uint8_t> alive_;
  SharedTail<std::uint64_t> rank_;  // empty while natural order is id order
  std::size_t live_ = 0;
  std::uint64_t lastRank_ = 0;  // the highest rank given
  // Rows whose rank stands closer than kStep above the next lower rank, by
  // row: a new row goes between a row and its predecessor without looking
  // for the predecessor.
  std::vector<std::pair<RowId, std::uint64_t>> gaps_;
  // Built when asked for; kept up to date on appends while no copy shares them.
  mutable std::shared_ptr<std::vector<RowId>> order_;
  mutable std::shared_ptr<std::vector<std::uint32_t>> positions_;
};

}  // namespace ped::engine
