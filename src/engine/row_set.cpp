#include "engine/row_set.h"

#include <algorithm>
#include <limits>

#include "engine/error.h"

namespace ped::engine {

const std::vector<RowId>& RowSet::order() const {
  if (!order_) {
    auto rows = std::make_shared<std::vector<RowId>>();
    rows->reserve(live_);
    const auto n = static_cast<RowId>(alive_.size());
    for (RowId r = 0; r < n; ++r)
      if (alive_[r]) rows->push_back(r);
    if (!rank_.empty())
      std::sort(rows->begin(), rows->end(), [this](RowId a, RowId b) { return rank_[a] < rank_[b]; });
    order_ = std::move(rows);
  }
  return *order_;
}

std::size_t RowSet::naturalPosition(RowId row) const {
  if (rank_.empty() && live_ == alive_.size()) return row;
  if (!positions_) {
    auto positions = std::make_shared<std::vector<std::uint32_t>>(alive_.size(), 0);
    const std::vector<RowId>& rows = order();
    for (std::size_t i = 0; i < rows.size(); ++i) (*positions)[rows[i]] = static_cast<std::uint32_t>(i);
    positions_ = std::move(positions);
  }
  return (*positions_)[row];
}

std::uint64_t RowSet::gapBelow(RowId row) const {
  const auto it = std::lower_bound(gaps_.begin(), gaps_.end(), std::pair<RowId, std::uint64_t>(row, 0));
  return it != gaps_.end() && it->first == row ? it->second : kStep;
}

void RowSet::setGapBelow(RowId row, std::uint64_t gap) {
  const auto it = std::lower_bound(gaps_.begin(), gaps_.end(), std::pair<RowId, std::uint64_t>(row, 0));
  if (it != gaps_.end() && it->first == row)
    it->second = gap;
  else
    gaps_.insert(it, {row, gap});
}

void RowSet::rankAll() {
  rank_.grow(alive_.size(), 0);
  std::uint64_t* rank = rank_.mutableData();
  for (std::size_t r = 0; r < alive_.size(); ++r) rank[r] = (r + 1) * kStep;
}

void RowSet::spreadRanks() {
  const std::vector<RowId>& rows = order();
  std::uint64_t* rank = rank_.mutableData();
  for (std::size_t i = 0; i < rows.size(); ++i) rank[rows[i]] = (i + 1) * kStep;
  lastRank_ = std::max(lastRank_, (rows.size() + 1) * kStep);
  // Dead rows keep ranks that may now repeat live ones; nothing compares them.
  gaps_.clear();
}

RowId RowSet::add(std::optional<RowId> next) {
  if (alive_.size() >= std::numeric_limits<RowId>::max() - 1)
    throw EngineError("Limite de linhas do conjunto de dados excedido.");
  const auto row = static_cast<RowId>(alive_.size());
  if (next && isAlive(*next)) {
    if (rank_.empty()) rankAll();
    if (gaps_.size() >= kMaxGaps) spreadRanks();
    std::uint64_t gap = gapBelow(*next);
    if (gap < 2) {
      spreadRanks();
      gap = kStep;
    }
    // Rows go in one after another, each before the one inserted last (the
    // cursor stays on a posted row): a row that was itself inserted gives up
    // only a sliver of the room below it, so such a run lasts over a thousand
    // rows before the ranks are spread. Other rows split their room in half.
    const bool insertedItself = rank_[*next] % kStep != 0;
    const std::uint64_t upper = insertedItself ? std::max<std::uint64_t>(1, gap / 64) : gap / 2;
    alive_.push_back(1);
    rank_.push_back(rank_[*next] - upper);
    setGapBelow(*next, upper);
    setGapBelow(row, gap - upper);
    changed();  // rebuilt when a natural view next asks, not shifted on every insert
  } else {
    lastRank_ += kStep;
    alive_.push_back(1);
    if (!rank_.empty()) rank_.push_back(lastRank_);
    appendedToOrder(row);
  }
  ++live_;
  return row;
}

void RowSet::appendedToOrder(RowId row) {
  if (order_.use_count() != 1) return changed();
  if (positions_.use_count() == 1) {
    positions_->resize(row + 1);
    (*positions_)[row] = static_cast<std::uint32_t>(order_->size());
  } else {
    positions_.reset();
  }
  order_->push_back(row);
}

RowId RowSet::addMany(std::size_t n) {
  if (alive_.size() + n >= std::numeric_limits<RowId>::max() - 1)
    throw EngineError("Limite de linhas do conjunto de dados excedido.");
  const auto first = static_cast<RowId>(alive_.size());
  alive_.grow(alive_.size() + n, 1);
  if (!rank_.empty())
    for (std::size_t i = 0; i < n; ++i) rank_.push_back(lastRank_ + (i + 1) * kStep);
  lastRank_ += n * kStep;
  live_ += n;
  changed();
  return first;
}

void RowSet::remove(RowId row) {
  alive_.at(row) = 0;
  --live_;
  changed();
}

void RowSet::truncate(std::size_t rows) {
  for (std::size_t r = rows; r < alive_.size(); ++r)
    if (alive_[r]) --live_;
  alive_.truncate(rows);
  if (!rank_.empty()) rank_.truncate(rows);
  std::erase_if(gaps_, [&](const auto& g) { return g.first >= rows; });
  changed();
}

void RowSet::reserve(std::size_t rows) {
  alive_.reserve(rows);
  if (!rank_.empty()) rank_.reserve(rows);
}

}  // namespace ped::engine
