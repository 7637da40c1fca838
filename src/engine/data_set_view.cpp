// The data set's view: filter, index order, locate and the dump for tests.

#include <algorithm>
#include <sstream>
#include <utility>

#include "engine/data_set.h"
#include "engine/date_time.h"
#include "engine/error.h"
#include "engine/scope_exit.h"
#include "engine/text.h"
#include "engine/value_text.h"

namespace ped::engine {
namespace {

// Views this small are scanned; bigger ones use the columns' equality indexes.
constexpr std::size_t kScanLimit = 64;

bool sameCell(const CellView& cell, const Value& v, bool caseInsensitive) {
  if (v.isNull() || (v.isText() && v.text().empty())) return cell.isNull();
  switch (cell.kind) {
    case CellView::Kind::Null:
      return false;
    case CellView::Kind::Text:
      return v.isText() &&
             (caseInsensitive ? text::equalsIgnoreCase(cell.text, v.text()) : cell.text == v.text());
    case CellView::Kind::Number:
      return (v.isFloat() && v.number() == cell.number) ||
             (v.isInteger() && static_cast<double>(v.integer()) == cell.number);
    case CellView::Kind::Integer:
      return v.isInteger() && v.integer() == cell.integer;
    case CellView::Kind::Boolean:
      return v.isBoolean() && v.boolean() == cell.boolean;
  }
  return false;
}

}  // namespace

using value_text::formatFloat;
using value_text::splitNames;
using value_text::trim;

class DataSet::ViewRowCells : public RowCells {
 public:
  ViewRowCells(const Table& t, RowId row) : table_(t), row_(row) {}
  CellView cell(int field) const override {
    return table_.column(static_cast<std::size_t>(field)).cell(row_);
  }

 private:
  const Table& table_;
  RowId row_;
};

std::size_t DataSet::viewSize() const {
  if (!active()) return 0;
  return viewNatural_ ? table_.rows().liveRows() : view_.size();
}

RowId DataSet::viewRow(std::size_t i) const { return viewNatural_ ? table_.rows().order()[i] : view_[i]; }

std::size_t DataSet::recordCount() const { return viewSize(); }

RowId DataSet::rowAt(std::size_t position) const { return viewRow(position); }

std::string DataSet::displayTextAt(std::size_t position, std::size_t f) const {
  const Field& field = *fields_[f];
  if (position == pos_) return field.displayText();
  if (!field.onGetText || state_ != DataSetState::Browse)
    return field.asStringOf(cellAt(position, f).toValue());
  // A peek: the cursor is put back on every way out, no event runs.
  auto& self = const_cast<DataSet&>(*this);
  struct Back {
    DataSet& ds;
    std::size_t pos;
    ~Back() { ds.pos_ = pos; }
  } back{self, pos_};
  self.pos_ = position;
  return field.displayText();
}

CellView DataSet::cellAt(std::size_t position, std::size_t f) const {
  const RowId row = viewRow(position);
  if ((state_ == DataSetState::Edit || state_ == DataSetState::Insert) && row == editRow_ && touched_[f]) {
    return CellView::of(buffer_[f]);
  }
  return table_.column(f).cell(row);
}

bool DataSet::rowMatchesFilter(RowId row) const {
  if (!filterActive()) return true;
  return filterExpr_.matches(ViewRowCells(table_, row));
}

bool DataSet::lessInIndex(RowId a, RowId b) const {
  for (std::size_t f : indexFields_) {
    const int c = table_.column(f).compare(a, b);
    if (c != 0) return c < 0;
  }
  return table_.rows().before(a, b);
}

std::vector<RowId> DataSet::filterCandidates() const {
  const RowSet& rs = table_.rows();
  if (!filterActive()) return rs.order();
  if (rs.liveRows() > kScanLimit) {
    // The rarest required value decides which rows are worth testing.
    const std::vector<RowId>* best = nullptr;
    for (const EqualityTerm& term : filterExpr_.requiredEqualities()) {
      const Column& col = table_.column(static_cast<std::size_t>(term.field));
      const auto key = col.keyOf(term.value);
      if (!key) return {};
      const std::vector<RowId>* rows = col.equalityIndex().rows(*key);
      if (!rows) return {};
      if (!best || rows->size() < best->size()) best = rows;
    }
    if (best && best->size() < rs.liveRows() / 4) {
      std::vector<RowId> out(*best);
      std::sort(out.begin(), out.end());
      out.erase(std::unique(out.begin(), out.end()), out.end());
      // The index may name rows of other copies of the column: isAlive checks the row is ours.
      std::erase_if(out, [&](RowId r) { return !rs.isAlive(r) || !rowMatchesFilter(r); });
      if (!rs.inIdOrder())
        std::sort(out.begin(), out.end(), [&](RowId a, RowId b) { return rs.before(a, b); });
      return out;
    }
  }
  std::vector<RowId> out;
  for (RowId r : rs.order())
    if (rowMatchesFilter(r)) out.push_back(r);
  return out;
}

void DataSet::rebuildView() {
  viewPositionsValid_ = false;
  if (!filterActive() && indexFields_.empty()) {
    viewNatural_ = true;
    view_.clear();
    view_.shrink_to_fit();
    return;
  }
  viewNatural_ = false;
  view_ = filterCandidates();
  if (!indexFields_.empty())
    std::sort(view_.begin(), view_.end(), [this](RowId a, RowId b) { return lessInIndex(a, b); });
}

std::optional<std::size_t> DataSet::viewPositionOf(RowId row) const {
  const RowSet& rs = table_.rows();
  if (!rs.isAlive(row)) return std::nullopt;
  if (viewNatural_) return rs.naturalPosition(row);
  if (view_.size() <= kScanLimit) {
    auto it = std::find(view_.begin(), view_.end(), row);
    if (it == view_.end()) return std::nullopt;
    return static_cast<std::size_t>(it - view_.begin());
  }
  if (!viewPositionsValid_) {
    viewPositions_.assign(rs.physicalRows(), 0);
    for (std::size_t i = 0; i < view_.size(); ++i)
      viewPositions_[view_[i]] = static_cast<std::uint32_t>(i + 1);
    viewPositionsValid_ = true;
  }
  if (row >= viewPositions_.size() || viewPositions_[row] == 0) return std::nullopt;
  return viewPositions_[row] - 1;
}

// ---------------------------------------------------------------- filter

void DataSet::compileFilter() {
  FilterFieldResolver resolve = [this](std::string_view n) -> std::optional<FilterField> {
    const Field* f = findField(n);
    if (!f) return std::nullopt;
    return FilterField{static_cast<int>(f->index()), f->type()};
  };
  filterExpr_ = FilterExpression::parse(filterText_, resolve);
  filterCompiled_ = true;
}

void DataSet::setFilter(std::string_view text) {
  if (active()) checkBrowseMode();
  std::string previous = std::exchange(filterText_, std::string(text));
  if (fields_.empty()) {
    filterCompiled_ = trim(filterText_).empty();
    if (filterCompiled_) filterExpr_ = FilterExpression();
  } else {
    // A text that does not compile leaves the former filter in place.
    const OnFailure restore{[&] { filterText_ = std::move(previous); }};
    compileFilter();
  }
  if (active() && filtered_) {
    rebuildView();
    first();
    notify(DataSetNotice::DataChanged);  // other rows are in view
  }
}

void DataSet::setFiltered(bool on) {
  if (on == filtered_) return;
  if (active()) checkBrowseMode();
  filtered_ = on;
  if (active()) {
    rebuildView();
    first();
    notify(DataSetNotice::DataChanged);
  }
}

void DataSet::setIndexFieldNames(std::string_view names) {
  std::vector<std::size_t> resolved = resolveFieldList(names);
  if (active()) checkBrowseMode();
  const std::optional<RowId> keep = hasCurrentRow() ? std::optional<RowId>(currentRow()) : std::nullopt;
  indexText_ = std::string(names);
  indexFields_ = std::move(resolved);
  if (!active()) return;
  rebuildView();
  pos_ = 0;
  if (keep)
    if (auto p = viewPositionOf(*keep)) pos_ = *p;
  bof_ = eof_ = viewSize() == 0;
  notify(DataSetNotice::DataChanged);
}

std::vector<std::size_t> DataSet::resolveFieldList(std::string_view names) const {
  std::vector<std::size_t> out;
  for (const std::string& n : splitNames(names)) out.push_back(field(n).index());
  return out;
}

bool DataSet::locate(std::string_view keyFields, const std::vector<Value>& values, LocateOptions options) {
  checkBrowseMode();
  const std::vector<std::size_t> keys = resolveFieldList(keyFields);
  if (keys.empty() || keys.size() != values.size())
    throw EngineError("Localização em " + name_ + ": " + std::to_string(keys.size()) + " campos e " +
                      std::to_string(values.size()) + " valores.");
  std::vector<Value> wanted;
  bool impossible = false;  // a value no cell of its field can hold
  for (std::size_t i = 0; i < keys.size(); ++i) {
    try {
      wanted.push_back(convertForField(*fields_[keys[i]], values[i]));
    } catch (const EngineError&) {
      impossible = true;
    }
  }
  fire(events.beforeScroll);

  auto rowMatches = [&](RowId r) {
    for (std::size_t i = 0; i < keys.size(); ++i)
      if (!sameCell(table_.column(keys[i]).cell(r), wanted[i], options.caseInsensitive)) return false;
    return true;
  };

  std::optional<std::size_t> found;
  const std::size_t n = viewSize();
  if (impossible) {
  } else if (n <= kScanLimit) {
    for (std::size_t i = 0; i < n && !found; ++i)
      if (rowMatches(viewRow(i))) found = i;
  } else {
    // Candidates from the first key's index, the earliest in the view wins.
    const std::size_t f0 = keys[0];
    const Column& col = table_.column(f0);
    const Value& v0 = wanted[0];
    std::vector<std::uint64_t> keysToTry;
    if (col.type() == FieldType::Text && options.caseInsensitive && v0.isText() && !v0.text().empty()) {
      for (std::uint32_t id : col.dictionary().idsFolded(text::fold(v0.text()))) keysToTry.push_back(id);
    } else if (auto k = col.keyOf(v0)) {
      keysToTry.push_back(*k);
    }
    const EqualityIndex& index = col.equalityIndex();
    for (std::uint64_t k : keysToTry) {
      const std::vector<RowId>* rows = index.rows(k);
      if (!rows) continue;
      for (RowId r : *rows) {
        if (!table_.rows().isAlive(r)) continue;  // another copy's row, or a dead one
        if (found && viewPositionOf(r).value_or(n) >= *found) continue;
        if (!rowMatches(r)) continue;
        if (auto p = viewPositionOf(r)) found = p;
      }
    }
  }
  if (!found) return false;
  moveTo(*found);
  bof_ = eof_ = false;
  fire(events.afterScroll);
  return true;
}

std::string DataSet::dump(std::string_view fieldNames) const {
  std::ostringstream out;
  out << (name_.empty() ? "DataSet" : name_) << ' ' << stateName(state_);
  if (!active()) return out.str();
  out << ' ' << recNo() << '/' << recordCount();
  if (bof_) out << " BOF";
  if (eof_) out << " EOF";
  if (!filterText_.empty()) out << " filter" << (filtered_ ? "(on)" : "(off)") << "=\"" << filterText_ << '"';
  if (!indexText_.empty()) out << " index=" << indexText_;
  std::vector<std::size_t> cols;
  if (fieldNames.empty()) {
    for (std::size_t i = 0; i < fields_.size(); ++i) cols.push_back(i);
  } else {
    cols = resolveFieldList(fieldNames);
  }
  for (std::size_t p = 0; p < viewSize(); ++p) {
    out << '\n' << (p == pos_ ? '>' : ' ');
    for (std::size_t c : cols) {
      const CellView cell = cellAt(p, c);
      out << ' ';
      switch (cell.kind) {
        case CellView::Kind::Null:
          out << "null";
          break;
        case CellView::Kind::Text:
          out << cell.text;
          break;
        case CellView::Kind::Number:
          out << (fields_[c]->type() == FieldType::DateTime ? date_time::toIso(cell.number)
                                                            : formatFloat(cell.number));
          break;
        case CellView::Kind::Integer:
          out << cell.integer;
          break;
        case CellView::Kind::Boolean:
          out << (cell.boolean ? "true" : "false");
          break;
      }
    }
  }
  return out.str();
}

}  // namespace ped::engine
