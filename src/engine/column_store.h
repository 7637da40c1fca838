#pragma once
// Columnar storage behind a data set.
//
// A table is a set of typed columns plus the row set (which physical rows are
// alive and in what natural order they stand). Texts are interned in a
// per-column dictionary, so a cell is a 4-byte id. Copies of a table share
// their cells (SharedTail): copying a whole table is O(columns), a copy adds
// and fills new rows without copying anything, and the first write to a cell
// another copy also sees clones only the column it touches. Copies share the
// dictionaries (append-only, so an id means the same text to every copy) and
// the equality indexes (hints that readers re-check anyway).
//
// Not thread-safe: a table and all of its copies belong to one thread.

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/row_set.h"
#include "engine/shared_tail.h"
#include "engine/text.h"
#include "engine/value.h"

namespace ped::engine {

// Append-only set of texts. Id 0 is the null text; ids never change meaning,
// and the bytes behind a returned string_view never move. Texts are distinct
// except those added with appendUnchecked(): canonical() maps every id to the
// first id of its text, and look-ups (find, intern) only ever return
// canonical ids.
class TextDictionary {
 public:
  TextDictionary();

  // Adds `s` without looking for it first: for texts that are nearly all new
  // (a column of order numbers arriving in a packet). The hash index takes
  // them in on the first look-up.
  std::uint32_t appendUnchecked(std::string_view s);
  // appendUnchecked() for each of `n` texts into ids[] (a run of one text
  // takes one id; an empty text is id 0).
  void appendUnchecked(const std::string_view* texts, std::size_t n, std::uint32_t* ids);
  std::uint32_t canonical(std::uint32_t id) const {
    ensureIndexed();
    return canonical_.empty() ? id : canonical_[id];
  }

  std::uint32_t intern(std::string_view s);  // adds when missing
  void reserve(std::size_t texts) { entries_.reserve(texts); }
  std::uint32_t find(std::string_view s) const;  // 0 when absent
  std::string_view at(std::uint32_t id) const { return entries_[id].text; }
  std::size_t size() const { return entries_.size(); }

  // Ids of the texts whose case fold equals fold(s); built on first use.
  const std::vector<std::uint32_t>& idsFolded(std::string_view foldedText) const;

 private:
  struct Entry {
    std::string_view text;
    std::uint64_t hash;
  };
  std::string_view store(std::string_view s);
  void roomFor(std::size_t bytes);  // in the current block
  std::uint32_t internHashed(std::string_view s, std::uint64_t h);
  void grow() const;
  void ensureIndexed() const {
    if (pendingFrom_ != 0) indexPending();
  }
  void indexPending() const;

  // The hash index is a cache over the entries, completed lazily (hence
  // mutable): entries from pendingFrom_ on (0: none) are not in it yet.
  mutable std::vector<Entry> entries_;
  // Open addressing; a slot holds the upper half of the text's hash and its id
  // (0 = empty), so most probes never touch the entries.
  mutable std::vector<std::uint64_t> slots_;
  mutable std::size_t pendingFrom_ = 0;
  mutable std::vector<std::uint32_t> canonical_;  // empty while every id is canonical
  std::vector<std::shared_ptr<char[]>> blocks_;
  char* blockPos_ = nullptr;
  std::size_t blockLeft_ = 0;
  std::size_t nextBlockSize_ = 256;
  mutable std::unique_ptr<std::unordered_map<std::string, std::vector<std::uint32_t>>> folded_;
};

// Rows grouped by cell value, for equality filters and locates. Entries may be
// stale (a row whose cell changed since, a dead row, or a row only another
// copy of the column has): callers check the row is theirs and re-check the
// cell. Lists hold rows in increasing RowId order only until the first update.
class EqualityIndex {
 public:
  const std::vector<RowId>* rows(std::uint64_t key) const {
    auto it = map_.find(key);
    return it == map_.end() ? nullptr : &it->second;
  }
  void add(std::uint64_t key, RowId row) { map_[key].push_back(row); }
  std::size_t stale = 0;

 private:
  std::unordered_map<std::uint64_t, std::vector<RowId>> map_;
};

class Column {
 public:
  explicit Column(FieldType type);

  FieldType type() const { return type_; }
  std::size_t size() const;
  void reserve(std::size_t rows);
  void appendNulls(std::size_t rows);

  void appendNull() {
    switch (type_) {
      case FieldType::Text:
        textIds_.push_back(0);
        break;
      case FieldType::Float:
      case FieldType::DateTime:
        numbers_.push_back(nullNumber());
        break;
      case FieldType::Integer:
        integers_.push_back(kNullInteger);
        break;
      case FieldType::Boolean:
        booleans_.push_back(-1);
        break;
    }
    if (index_->index) indexAppended();
  }
  bool isNull(RowId row) const;
  CellView cell(RowId row) const;

  // Store a value converted to the column's type. REQUIRES: row < size().
  // Throws EngineError when the value cannot be converted.
  void set(RowId row, const Value& value);
  void setNull(RowId row);
  void setText(RowId row, std::string_view s) {  // REQUIRES: Text column
    const std::string_view last = dict_->at(lastTextId_);
    if (lastTextId_ != 0 && text::sameBytes(last, s)) {
      textIds_.at(row) = lastTextId_;
      noteChange(row);
      return;
    }
    setNewText(row, s);
  }
  // For filling rows in bulk (a packet being read): dictionary ids first,
  // then stored for rows first .. first + n - 1.
  std::uint32_t internText(std::string_view s) { return dict_->intern(s); }
  void appendTextsUnchecked(const std::string_view* texts, std::size_t n, std::uint32_t* ids) {
    dict_->appendUnchecked(texts, n, ids);
  }
  void reserveTexts(std::size_t n) { dict_->reserve(n); }
  void setTextIds(RowId first, const std::uint32_t* ids, std::size_t n);
  // The same for the other types: cells as stored (nullNumber(), kNullInteger,
  // -1 for a null boolean). REQUIRES: the column's type.
  void setNumbers(RowId first, const double* cells, std::size_t n);
  void setIntegers(RowId first, const std::int64_t* cells, std::size_t n);
  void setBooleans(RowId first, const std::int8_t* cells, std::size_t n);
  void setNumber(RowId row, double d);         // REQUIRES: Float or DateTime column
  void setInteger(RowId row, std::int64_t i);  // REQUIRES: Integer column
  void setBoolean(RowId row, bool b);          // REQUIRES: Boolean column

  // Typed reads. REQUIRES: the column has that type and the cell is not null.
  std::string_view text(RowId row) const { return dict_->at(textIds_[row]); }
  std::uint32_t textId(RowId row) const { return textIds_[row]; }
  double number(RowId row) const { return numbers_[row]; }

  const TextDictionary& dictionary() const { return *dict_; }
  // Keeps the first `rows` cells. REQUIRES: rows <= size().
  void truncate(std::size_t rows);

  // -1, 0, 1; null sorts first, texts by bytes (code point order).
  int compare(RowId a, RowId b) const;

  // The index key a cell value has in this column, or nullopt when no cell can
  // hold it (a text the dictionary never saw, a value of another type).
  std::optional<std::uint64_t> keyOf(const Value& value) const;
  std::uint64_t keyAt(RowId row) const;
  const EqualityIndex& equalityIndex() const;  // built on first use

  static constexpr std::uint64_t kNullNumberBits = 0x7FF8'0000'DEAD'0001ULL;
  static constexpr std::int64_t kNullInteger = std::numeric_limits<std::int64_t>::min();
  static bool isNullNumber(double d) { return std::bit_cast<std::uint64_t>(d) == kNullNumberBits; }
  static double nullNumber() { return std::bit_cast<double>(kNullNumberBits); }

 private:
  // The equality index, shared by the copies that read one cell buffer and
  // covering every cell of it.
  struct IndexSlot {
    std::unique_ptr<EqualityIndex> index;
    const void* cells = nullptr;
  };
  const void* cells() const;
  std::size_t cellCapacity() const;
  EqualityIndex* liveIndex() const {
    return index_->index && index_->cells == cells() ? index_->index.get() : nullptr;
  }
  void noteChange(RowId row) {
    if (index_->index) noteIndexedChange(row);
  }
  void freshIndexSlot() const;
  void noteIndexedChange(RowId row);
  void noteChanges(RowId first, std::size_t n);
  void indexAppended();
  void setNewText(RowId row, std::string_view s);

  FieldType type_;
  std::shared_ptr<TextDictionary> dict_;
  SharedTail<std::uint32_t> textIds_;
  SharedTail<double> numbers_;  // Float and DateTime
  SharedTail<std::int64_t> integers_;
  SharedTail<std::int8_t> booleans_;                                          // -1 null
  mutable std::shared_ptr<IndexSlot> index_ = std::make_shared<IndexSlot>();  // never null
  std::uint32_t lastTextId_ = 0;  // consecutive rows often repeat a text
};

// A whole table: its columns and its row set. Copies share the cells (see
// the top of this file).
class Table {
 public:
  Table() = default;
  explicit Table(const std::vector<FieldType>& types);

  std::size_t columnCount() const { return columns_.size(); }
  const Column& column(std::size_t i) const { return columns_[i]; }
  Column& mutableColumn(std::size_t i) { return columns_[i]; }

  const RowSet& rows() const { return rows_; }
  std::size_t physicalRows() const { return rows_.physicalRows(); }

  // A new physical row with null cells, alive, last in natural order or just
  // before `next` (when that row is alive). Returns its id.
  RowId addRow(std::optional<RowId> next = std::nullopt);
  // `n` new rows with null cells at the end of the natural order; returns the
  // first one's id. For filling a table column by column.
  RowId addRows(std::size_t n);
  void removeRow(RowId row);
  // Forgets the physical rows from `rows` on (a row being inserted that a
  // copy leaves out). REQUIRES: rows <= physicalRows().
  void truncate(std::size_t rows);

  void reserve(std::size_t rows);

 private:
  std::vector<Column> columns_;
  RowSet rows_;
};

}  // namespace ped::engine
