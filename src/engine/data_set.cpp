#include "engine/data_set.h"

#include <algorithm>
#include <utility>

#include "engine/error.h"
#include "engine/text.h"

namespace ped::engine {

std::string_view stateName(DataSetState s) {
  switch (s) {
    case DataSetState::Inactive:
      return "Inactive";
    case DataSetState::Browse:
      return "Browse";
    case DataSetState::Edit:
      return "Edit";
    case DataSetState::Insert:
      return "Insert";
    case DataSetState::CalcFields:
      return "CalcFields";
  }
  return "?";
}

// =================================================================== DataSet

DataSet::DataSet(std::string name) : name_(std::move(name)) {}
DataSet::~DataSet() = default;

Field& DataSet::addField(FieldDef def) {
  if (active())
    throw EngineError("Não é possível criar campos com o conjunto de dados " + name_ + " aberto.");
  if (def.name.empty()) throw EngineError("Campo sem nome.");
  if (findField(def.name)) throw EngineError("Campo '" + def.name + "' duplicado em " + name_ + ".");
  fields_.push_back(std::make_unique<Field>(*this, fields_.size(), std::move(def)));
  if (!filterText_.empty()) filterCompiled_ = false;
  return *fields_.back();
}

Field* DataSet::findField(std::string_view name) const {
  // Code names fields as they were defined: try that before folding case.
  for (const auto& f : fields_)
    if (f->name() == name) return f.get();
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
  const auto& order = table_.rows().order();
  if (state_ == DataSetState::Insert) {
    std::vector<RowId> posted;
    posted.reserve(order.size());
    for (RowId r : order)
      if (r != editRow_) posted.push_back(r);
    return encodePacket(layout(), table_, posted);
  }
  return encodePacket(layout(), table_, order);
}

std::string DataSet::toPacket(const std::vector<std::size_t>& positions) const {
  requireActive();
  std::vector<RowId> rows;
  rows.reserve(positions.size());
  for (const std::size_t position : positions) rows.push_back(rowAt(position));
  return encodePacket(layout(), table_, rows);
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
  // A row being inserted is always the last physical one.
  if (source.state_ == DataSetState::Insert) table.truncate(source.editRow_);
  // Sizes may differ even where names and types agree: cut what is longer.
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i]->type() != FieldType::Text || fields_[i]->size() >= source.fields_[i]->size()) continue;
    const auto max = static_cast<std::size_t>(fields_[i]->size());
    for (RowId r : table.rows().order()) {
      const CellView c = table.column(i).cell(r);
      if (c.kind == CellView::Kind::Text && text::length(c.text) > max)
        table.mutableColumn(i).setText(r, std::string(text::truncate(c.text, max)));
    }
  }
  replaceContent(std::move(table));
}

void DataSet::loadTable(Table table, const std::vector<FieldSpec>& layout) {
  if (fields_.empty()) {
    if (active()) close();
    for (const FieldSpec& f : layout)
      addField(FieldDef{.name = f.name, .type = f.type, .size = f.size, .calculated = f.calculated});
  }
  bool fits = table.columnCount() == fields_.size();
  for (std::size_t i = 0; fits && i < fields_.size(); ++i)
    fits = table.column(i).type() == fields_[i]->type();
  if (!fits) throw EngineError("Conteúdo incompatível com os campos de " + name_ + ".");
  replaceContent(std::move(table));
}

void DataSet::emptyDataSet() {
  requireActive();
  std::vector<FieldType> types;
  for (const auto& f : fields_) types.push_back(f->type());
  state_ = DataSetState::Browse;
  replaceContent(Table(types));
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

void DataSet::setRecNo(std::size_t recNo) {
  checkBrowseMode();
  if (recNo == 0 || recNo > viewSize())
    throw EngineError("Registro " + std::to_string(recNo) + " não existe em " + name_ + ".");
  fire(events.beforeScroll);
  moveTo(recNo - 1);
  bof_ = eof_ = false;
  fire(events.afterScroll);
}

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
    if (!f.calculated()) throw EngineError("Campo " + f.name() + " não pode ser alterado durante o cálculo.");
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
  for (RowId r : table_.rows().order()) calculateRow(r, false);
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
  std::optional<RowId> next;
  if (at < n) next = viewRow(at);
  editRow_ = table_.addRow(next);
  if (!viewNatural_) view_.insert(view_.begin() + static_cast<std::ptrdiff_t>(at), editRow_);
  enterInsert(n == 0 ? 0 : at);
}

void DataSet::enterInsert(std::size_t position) {
  viewPositionsValid_ = false;
  pos_ = position;
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
  enterInsert(viewSize() - 1);
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
    indexKeyTouched =
        indexKeyTouched || (!indexFields_.empty() &&
                            std::find(indexFields_.begin(), indexFields_.end(), i) != indexFields_.end());
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
    at = static_cast<std::size_t>(std::lower_bound(view_.begin(), view_.end(), row,
                                                   [this](RowId a, RowId b) { return lessInIndex(a, b); }) -
                                  view_.begin());
  view_.insert(view_.begin() + static_cast<std::ptrdiff_t>(std::min(at, view_.size())), row);
  pos_ = std::min(at, view_.size() - 1);
}

void DataSet::cancel() {
  requireActive();
  if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) return;
  fire(events.beforeCancel);
  if (state_ == DataSetState::Insert) dropRow(editRow_);
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
  dropRow(row);
  setState(DataSetState::Browse);
  fire(events.afterDelete);
  notify(DataSetNotice::DataChanged);
  fire(events.afterScroll);
}

void DataSet::dropRow(RowId row) {
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

void DataSet::mergeChangeLog() {
  changeLog_.clear();
  insertedCount_ = 0;
  mergeWatermark_ = static_cast<RowId>(table_.physicalRows());
}

}  // namespace ped::engine
