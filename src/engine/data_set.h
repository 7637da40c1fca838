#pragma once
// DataSet: an in-memory table with named, typed fields, a cursor, editing
// states, events, a filter, an index order, a change log and packets.
//
// Rows live in a copy-on-write column store (column_store.h), so copying the
// whole content of one data set into another is O(1). What the cursor walks is
// the *view*: the alive rows in natural order, or - with a filter or an index
// order - a materialised list of row ids, filtered and sorted.
//
// Events follow the usual data-set order:
//   insert/append: beforeInsert, beforeScroll, onNewRecord, afterInsert, afterScroll
//   edit:          beforeEdit, afterEdit             (on an empty data set: insert)
//   post:          beforePost, (write), afterPost
//   cancel:        beforeCancel, (discard), afterCancel
//   delete:        beforeDelete, beforeScroll, (remove), afterDelete, afterScroll
//   first/last:    beforeScroll, afterScroll          (not on an empty view)
//   next/prior:    beforeScroll; afterScroll unless already at EOF / BOF
//   locate, gotoBookmark: beforeScroll; afterScroll when the row was found
// A handler that throws stops the operation where it stands: an exception
// from beforePost leaves the row pending with the values typed; from
// beforeScroll, the cursor where it was.
//
// Not thread-safe; a data set and its copies belong to one thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/column_store.h"
#include "engine/filter_expression.h"
#include "engine/packet.h"
#include "engine/value.h"

namespace ped::engine {

class DataSet;

enum class DataSetState { Inactive, Browse, Edit, Insert, CalcFields };
std::string_view stateName(DataSetState s);

struct FieldDef {
  std::string name;
  FieldType type = FieldType::Text;
  int size = 0;  // characters, Text only; 0 means 20
  std::string label;
  bool calculated = false;
  int displayWidth = 0;  // characters; 0 means the field's natural width
  bool visible = true;
};

class Field {
 public:
  Field(DataSet& owner, std::size_t index, FieldDef def);
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  const std::string& name() const { return def_.name; }
  FieldType type() const { return def_.type; }
  int size() const {
    return def_.type == FieldType::Text ? (def_.size > 0 ? def_.size : kDefaultTextSize) : 0;
  }
  const std::string& label() const { return def_.label.empty() ? def_.name : def_.label; }
  void setLabel(std::string label) { def_.label = std::move(label); }
  bool calculated() const { return def_.calculated; }
  int displayWidth() const;
  void setDisplayWidth(int chars) { def_.displayWidth = chars; }
  bool visible() const { return def_.visible; }
  void setVisible(bool v) { def_.visible = v; }
  std::size_t index() const { return index_; }
  DataSet& dataSet() const { return *owner_; }
  const FieldDef& definition() const { return def_; }

  // Reads of the current row (the values typed so far while editing). With
  // no current row every read sees null.
  bool isNull() const;
  Value value() const;
  // Null reads as "", 0 or false. Floats in Brazilian form ("1234,5"), dates
  // as dd/mm/yyyy (with " hh:mm:ss" when there is a time).
  std::string asString() const;
  // How this field writes `v` as text (what asString gives for it).
  std::string asStringOf(const Value& v) const;
  double asFloat() const;  // text is parsed; throws EngineError when it is not a number
  std::int64_t asInteger() const;
  bool asBoolean() const;
  double asDateTime() const;  // 0 when null
  // The value the row had at the last merge of the change log (at load when
  // never merged); for a row being inserted, null.
  Value oldValue() const;
  // What the operator sees: the get-text handler's text, or asString().
  std::string displayText() const;

  // Writes to the current row. REQUIRES: state Edit or Insert (a calculated
  // field also in CalcFields). Texts are cut to size() characters and an
  // empty text is null; values are converted to the field's type (throws
  // EngineError when they can't be). onChange runs after every assignment,
  // also of an equal value, except while calculating.
  void setValue(const Value& v);
  void setString(std::string_view s);
  void setFloat(double d);
  void setInteger(std::int64_t i) { setValue(Value(i)); }
  void setBoolean(bool b) { setValue(Value(b)); }
  void setDateTime(double d) { setValue(d == 0 ? Value() : Value(d)); }
  void clear() { setValue(Value()); }

  std::function<void(Field&)> onChange;
  // (field, text to fill, true when asked for display)
  std::function<void(const Field&, std::string&, bool)> onGetText;

 private:
  DataSet* owner_;
  std::size_t index_;
  FieldDef def_;
};

struct DataSetEvents {
  using Handler = std::function<void(DataSet&)>;
  Handler afterOpen;
  Handler beforeInsert, afterInsert;
  Handler beforeEdit, afterEdit;
  Handler beforePost, afterPost;
  Handler beforeCancel, afterCancel;
  Handler beforeDelete, afterDelete;
  Handler beforeScroll, afterScroll;
  Handler onNewRecord;
  Handler onCalcFields;
  Handler onStateChange;
};

// What views hear. While display updates are suspended only StateChanged
// gets through; resuming sends DataChanged.
enum class DataSetNotice { DataChanged, RecordChanged, Scrolled, StateChanged };

struct Bookmark {
  RowId row = 0;
  std::uint64_t generation = 0;
  bool valid = false;
};

struct LocateOptions {
  bool caseInsensitive = false;
};

class DataSet {
 public:
  explicit DataSet(std::string name = {});
  ~DataSet();
  DataSet(const DataSet&) = delete;
  DataSet& operator=(const DataSet&) = delete;

  const std::string& name() const { return name_; }

  // ---- structure. REQUIRES: inactive, for adding fields.
  Field& addField(FieldDef def);
  std::size_t fieldCount() const { return fields_.size(); }
  Field& field(std::size_t i) const { return *fields_[i]; }
  Field& field(std::string_view name) const;  // throws EngineError when missing
  Field* findField(std::string_view name) const;
  std::vector<FieldSpec> layout() const;

  // ---- opening and content
  void open();  // empty, with the defined fields; runs afterOpen
  void close();
  bool active() const { return state_ != DataSetState::Inactive; }
  DataSetState state() const { return state_; }

  // Replaces the whole content with a packet's rows (a data set without
  // fields takes the packet's). Pending edits are dropped, the change log is
  // cleared. On error (PacketError) nothing changes. Then: open, first row,
  // afterOpen, and afterScroll when rows arrived.
  void loadPacket(std::string_view json);
  // The posted rows in natural order; a row being inserted is left out.
  std::string toPacket() const;
  // The rows at view positions `positions`, in that order.
  // REQUIRES: every position < recordCount().
  std::string toPacket(const std::vector<std::size_t>& positions) const;
  // Replaces the whole content with `source`'s posted rows. Where both
  // layouts agree field by field in name and type the storage is shared
  // (O(1), copy on write); otherwise the rows go through a packet, which maps
  // fields by name (PacketError when a data field is missing). A data set
  // without fields takes the source's. Then as loadPacket.
  void copyFrom(const DataSet& source);
  void emptyDataSet();  // all rows gone; stays open
  // Replaces the whole content with `table`, whose columns follow the data
  // set's fields (a data set without fields first takes `layout`, which must
  // then describe the table). Then as loadPacket. Throws EngineError when the
  // table's columns don't fit.
  void loadTable(Table table, const std::vector<FieldSpec>& layout = {});

  // ---- cursor over the view
  void first();
  void last();
  void next();
  void prior();
  bool eof() const { return eof_; }
  bool bof() const { return bof_; }
  std::size_t recordCount() const;  // rows under the filter
  bool isEmpty() const { return recordCount() == 0; }
  std::size_t recNo() const;  // 1-based position in the view; 0 when empty
  // Moves to the row at 1-based position `recNo` (one beforeScroll and one
  // afterScroll). Throws EngineError when there is no such row.
  void setRecNo(std::size_t recNo);
  Bookmark bookmark() const;
  bool bookmarkValid(const Bookmark& b) const;
  void gotoBookmark(const Bookmark& b);  // throws EngineError when the row is gone or filtered out

  // Moves to the first row of the view whose fields (names separated by ';')
  // equal `values`. Returns false and stays put when there is none. Pending
  // edits are posted first.
  bool locate(std::string_view keyFields, const std::vector<Value>& values, LocateOptions options = {});

  // ---- editing. REQUIRES: active.
  // Starts editing the current row; nothing while already editing or
  // inserting; on an empty view it inserts.
  void edit();
  void insert();  // a new row before the current one (pending edits posted first)
  void append();  // a new row at the end
  // Writes the pending row; nothing in Browse. An exception from beforePost
  // leaves the row pending with its values. With a filter or an index order
  // the row then takes its place in the view, or leaves it.
  void post();
  // Drops the pending changes; an inserted row disappears.
  void cancel();
  // Deletes the current row (while inserting: cancel). Throws EngineError on
  // an empty view.
  void remove();
  void checkBrowseMode();  // posts pending edits

  // ---- filter and index order
  // Throws FilterError and keeps the previous filter when the text is bad.
  void setFilter(std::string_view text);
  const std::string& filter() const { return filterText_; }
  void setFiltered(bool on);
  bool filtered() const { return filtered_; }
  // Field names separated by ';'; empty for natural order. Ties keep their
  // natural order; a posted row moves to its place.
  void setIndexFieldNames(std::string_view names);
  const std::string& indexFieldNames() const { return indexText_; }

  // ---- change log
  void mergeChangeLog();
  // Rows inserted, edited or deleted since the last merge.
  std::size_t changeCount() const { return changeLog_.size() + insertedCount_; }

  // ---- display updates
  void disableControls() { ++controlsDisabled_; }
  void enableControls();
  bool controlsDisabled() const { return controlsDisabled_ > 0; }
  int addListener(std::function<void(DataSetNotice)> listener);
  void removeListener(int id);

  // Row of the view at `position` (for views that paint many rows).
  // REQUIRES: position < recordCount().
  RowId rowAt(std::size_t position) const;
  CellView cellAt(std::size_t position, std::size_t field) const;
  // The display text of a cell as the current row would show it, its
  // onGetText included (handlers read "the current row"; here that is the
  // row at `position`, seen without moving the cursor or running events).
  // While a row is being edited only that row's handlers run; other rows
  // give their stored text. REQUIRES: position < recordCount().
  std::string displayTextAt(std::size_t position, std::size_t field) const;

  // Compact picture of the whole state, for tests: name, state, position,
  // filter, index, and the given fields (';'-separated, all when empty) of
  // every row in view order, the current row marked '>'.
  std::string dump(std::string_view fields = {}) const;

  DataSetEvents events;

 private:
  friend class Field;
  // Rows that existed at the last merge and changed since. Rows inserted since
  // then are recognised by id (>= mergeWatermark_) and need no entry.
  struct ChangeEntry {
    bool deleted = false;
    std::vector<std::pair<std::size_t, Value>> original;  // fields changed since the last merge
  };
  class ViewRowCells;

  // field access used by Field
  Value currentValue(std::size_t f) const;
  void assign(Field& f, Value v);
  // Where a row being inserted takes its values: it is nobody else's yet
  // (copies and packets leave it out, cancel drops it), so its cells are
  // written in place. Null in any other state.
  Column* directColumn(Field& f) {
    return state_ == DataSetState::Insert ? &table_.mutableColumn(f.index()) : nullptr;
  }
  Value& slotFor(Field& f);  // the buffer cell an assignment writes, after checking the state
  // What follows every assignment: calculation, onChange, views.
  void assigned(Field& f) {
    if (state_ == DataSetState::CalcFields || events.onCalcFields || f.onChange || !listeners_.empty())
      assignedSlow(f);
  }
  void assignedSlow(Field& f);
  Value convertForField(const Field& f, const Value& v) const;

  std::size_t viewSize() const;
  RowId viewRow(std::size_t i) const;
  bool hasCurrentRow() const { return active() && viewSize() > 0; }
  RowId currentRow() const { return viewRow(pos_); }
  // Takes `row` out of the table and the view; the cursor stays on the row
  // that took its place (the last one when it was the last).
  void dropRow(RowId row);

  void setState(DataSetState s);
  void notify(DataSetNotice n) {
    if (!listeners_.empty()) notifySlow(n);
  }
  void notifySlow(DataSetNotice n);
  void fire(const DataSetEvents::Handler& h) {
    if (h) h(*this);
  }
  void requireActive() const;
  void requireBrowsable() const;

  void replaceContent(Table table);
  void compileFilter();
  bool filterActive() const { return filtered_ && filterCompiled_ && !filterExpr_.empty(); }
  bool rowMatchesFilter(RowId row) const;
  void rebuildView();
  std::vector<RowId> filterCandidates() const;
  bool lessInIndex(RowId a, RowId b) const;
  std::optional<std::size_t> viewPositionOf(RowId row) const;
  void placeAfterPost(RowId row);
  void calculateRow(RowId row, bool intoBuffer);
  void calculateAll();
  void resetBuffer();
  void enterInsert(std::size_t position);  // the new row stands at `position` of the view
  void logOriginal(RowId row, std::size_t f);
  std::vector<std::size_t> resolveFieldList(std::string_view names) const;
  void moveTo(std::size_t position);

  std::string name_;
  std::vector<std::unique_ptr<Field>> fields_;
  Table table_;
  DataSetState state_ = DataSetState::Inactive;
  std::uint64_t generation_ = 1;

  // view and cursor
  bool viewNatural_ = true;
  std::vector<RowId> view_;
  mutable std::vector<std::uint32_t> viewPositions_;  // row -> position + 1, built on demand
  mutable bool viewPositionsValid_ = false;
  std::size_t pos_ = 0;
  bool bof_ = true, eof_ = true;

  // editing
  RowId editRow_ = 0;
  std::vector<Value> buffer_;
  std::vector<std::uint8_t> touched_;
  bool calcIntoBuffer_ = false;
  Value calcScratch_;
  RowId calcRow_ = 0;

  // filter and index
  std::string filterText_;
  bool filtered_ = false;
  bool filterCompiled_ = true;
  FilterExpression filterExpr_;
  std::string indexText_;
  std::vector<std::size_t> indexFields_;

  std::unordered_map<RowId, ChangeEntry> changeLog_;
  RowId mergeWatermark_ = 0;
  std::size_t insertedCount_ = 0;

  int controlsDisabled_ = 0;
  int nextListenerId_ = 1;
  std::vector<std::pair<int, std::function<void(DataSetNotice)>>> listeners_;
};

// Keeps a data set's display updates suspended for the life of the guard.
class ControlsDisabled {
 public:
  explicit ControlsDisabled(DataSet& ds) : ds_(ds) { ds_.disableControls(); }
  ~ControlsDisabled() { ds_.enableControls(); }
  ControlsDisabled(const ControlsDisabled&) = delete;
  ControlsDisabled& operator=(const ControlsDisabled&) = delete;

 private:
  DataSet& ds_;
};

// Detaches a handler (an event of DataSetEvents, a field's onChange) for the
// life of the guard and attaches it again on every way out.
template <class Handler>
class DetachedHandler {
 public:
  explicit DetachedHandler(Handler& slot) : slot_(slot), saved_(std::move(slot)) { slot_ = nullptr; }
  ~DetachedHandler() { slot_ = std::move(saved_); }
  DetachedHandler(const DetachedHandler&) = delete;
  DetachedHandler& operator=(const DetachedHandler&) = delete;

 private:
  Handler& slot_;
  Handler saved_;
};

}  // namespace ped::engine
