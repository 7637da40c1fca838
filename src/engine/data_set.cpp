#include "engine/data_set.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>
#include <utility>

#include "engine/date_time.h"
#include "engine/error.h"
#include "engine/text.h"

namespace ped::engine {
namespace {

// Views this small are scanned; bigger ones use the columns' equality indexes.
constexpr std::size_t kScanLimit = 64;

std::string trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

std::vector<std::string> splitNames(std::string_view names) {
  std::vector<std::string> out;
  while (true) {
    const auto semi = names.find(';');
    std::string part = trim(names.substr(0, semi));
    if (!part.empty()) out.push_back(std::move(part));
    if (semi == std::string_view::npos) break;
    names.remove_prefix(semi + 1);
  }
  return out;
}

std::string formatFloat(double d) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
  std::string s(buf, end);
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

std::optional<double> parseNumber(std::string_view s) {
  std::string t = trim(s);
  for (char& c : t)
    if (c == ',') c = '.';
  if (t.empty()) return std::nullopt;
  double d = 0;
  const char* b = t.data();
  if (*b == '+') ++b;
  auto [end, ec] = std::from_chars(b, t.data() + t.size(), d);
  if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(d)) return std::nullopt;
  return d;
}

bool sameCell(const CellView& cell, const Value& v, bool caseInsensitive) {
  if (v.isNull() || (v.isText() && v.text().empty())) return cell.isNull();
  switch (cell.kind) {
    case CellView::Kind::Null: return false;
    case CellView::Kind::Text:
      return v.isText() && (caseInsensitive ? text::equalsIgnoreCase(cell.text, v.text()) : cell.text == v.text());
    case CellView::Kind::Number:
      return (v.isFloat() && v.number() == cell.number) ||
             (v.isInteger() && static_cast<double>(v.integer()) == cell.number);
    case CellView::Kind::Integer: return v.isInteger() && v.integer() == cell.integer;
    case CellView::Kind::Boolean: return v.isBoolean() && v.boolean() == cell.boolean;
  }
  return false;
}

}  // namespace

std::string_view stateName(DataSetState s) {
  switch (s) {
    case DataSetState::Inactive: return "Inactive";
    case DataSetState::Browse: return "Browse";
    case DataSetState::Edit: return "Edit";
    case DataSetState::Insert: return "Insert";
    case DataSetState::CalcFields: return "CalcFields";
  }
  return "?";
}

// ===================================================================== Field

Field::Field(DataSet& owner, std::size_t index, FieldDef def) : owner_(&owner), index_(index), def_(std::move(def)) {}

int Field::displayWidth() const {
  if (def_.displayWidth > 0) return def_.displayWidth;
  switch (def_.type) {
    case FieldType::Text: return size();
    case FieldType::DateTime: return 18;
    case FieldType::Boolean: return 5;
    default: return 10;
  }
}

bool Field::isNull() const { return owner_->currentValue(index_).isNull(); }
Value Field::value() const { return owner_->currentValue(index_); }

std::string Field::asString() const {
  const Value v = value();
  if (v.isNull()) return {};
  if (v.isText()) return v.text();
  if (v.isBoolean()) return v.boolean() ? "True" : "False";
  if (v.isInteger()) return std::to_string(v.integer());
  if (def_.type == FieldType::DateTime) {
    const double d = v.number();
    return date_time::toBrazilian(d, d != date_time::datePart(d));
  }
  return formatFloat(v.number());
}

double Field::asFloat() const {
  const Value v = value();
  if (v.isNull()) return 0;
  if (v.isFloat()) return v.number();
  if (v.isInteger()) return static_cast<double>(v.integer());
  if (v.isBoolean()) return v.boolean() ? 1 : 0;
  if (auto d = parseNumber(v.text())) return *d;
  throw EngineError("'" + v.text() + "' não é um valor numérico válido (campo " + def_.name + ").");
}

std::int64_t Field::asInteger() const {
  const Value v = value();
  if (v.isInteger()) return v.integer();
  const double d = asFloat();
  if (!(std::abs(d) < 9.2e18)) throw EngineError("Valor fora do intervalo de inteiros (campo " + def_.name + ").");
  return static_cast<std::int64_t>(std::llround(d));
}

bool Field::asBoolean() const {
  const Value v = value();
  if (v.isNull()) return false;
  if (v.isBoolean()) return v.boolean();
  if (v.isText()) {
    const std::string f = text::fold(v.text());
    if (f == "true" || f == "s" || f == "sim" || f == "t") return true;
    if (f == "false" || f == "n" || f == "não" || f == "f") return false;
    throw EngineError("'" + v.text() + "' não é um valor lógico válido (campo " + def_.name + ").");
  }
  return asFloat() != 0;
}

double Field::asDateTime() const {
  const Value v = value();
  if (v.isNull()) return 0;
  if (v.isText()) {
    if (auto d = date_time::fromBrazilian(v.text())) return *d;
    if (auto d = date_time::fromIso(v.text())) return *d;
    throw EngineError("'" + v.text() + "' não é uma data válida (campo " + def_.name + ").");
  }
  return asFloat();
}

Value Field::oldValue() const {
  const DataSet& ds = *owner_;
  if (!ds.hasCurrentRow()) return {};
  const RowId row = ds.state_ == DataSetState::CalcFields && !ds.calcIntoBuffer_ ? ds.calcRow_ : ds.currentRow();
  if (row >= ds.mergeWatermark_) return {};  // inserted since the last merge
  if (auto it = ds.changeLog_.find(row); it != ds.changeLog_.end()) {
    for (const auto& [f, v] : it->second.original)
      if (f == index_) return v;
  }
  if (ds.state_ == DataSetState::Insert && row == ds.editRow_) return {};
  return ds.table_.column(index_).cell(row).toValue();
}

std::string Field::displayText() const {
  std::string text = asString();
  if (onGetText) onGetText(*this, text, true);
  return text;
}

void Field::setValue(const Value& v) { owner_->assign(*this, owner_->convertForField(*this, v)); }

void Field::setString(std::string_view s) {
  if (def_.type != FieldType::Text) return setValue(Value(s));
  // Hot path of every text assignment: no temporary strings.
  if (!text::isAscii(s) && !text::isValidUtf8(s)) throw EngineError("Texto inválido (UTF-8) para o campo " + def_.name + ".");
  if (s.size() > static_cast<std::size_t>(size())) s = text::truncate(s, static_cast<std::size_t>(size()));
  if (Column* direct = owner_->directColumn(*this)) {
    direct->setText(owner_->editRow_, s);
  } else {
    Value& slot = owner_->slotFor(*this);
    if (s.empty())
      slot.reset();
    else
      slot.assignText(s);
  }
  owner_->assigned(*this);
}

void Field::setFloat(double d) {
  if (def_.type != FieldType::Float || !std::isfinite(d)) return setValue(Value(d));
  if (Column* direct = owner_->directColumn(*this))
    direct->setNumber(owner_->editRow_, d);
  else
    owner_->slotFor(*this).assignNumber(d);
  owner_->assigned(*this);
}

// =================================================================== DataSet

class DataSet::ViewRowCells : public RowCells {
 public:
  ViewRowCells(const Table& t, RowId row) : table_(t), row_(row) {}
  CellView cell(int field) const override { return table_.column(static_cast<std::size_t>(field)).cell(row_); }

 private:
  const Table& table_;
  RowId row_;
};

DataSet::DataSet(std::string name) : name_(std::move(name)) {}
DataSet::~DataSet() = default;

Field& DataSet::addField(FieldDef def) {
  if (active()) throw EngineError("Não é possível criar campos com o conjunto de dados " + name_ + " aberto.");
  if (def.name.empty()) throw EngineError("Campo sem nome.");
  if (findField(def.name)) throw EngineError("Campo '" + def.name + "' duplicado em " + name_ + ".");
  fields_.push_back(std::make_unique<Field>(*this, fields_.size(), std::move(def)));
  if (!filterText_.empty()) filterCompiled_ = false;
  return *fields_.back();
}

Field* DataSet::findField(std::string_view name) const {
  for (const auto& f : fields_)
    if (text::equalsIgnoreCase(f->name(), name)) return f.get();
  return nullptr;
}

Field& DataSet::field(std::string_view name) const {
  if (Field* f = findField(name)) return *f;
  throw EngineError("Campo '" + std::string(name) + "' não encontrado em " + name_ + ".");
}

std::vector<FieldSpec> DataSet::layout() const {
  std::vector<FieldSpec> out;
  out.reserve(fields_.size());
  for (const auto& f : fields_) out.push_back({f->name(), f->type(), f->size(), f->calculated()});
  return out;
}

// ------------------------------------------------------------ state & notices

void DataSet::setState(DataSetState s) {
  if (state_ == s) return;
  state_ = s;
  if (s != DataSetState::CalcFields) {
    fire(events.onStateChange);
    notify(DataSetNotice::StateChanged);
  }
}

void DataSet::notifySlow(DataSetNotice n) {
  if (controlsDisabled_ > 0 && n != DataSetNotice::StateChanged) return;
  for (auto& [id, l] : listeners_) l(n);
}

void DataSet::enableControls() {
  if (controlsDisabled_ == 0) return;
  if (--controlsDisabled_ == 0) notify(DataSetNotice::DataChanged);
}

int DataSet::addListener(std::function<void(DataSetNotice)> listener) {
  listeners_.emplace_back(nextListenerId_, std::move(listener));
  return nextListenerId_++;
}

void DataSet::removeListener(int id) {
  std::erase_if(listeners_, [id](const auto& p) { return p.first == id; });
}

void DataSet::requireActive() const {
  if (!active()) throw EngineError("Conjunto de dados " + name_ + " fechado.");
}

void DataSet::checkBrowseMode() {
  requireActive();
  if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) post();
}

// -------------------------------------------------------------- opening

void DataSet::replaceContent(Table table) {
  if (!filterCompiled_) compileFilter();  // may throw: nothing changed yet
  touched_.assign(touched_.size(), 0);
  const bool wasActive = active();
  state_ = DataSetState::Browse;  // pending edits are dropped
  table_ = std::move(table);
  ++generation_;
  mergeChangeLog();
  calculateAll();
  rebuildView();
  pos_ = 0;
  bof_ = true;
  eof_ = viewSize() == 0;
  if (!wasActive) {
    fire(events.onStateChange);
    notify(DataSetNotice::StateChanged);
  }
  notify(DataSetNotice::DataChanged);
  fire(events.afterOpen);
  if (viewSize() > 0) fire(events.afterScroll);
}

void DataSet::open() {
  if (active()) return;
  std::vector<FieldType> types;
  for (const auto& f : fields_) types.push_back(f->type());
  replaceContent(Table(types));
}

void DataSet::close() {
  if (!active()) return;
  touched_.assign(touched_.size(), 0);
  table_ = Table();
  changeLog_.clear();
  view_.clear();
  viewNatural_ = true;
  viewPositionsValid_ = false;
  ++generation_;
  pos_ = 0;
  bof_ = eof_ = true;
  setState(DataSetState::Inactive);
  notify(DataSetNotice::DataChanged);
}

void DataSet::loadPacket(std::string_view json) {
  std::vector<FieldSpec> specs = layout();
  const bool defineFields = specs.empty();
  Table table = decodePacket(json, specs);
  if (defineFields) {
    if (active()) close();
    for (const auto& s : specs) addField(FieldDef{.name = s.name, .type = s.type, .size = s.size});
  }
  replaceContent(std::move(table));
}

std::string DataSet::toPacket() const {
  requireActive();
  const auto& order = table_.rows().order;
  if (state_ == DataSetState::Insert) {
    std::vector<RowId> posted;
    posted.reserve(order.size());
    for (RowId r : order)
      if (r != editRow_) posted.push_back(r);
    return encodePacket(layout(), table_, posted);
  }
  return encodePacket(layout(), table_, order);
}

void DataSet::copyFrom(const DataSet& source) {
  source.requireActive();
  if (&source == this) return;
  if (fields_.empty()) {
    for (const auto& f : source.fields_) addField(f->definition());
  } else {
    bool same = fields_.size() == source.fields_.size();
    for (std::size_t i = 0; same && i < fields_.size(); ++i)
      same = text::equalsIgnoreCase(fields_[i]->name(), source.fields_[i]->name()) &&
             fields_[i]->type() == source.fields_[i]->type();
    if (!same) {
      // Different layouts: go through a packet, which maps fields by name.
      loadPacket(source.toPacket());
      return;
    }
  }
  Table table = source.table_;
  if (source.state_ == DataSetState::Insert) table.removeRow(source.editRow_);
  // Sizes may differ even where names and types agree: cut what is longer.
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i]->type() != FieldType::Text || fields_[i]->size() >= source.fields_[i]->size()) continue;
    const auto max = static_cast<std::size_t>(fields_[i]->size());
    for (RowId r : table.rows().order) {
      const CellView c = table.column(i).cell(r);
      if (c.kind == CellView::Kind::Text && text::length(c.text) > max)
        table.mutableColumn(i).setText(r, std::string(text::truncate(c.text, max)));
    }
  }
  replaceContent(std::move(table));
}

void DataSet::emptyDataSet() {
  requireActive();
  std::vector<FieldType> types;
  for (const auto& f : fields_) types.push_back(f->type());
  state_ = DataSetState::Browse;
  replaceContent(Table(types));
}

// ------------------------------------------------------------------- view

std::size_t DataSet::viewSize() const {
  if (!active()) return 0;
  return viewNatural_ ? table_.rows().order.size() : view_.size();
}

RowId DataSet::viewRow(std::size_t i) const { return viewNatural_ ? table_.rows().order[i] : view_[i]; }

std::size_t DataSet::recordCount() const { return viewSize(); }

RowId DataSet::rowAt(std::size_t position) const { return viewRow(position); }

CellView DataSet::cellAt(std::size_t position, std::size_t f) const {
  const RowId row = viewRow(position);
  if ((state_ == DataSetState::Edit || state_ == DataSetState::Insert) && row == editRow_ && touched_[f]) {
    // Cell views can't point into a temporary; only texts need the buffer's storage.
    const Value& v = buffer_[f];
    CellView c;
    if (v.isText()) {
      c.kind = CellView::Kind::Text;
      c.text = v.text();
    } else if (v.isFloat()) {
      c.kind = CellView::Kind::Number;
      c.number = v.number();
    } else if (v.isInteger()) {
      c.kind = CellView::Kind::Integer;
      c.integer = v.integer();
    } else if (v.isBoolean()) {
      c.kind = CellView::Kind::Boolean;
      c.boolean = v.boolean();
    }
    return c;
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
  const RowSet& rows = table_.rows();
  return rows.naturalPosition(a) < rows.naturalPosition(b);
}

std::vector<RowId> DataSet::filterCandidates() const {
  const auto& order = table_.rows().order;
  if (!filterActive()) return order;
  if (order.size() > kScanLimit) {
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
    if (best && best->size() < order.size() / 4) {
      std::vector<RowId> out(*best);
      const auto& alive = table_.rows().alive;
      std::sort(out.begin(), out.end());
      out.erase(std::unique(out.begin(), out.end()), out.end());
      std::erase_if(out, [&](RowId r) { return !alive[r] || !rowMatchesFilter(r); });
      if (!table_.rows().identity) {
        const RowSet& rs = table_.rows();
        std::sort(out.begin(), out.end(),
                  [&](RowId a, RowId b) { return rs.naturalPosition(a) < rs.naturalPosition(b); });
      }
      return out;
    }
  }
  std::vector<RowId> out;
  for (RowId r : order)
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

void DataSet::materialiseView() {
  if (!viewNatural_) return;
  view_ = table_.rows().order;
  viewNatural_ = false;
  viewPositionsValid_ = false;
}

std::optional<std::size_t> DataSet::viewPositionOf(RowId row) const {
  const RowSet& rs = table_.rows();
  if (row >= rs.alive.size() || !rs.alive[row]) return std::nullopt;
  if (viewNatural_) return rs.naturalPosition(row);
  if (view_.size() <= kScanLimit) {
    auto it = std::find(view_.begin(), view_.end(), row);
    if (it == view_.end()) return std::nullopt;
    return static_cast<std::size_t>(it - view_.begin());
  }
  if (!viewPositionsValid_) {
    viewPositions_.assign(rs.alive.size(), 0);
    for (std::size_t i = 0; i < view_.size(); ++i) viewPositions_[view_[i]] = static_cast<std::uint32_t>(i + 1);
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
    try {
      compileFilter();
    } catch (...) {
      filterText_ = std::move(previous);
      throw;
    }
  }
  if (active() && filtered_) {
    rebuildView();
    first();
  }
}

void DataSet::setFiltered(bool on) {
  if (on == filtered_) return;
  if (active()) checkBrowseMode();
  filtered_ = on;
  if (active()) {
    rebuildView();
    first();
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

// ---------------------------------------------------------------- cursor

void DataSet::moveTo(std::size_t position) {
  pos_ = position;
  notify(DataSetNotice::Scrolled);
}

void DataSet::first() {
  checkBrowseMode();
  if (viewSize() == 0) {
    bof_ = eof_ = true;
    return;
  }
  fire(events.beforeScroll);
  moveTo(0);
  bof_ = true;
  eof_ = false;
  fire(events.afterScroll);
}

void DataSet::last() {
  checkBrowseMode();
  if (viewSize() == 0) {
    bof_ = eof_ = true;
    return;
  }
  fire(events.beforeScroll);
  moveTo(viewSize() - 1);
  eof_ = true;
  bof_ = false;
  fire(events.afterScroll);
}

void DataSet::next() {
  checkBrowseMode();
  fire(events.beforeScroll);
  if (eof_) return;
  if (pos_ + 1 < viewSize()) {
    moveTo(pos_ + 1);
    bof_ = false;
  } else {
    eof_ = true;
  }
  fire(events.afterScroll);
}

void DataSet::prior() {
  checkBrowseMode();
  fire(events.beforeScroll);
  if (bof_) return;
  if (pos_ > 0 && viewSize() > 0) {
    moveTo(pos_ - 1);
    eof_ = false;
  } else {
    bof_ = true;
  }
  fire(events.afterScroll);
}

std::size_t DataSet::recNo() const { return viewSize() == 0 ? 0 : pos_ + 1; }

Bookmark DataSet::bookmark() const {
  if (!hasCurrentRow()) return {};
  return {currentRow(), generation_, true};
}

bool DataSet::bookmarkValid(const Bookmark& b) const {
  return b.valid && active() && b.generation == generation_ && viewPositionOf(b.row).has_value();
}

void DataSet::gotoBookmark(const Bookmark& b) {
  checkBrowseMode();
  if (!bookmarkValid(b)) throw EngineError("Registro não encontrado em " + name_ + ".");
  fire(events.beforeScroll);
  moveTo(*viewPositionOf(b.row));
  bof_ = eof_ = false;
  fire(events.afterScroll);
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

// ---------------------------------------------------------------- editing

Value DataSet::convertForField(const Field& f, const Value& v) const {
  if (v.isNull()) return v;
  switch (f.type()) {
    case FieldType::Text: {
      std::string s;
      if (v.isText()) {
        if (!text::isValidUtf8(v.text()))
          throw EngineError("Texto inválido (UTF-8) para o campo " + f.name() + ".");
        s = std::string(text::truncate(v.text(), static_cast<std::size_t>(f.size())));
      } else if (v.isFloat()) {
        s = formatFloat(v.number());
      } else if (v.isInteger()) {
        s = std::to_string(v.integer());
      } else {
        s = v.boolean() ? "True" : "False";
      }
      if (s.empty()) return {};
      return Value(std::move(s));
    }
    case FieldType::Float:
    case FieldType::DateTime: {
      if (v.isFloat()) {
        if (!std::isfinite(v.number())) throw EngineError("Valor numérico inválido para o campo " + f.name() + ".");
        if (f.type() == FieldType::DateTime && v.number() == 0) return {};
        return v;
      }
      if (v.isInteger()) return Value(static_cast<double>(v.integer()));
      if (v.isText()) {
        if (trim(v.text()).empty()) return {};
        if (f.type() == FieldType::DateTime) {
          if (auto d = date_time::fromBrazilian(v.text())) return Value(*d);
          if (auto d = date_time::fromIso(v.text())) return Value(*d);
          throw EngineError("'" + v.text() + "' não é uma data válida (campo " + f.name() + ").");
        }
        if (auto d = parseNumber(v.text())) return Value(*d);
        throw EngineError("'" + v.text() + "' não é um valor numérico válido (campo " + f.name() + ").");
      }
      return Value(v.boolean() ? 1.0 : 0.0);
    }
    case FieldType::Integer: {
      if (v.isInteger()) return v;
      double d = 0;
      if (v.isFloat()) {
        d = v.number();
      } else if (v.isText()) {
        if (trim(v.text()).empty()) return {};
        auto p = parseNumber(v.text());
        if (!p) throw EngineError("'" + v.text() + "' não é um valor inteiro válido (campo " + f.name() + ").");
        d = *p;
      } else {
        return Value(std::int64_t{v.boolean() ? 1 : 0});
      }
      if (!std::isfinite(d) || std::trunc(d) != d || std::abs(d) >= 9.2e18)
        throw EngineError("Valor inteiro inválido para o campo " + f.name() + ".");
      return Value(static_cast<std::int64_t>(d));
    }
    case FieldType::Boolean:
      if (v.isBoolean()) return v;
      if (v.isInteger()) return Value(v.integer() != 0);
      if (v.isFloat()) return Value(v.number() != 0);
      {
        const std::string t = text::fold(trim(v.text()));
        if (t == "true" || t == "s" || t == "t" || t == "sim") return Value(true);
        if (t == "false" || t == "n" || t == "f" || t == "não") return Value(false);
      }
      throw EngineError("'" + v.text() + "' não é um valor lógico válido (campo " + f.name() + ").");
  }
  return v;
}

Value DataSet::currentValue(std::size_t f) const {
  if (!active()) return {};
  if (state_ == DataSetState::CalcFields) {
    if (calcIntoBuffer_) {
      if (touched_[f]) return buffer_[f];
      return table_.column(f).cell(editRow_).toValue();
    }
    return table_.column(f).cell(calcRow_).toValue();
  }
  if (viewSize() == 0) return {};
  if ((state_ == DataSetState::Edit || state_ == DataSetState::Insert) && touched_[f]) return buffer_[f];
  return table_.column(f).cell(currentRow()).toValue();
}

Value& DataSet::slotFor(Field& f) {
  const std::size_t i = f.index();
  if (state_ == DataSetState::CalcFields) {
    if (!f.calculated())
      throw EngineError("Campo " + f.name() + " não pode ser alterado durante o cálculo.");
    if (!calcIntoBuffer_) {
      // Calculated values of a stored row are written to it straight away (in assigned()).
      calcScratch_.reset();
      return calcScratch_;
    }
  } else if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) {
    throw EngineError("Conjunto de dados " + name_ + " não está em modo de edição ou inclusão.");
  }
  touched_[i] = 1;
  return buffer_[i];
}

void DataSet::assignedSlow(Field& f) {
  if (state_ == DataSetState::CalcFields) {
    if (!calcIntoBuffer_) table_.mutableColumn(f.index()).set(calcRow_, calcScratch_);
    return;  // no change events while calculating
  }
  if (!f.calculated() && events.onCalcFields) calculateRow(editRow_, state_ == DataSetState::Edit);
  if (f.onChange) f.onChange(f);
  notify(DataSetNotice::RecordChanged);
}

void DataSet::assign(Field& f, Value v) {
  if (Column* direct = directColumn(f))
    direct->set(editRow_, v);
  else
    slotFor(f) = std::move(v);
  assigned(f);
}

void DataSet::calculateRow(RowId row, bool intoBuffer) {
  if (!events.onCalcFields) return;
  bool anyCalculated = false;
  for (const auto& f : fields_) anyCalculated = anyCalculated || f->calculated();
  if (!anyCalculated) return;
  struct Restore {
    DataSet& ds;
    DataSetState state;
    bool intoBuffer;
    RowId row;
    ~Restore() {
      ds.state_ = state;
      ds.calcIntoBuffer_ = intoBuffer;
      ds.calcRow_ = row;
    }
  } restore{*this, state_, calcIntoBuffer_, calcRow_};
  state_ = DataSetState::CalcFields;
  calcIntoBuffer_ = intoBuffer;
  calcRow_ = row;
  if (!intoBuffer)
    for (std::size_t i = 0; i < fields_.size(); ++i)
      if (fields_[i]->calculated()) table_.mutableColumn(i).setNull(row);
  events.onCalcFields(*this);
}

void DataSet::calculateAll() {
  if (!events.onCalcFields) return;
  for (RowId r : table_.rows().order) calculateRow(r, false);
}

void DataSet::logOriginal(RowId row, std::size_t f) {
  if (row >= mergeWatermark_) return;
  ChangeEntry& e = changeLog_[row];
  for (const auto& [i, v] : e.original)
    if (i == f) return;
  e.original.emplace_back(f, table_.column(f).cell(row).toValue());
}

void DataSet::resetBuffer() {
  // Slots keep their storage from row to row; touched_ says which hold values.
  if (buffer_.size() != fields_.size()) buffer_.resize(fields_.size());
  touched_.assign(fields_.size(), 0);
}

void DataSet::edit() {
  requireActive();
  if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) return;
  if (viewSize() == 0) return insert();
  fire(events.beforeEdit);
  editRow_ = currentRow();
  resetBuffer();
  setState(DataSetState::Edit);
  fire(events.afterEdit);
}

void DataSet::insert() {
  checkBrowseMode();
  fire(events.beforeInsert);
  fire(events.beforeScroll);
  const std::size_t n = viewSize();
  const std::size_t at = std::min(pos_, n);
  std::optional<std::size_t> naturalPos;
  if (n > 0) naturalPos = table_.rows().naturalPosition(viewRow(at));
  editRow_ = table_.addRow(naturalPos);
  if (!viewNatural_) view_.insert(view_.begin() + static_cast<std::ptrdiff_t>(at), editRow_);
  viewPositionsValid_ = false;
  pos_ = n == 0 ? 0 : at;
  bof_ = eof_ = false;
  resetBuffer();
  setState(DataSetState::Insert);
  fire(events.onNewRecord);
  fire(events.afterInsert);
  notify(DataSetNotice::DataChanged);
  fire(events.afterScroll);
}

void DataSet::append() {
  checkBrowseMode();
  fire(events.beforeInsert);
  fire(events.beforeScroll);
  editRow_ = table_.addRow();
  if (!viewNatural_) view_.push_back(editRow_);
  viewPositionsValid_ = false;
  pos_ = viewSize() - 1;
  bof_ = eof_ = false;
  resetBuffer();
  setState(DataSetState::Insert);
  fire(events.onNewRecord);
  fire(events.afterInsert);
  notify(DataSetNotice::DataChanged);
  fire(events.afterScroll);
}

void DataSet::post() {
  requireActive();
  if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) return;
  fire(events.beforePost);
  const RowId row = editRow_;
  const bool inserting = state_ == DataSetState::Insert;
  bool indexKeyTouched = false;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (!touched_[i]) continue;
    if (!inserting && !fields_[i]->calculated()) logOriginal(row, i);
    table_.mutableColumn(i).set(row, buffer_[i]);
    indexKeyTouched = indexKeyTouched || (!indexFields_.empty() && std::find(indexFields_.begin(), indexFields_.end(), i) != indexFields_.end());
  }
  if (inserting) ++insertedCount_;
  touched_.assign(touched_.size(), 0);
  state_ = DataSetState::Browse;  // calculation reads the posted row from here on
  calculateRow(row, false);
  if (inserting || indexKeyTouched || filterActive()) placeAfterPost(row);
  fire(events.onStateChange);
  notify(DataSetNotice::StateChanged);
  fire(events.afterPost);
  notify(DataSetNotice::DataChanged);
}

void DataSet::placeAfterPost(RowId row) {
  if (viewNatural_) return;
  viewPositionsValid_ = false;
  const auto it = std::find(view_.begin(), view_.end(), row);
  std::size_t at = static_cast<std::size_t>(it - view_.begin());
  if (it != view_.end()) view_.erase(it);
  if (!rowMatchesFilter(row)) {
    // The row left the view: the cursor stands on the row that followed it.
    pos_ = view_.empty() ? 0 : std::min(at, view_.size() - 1);
    if (view_.empty()) bof_ = eof_ = true;
    return;
  }
  if (!indexFields_.empty())
    at = static_cast<std::size_t>(
        std::lower_bound(view_.begin(), view_.end(), row, [this](RowId a, RowId b) { return lessInIndex(a, b); }) -
        view_.begin());
  view_.insert(view_.begin() + static_cast<std::ptrdiff_t>(std::min(at, view_.size())), row);
  pos_ = std::min(at, view_.size() - 1);
}

void DataSet::cancel() {
  requireActive();
  if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) return;
  fire(events.beforeCancel);
  if (state_ == DataSetState::Insert) {
    const RowId row = editRow_;
    if (!viewNatural_) {
      std::erase(view_, row);
      viewPositionsValid_ = false;
    }
    table_.removeRow(row);
    const std::size_t n = viewSize();
    if (n == 0) {
      pos_ = 0;
      bof_ = eof_ = true;
    } else if (pos_ >= n) {
      pos_ = n - 1;
    }
  }
  touched_.assign(touched_.size(), 0);
  setState(DataSetState::Browse);
  fire(events.afterCancel);
  notify(DataSetNotice::DataChanged);
}

void DataSet::remove() {
  requireActive();
  if (state_ == DataSetState::Insert) return cancel();
  if (viewSize() == 0) throw EngineError("Não há registro para excluir em " + name_ + ".");
  fire(events.beforeDelete);
  fire(events.beforeScroll);
  const RowId row = currentRow();
  touched_.assign(touched_.size(), 0);
  if (row >= mergeWatermark_) {
    --insertedCount_;
    changeLog_.erase(row);
  } else {
    for (std::size_t i = 0; i < fields_.size(); ++i) logOriginal(row, i);
    changeLog_[row].deleted = true;
  }
  if (!viewNatural_) {
    view_.erase(view_.begin() + static_cast<std::ptrdiff_t>(pos_));
    viewPositionsValid_ = false;
  }
  table_.removeRow(row);
  const std::size_t n = viewSize();
  if (n == 0) {
    pos_ = 0;
    bof_ = eof_ = true;
  } else if (pos_ >= n) {
    pos_ = n - 1;
  }
  setState(DataSetState::Browse);
  fire(events.afterDelete);
  notify(DataSetNotice::DataChanged);
  fire(events.afterScroll);
}

void DataSet::mergeChangeLog() {
  changeLog_.clear();
  insertedCount_ = 0;
  mergeWatermark_ = static_cast<RowId>(table_.physicalRows());
}

// ---------------------------------------------------------------- dump

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
        case CellView::Kind::Null: out << "null"; break;
        case CellView::Kind::Text: out << cell.text; break;
        case CellView::Kind::Number:
          out << (fields_[c]->type() == FieldType::DateTime ? date_time::toIso(cell.number) : formatFloat(cell.number));
          break;
        case CellView::Kind::Integer: out << cell.integer; break;
        case CellView::Kind::Boolean: out << (cell.boolean ? "true" : "false"); break;
      }
    }
  }
  return out.str();
}

}  // namespace ped::engine
