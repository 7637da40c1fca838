#pragma once
// Columnar storage behind a data set.
//
// A table is a set of typed columns plus the row set (which physical rows are
// alive and in what natural order they stand). Texts are interned in a
// per-column dictionary, so a cell is a 4-byte id. Every part is held through a
// shared_ptr and copied on write: copying a whole table is O(1), and the first
// write after a copy clones only the column it touches.
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

#include "engine/text.h"
#include "engine/value.h"

namespace ped::engine {

using RowId = std::uint32_t;  // physical row, stable for the life of the row

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
  std::uint32_t canonical(std::uint32_t id) const {
    ensureIndexed();
    return canonical_.empty() ? id : canonical_[id];
  }

  std::uint32_t intern(std::string_view s);  // adds when missing
  // intern() for each of `n` texts into ids[]; the slots of a group are
  // fetched ahead, so a dictionary too big for the cache costs one miss per
  // group rather than one per text.
  void internMany(const std::string_view* texts, std::size_t n, std::uint32_t* ids);
  std::uint32_t find(std::string_view s) const;  // 0 when absent
  std::string_view at(std::uint32_t id) const { return entries_[id].text; }
  std::size_t size() const { return entries_.size(); }

  // Ids of the texts whose case fold equals fold(s); built on first use.
  const std::vector<std::uint32_t>& idsFolded(std::string_view foldedText) const;

  // A copy sharing the (immutable) bytes already written.
  std::shared_ptr<TextDictionary> clone() const;

 private:
  struct Entry {
    std::string_view text;
    std::uint64_t hash;
  };
  std::string_view store(std::string_view s);
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
// stale (a row whose cell changed since, or a dead row): callers re-check the
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
  Column(const Column& other);  // deep copy of the cells; the dictionary is shared, the index dropped

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
    if (index_) indexAppended();
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
      textIds_[row] = lastTextId_;
      noteChange(row);
      return;
    }
    setNewText(row, s);
  }
  // setText for rows first .. first + n - 1; empty texts stay null. With
  // `nearlyAllNew` the texts are added unchecked (see TextDictionary).
  void setTexts(RowId first, const std::string_view* texts, std::size_t n, bool nearlyAllNew = false);
  void setNumber(RowId row, double d);         // REQUIRES: Float or DateTime column
  void setInteger(RowId row, std::int64_t i);  // REQUIRES: Integer column
  void setBoolean(RowId row, bool b);          // REQUIRES: Boolean column

  // Typed reads. REQUIRES: the column has that type and the cell is not null.
  std::string_view text(RowId row) const { return dict_->at(textIds_[row]); }
  std::uint32_t textId(RowId row) const { return textIds_[row]; }
  double number(RowId row) const { return numbers_[row]; }

  const TextDictionary& dictionary() const { return *dict_; }

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
  void noteChange(RowId row) {
    if (index_) noteIndexedChange(row);
  }
  void noteIndexedChange(RowId row);
  void indexAppended();
  void setNewText(RowId row, std::string_view s);
  void ownDictionary();

  FieldType type_;
  std::shared_ptr<TextDictionary> dict_;
  std::vector<std::uint32_t> textIds_;
  std::vector<double> numbers_;  // Float and DateTime
  std::vector<std::int64_t> integers_;
  std::vector<std::int8_t> booleans_;  // -1 null
  mutable std::unique_ptr<EqualityIndex> index_;
  std::uint32_t lastTextId_ = 0;  // consecutive rows often repeat a text
};

// Which physical rows are alive, and their natural order (load order, with
// inserted rows where they were inserted).
struct RowSet {
  std::vector<RowId> order;
  std::vector<std::uint8_t> alive;
  bool identity = true;  // order[i] == i for every i

  // Position of `row` in `order`. REQUIRES: alive[row].
  std::size_t naturalPosition(RowId row) const;
  void invalidatePositions() { positions_.clear(); }

 private:
  mutable std::vector<std::uint32_t> positions_;
};

// Copy-on-write handle to a whole table.
class Table {
 public:
  Table() = default;
  explicit Table(const std::vector<FieldType>& types);
  // Copies share every part; both sides clone a part before writing to it.
  Table(const Table& other);
  Table& operator=(const Table& other);
  Table(Table&&) noexcept = default;
  Table& operator=(Table&&) noexcept = default;

  std::size_t columnCount() const { return columns_.size(); }
  const Column& column(std::size_t i) const { return *columns_[i]; }
  Column& mutableColumn(std::size_t i) {  // clones the column when shared
    return columnsOwned_ ? *columns_[i] : ownColumn(i);
  }

  const RowSet& rows() const { return *rows_; }
  RowSet& mutableRows();

  std::size_t physicalRows() const { return rows_ ? rows_->alive.size() : 0; }

  // A new physical row with null cells, alive, in natural order at
  // `naturalPos` (or at the end). Returns its id.
  RowId addRow(std::optional<std::size_t> naturalPos = std::nullopt);
  // `n` new rows with null cells at the end of the natural order; returns the
  // first one's id. For filling a table column by column.
  RowId addRows(std::size_t n);
  void removeRow(RowId row);

  void reserve(std::size_t rows);

 private:
  void ownAllColumns();
  Column& ownColumn(std::size_t i);

  std::vector<std::shared_ptr<Column>> columns_;
  std::shared_ptr<RowSet> rows_ = std::make_shared<RowSet>();
  // True while no other table shares any column: writes skip the share checks.
  mutable bool columnsOwned_ = false;
};

}  // namespace ped::engine
