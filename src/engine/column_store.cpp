#include "engine/column_store.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/error.h"
#include "engine/text.h"

namespace ped::engine {
namespace {

constexpr std::uint64_t kNullNumberBits = Column::kNullNumberBits;
constexpr std::int64_t kNullInteger = Column::kNullInteger;
constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::uint64_t kNullKey = 0xFFFF'FFFF'FFFF'FFF1ULL;

using text::load64;
using text::tailWord;

std::uint64_t hashText(std::string_view s) {
  // Multiply-mix over 8-byte words; the texts here are short, most under 16 bytes.
  const char* p = s.data();
  std::size_t n = s.size();
  std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ (n * 0xFF51AFD7ED558CCDULL);
  const char* const end = p + n;
  while (end - p > 8) {
    h = (h ^ load64(p)) * 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 31;
    p += 8;
  }
  h = (h ^ tailWord(p, static_cast<std::size_t>(end - p))) * 0x94D049BB133111EBULL;
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ULL;
  h ^= h >> 32;
  return h;
}

std::uint64_t numberKey(double d) {
  if (d == 0) d = 0;  // -0 and 0 are one key
  return std::bit_cast<std::uint64_t>(d);
}

inline bool sameText(std::string_view a, std::string_view b) { return text::sameBytes(a, b); }

// memcpy without a library call, for the texts most cells hold.
inline void copyShort(char* to, std::string_view s) {
  const char* from = s.data();
  const std::size_t n = s.size();
  if (n >= 8 && n <= 16) {
    std::uint64_t head, tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + n - 8, 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + n - 8, &tail, 8);
  } else if (n >= 4 && n < 8) {
    std::uint32_t head, tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + n - 4, 4);
    std::memcpy(to, &head, 4);
    std::memcpy(to + n - 4, &tail, 4);
  } else if (n < 4) {
    for (std::size_t k = 0; k < n; ++k) to[k] = from[k];
  } else {
    // 16-byte pieces, the last one overlapping.
    char piece[16];
    for (std::size_t k = 0; k + 16 < n; k += 16) {
      std::memcpy(piece, from + k, 16);
      std::memcpy(to + k, piece, 16);
    }
    std::memcpy(piece, from + n - 16, 16);
    std::memcpy(to + n - 16, piece, 16);
  }
}

int compareNumbers(double a, double b) { return a < b ? -1 : (b < a ? 1 : 0); }

}  // namespace

// ---------------------------------------------------------------- dictionary

TextDictionary::TextDictionary() {
  entries_.push_back({std::string_view(), 0});
  slots_.assign(16, 0);
}

void TextDictionary::roomFor(std::size_t bytes) {
  if (blockLeft_ >= bytes) return;
  // Blocks start small and double: most dictionaries (a look-up, an order's
  // items) hold a few short texts, and every query makes several.
  const std::size_t size = std::max(nextBlockSize_, bytes);
  nextBlockSize_ = std::min(nextBlockSize_ * 2, kBlockSize);
  std::shared_ptr<char[]> block(new char[size]);
  blocks_.push_back(block);
  blockPos_ = block.get();
  blockLeft_ = size;
}

std::string_view TextDictionary::store(std::string_view s) {
  if (s.size() > kBlockSize / 4) {
    std::shared_ptr<char[]> big(new char[s.size()]);
    std::memcpy(big.get(), s.data(), s.size());
    blocks_.push_back(big);
    return {big.get(), s.size()};
  }
  roomFor(s.size());
  std::memcpy(blockPos_, s.data(), s.size());
  std::string_view stored(blockPos_, s.size());
  blockPos_ += s.size();
  blockLeft_ -= s.size();
  return stored;
}

namespace {
inline std::uint64_t slotOf(std::uint64_t hash, std::uint32_t id) {
  return (hash & 0xFFFF'FFFF'0000'0000ULL) | id;
}
inline std::uint32_t slotId(std::uint64_t slot) { return static_cast<std::uint32_t>(slot); }
inline bool slotHashMatches(std::uint64_t slot, std::uint64_t hash) {
  return ((slot ^ hash) & 0xFFFF'FFFF'0000'0000ULL) == 0;
}
}  // namespace

void TextDictionary::grow() const {
  std::vector<std::uint64_t> slots(slots_.size() * 2, 0);
  const std::size_t mask = slots.size() - 1;
  const std::size_t indexed = pendingFrom_ != 0 ? pendingFrom_ : entries_.size();
  for (std::uint32_t id = 1; id < indexed; ++id) {
    if (!canonical_.empty() && canonical_[id] != id) continue;
    std::size_t i = entries_[id].hash & mask;
    while (slots[i] != 0) i = (i + 1) & mask;
    slots[i] = slotOf(entries_[id].hash, id);
  }
  slots_.swap(slots);
}

std::uint32_t TextDictionary::appendUnchecked(std::string_view s) {
  if (s.empty()) return 0;
  if (entries_.size() >= std::numeric_limits<std::uint32_t>::max() - 1)
    throw EngineError("Limite de textos distintos da coluna excedido.");
  const auto id = static_cast<std::uint32_t>(entries_.size());
  entries_.push_back({store(s), 0});
  if (pendingFrom_ == 0) pendingFrom_ = id;
  if (!canonical_.empty()) canonical_.push_back(id);
  if (folded_) (*folded_)[text::fold(s)].push_back(id);
  return id;
}

void TextDictionary::appendUnchecked(const std::string_view* texts, std::size_t n, std::uint32_t* ids) {
  std::size_t bytes = 0;
  for (std::size_t k = 0; k < n; ++k) bytes += texts[k].size();
  if (entries_.size() + n >= std::numeric_limits<std::uint32_t>::max() - 1)
    throw EngineError("Limite de textos distintos da coluna excedido.");
  roomFor(bytes);  // one block for the batch: no check per text
  auto id = static_cast<std::uint32_t>(entries_.size());
  const std::uint32_t firstNew = id;
  for (std::size_t k = 0; k < n; ++k) {
    const std::string_view s = texts[k];
    if (s.empty()) {
      ids[k] = 0;
      continue;
    }
    if (k > 0 && sameText(s, texts[k - 1])) {
      ids[k] = ids[k - 1];
      continue;
    }
    copyShort(blockPos_, s);
    entries_.push_back({std::string_view(blockPos_, s.size()), 0});
    blockPos_ += s.size();
    blockLeft_ -= s.size();
    if (!canonical_.empty()) canonical_.push_back(id);
    if (folded_) (*folded_)[text::fold(s)].push_back(id);
    ids[k] = id++;
  }
  if (pendingFrom_ == 0 && id != firstNew) pendingFrom_ = firstNew;
}

void TextDictionary::indexPending() const {
  const std::size_t from = pendingFrom_;
  const std::size_t end = entries_.size();
  if (slots_.size() < end * 2) {
    std::size_t want = slots_.size();
    while (want < end * 2) want *= 2;
    slots_.assign(want / 2, 0);
    grow();  // doubles to `want` and puts back the entries indexed so far (ids < pendingFrom_)
  }
  pendingFrom_ = 0;
  for (std::size_t id = from; id < end; ++id) {
    Entry& e = entries_[id];
    e.hash = hashText(e.text);
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = e.hash & mask;
    std::uint32_t same = 0;
    for (;; i = (i + 1) & mask) {
      const std::uint64_t slot = slots_[i];
      if (slot == 0) break;
      if (slotHashMatches(slot, e.hash) && sameText(entries_[slotId(slot)].text, e.text)) {
        same = slotId(slot);
        break;
      }
    }
    if (same != 0) {
      if (canonical_.empty()) {
        canonical_.resize(end);
        for (std::uint32_t k = 0; k < end; ++k) canonical_[k] = k;
      }
      canonical_[id] = same;
    } else {
      slots_[i] = slotOf(e.hash, static_cast<std::uint32_t>(id));
    }
  }
}

std::uint32_t TextDictionary::find(std::string_view s) const {
  if (s.empty()) return 0;
  ensureIndexed();
  const std::uint64_t h = hashText(s);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = h & mask;; i = (i + 1) & mask) {
    const std::uint64_t slot = slots_[i];
    if (slot == 0) return 0;
    if (slotHashMatches(slot, h) && sameText(entries_[slotId(slot)].text, s)) return slotId(slot);
  }
}

std::uint32_t TextDictionary::intern(std::string_view s) {
  if (s.empty()) return 0;
  ensureIndexed();
  return internHashed(s, hashText(s));
}

std::uint32_t TextDictionary::internHashed(std::string_view s, std::uint64_t h) {
  std::size_t mask = slots_.size() - 1;
  std::size_t i = h & mask;
  for (;; i = (i + 1) & mask) {
    const std::uint64_t slot = slots_[i];
    if (slot == 0) break;
    if (slotHashMatches(slot, h) && sameText(entries_[slotId(slot)].text, s)) return slotId(slot);
  }
  if (entries_.size() >= std::numeric_limits<std::uint32_t>::max() - 1)
    throw EngineError("Limite de textos distintos da coluna excedido.");
  const auto id = static_cast<std::uint32_t>(entries_.size());
  entries_.push_back({store(s), h});
  if (!canonical_.empty()) canonical_.push_back(id);
  slots_[i] = slotOf(h, id);
  if (entries_.size() * 2 > slots_.size()) grow();
  if (folded_) (*folded_)[text::fold(s)].push_back(id);
  return id;
}

const std::vector<std::uint32_t>& TextDictionary::idsFolded(std::string_view foldedText) const {
  if (!folded_) {
    folded_ = std::make_unique<std::unordered_map<std::string, std::vector<std::uint32_t>>>();
    folded_->reserve(entries_.size());
    for (std::uint32_t id = 1; id < entries_.size(); ++id)
      (*folded_)[text::fold(entries_[id].text)].push_back(id);
  }
  static const std::vector<std::uint32_t> none;
  auto it = folded_->find(std::string(foldedText));
  return it == folded_->end() ? none : it->second;
}

// ---------------------------------------------------------------- column

Column::Column(FieldType type) : type_(type) {
  if (type_ == FieldType::Text) dict_ = std::make_shared<TextDictionary>();
}

std::size_t Column::size() const {
  switch (type_) {
    case FieldType::Text:
      return textIds_.size();
    case FieldType::Float:
    case FieldType::DateTime:
      return numbers_.size();
    case FieldType::Integer:
      return integers_.size();
    case FieldType::Boolean:
      return booleans_.size();
  }
  return 0;
}

void Column::reserve(std::size_t rows) {
  switch (type_) {
    case FieldType::Text:
      textIds_.reserve(rows);
      break;
    case FieldType::Float:
    case FieldType::DateTime:
      numbers_.reserve(rows);
      break;
    case FieldType::Integer:
      integers_.reserve(rows);
      break;
    case FieldType::Boolean:
      booleans_.reserve(rows);
      break;
  }
}

void Column::appendNulls(std::size_t rows) {
  const std::size_t first = size();
  switch (type_) {
    case FieldType::Text:
      textIds_.grow(first + rows, 0);
      break;
    case FieldType::Float:
    case FieldType::DateTime:
      numbers_.grow(first + rows, nullNumber());
      break;
    case FieldType::Integer:
      integers_.grow(first + rows, kNullInteger);
      break;
    case FieldType::Boolean:
      booleans_.grow(first + rows, -1);
      break;
  }
  if (index_->index) {
    if (EqualityIndex* index = liveIndex())
      for (std::size_t r = first; r < first + rows; ++r) index->add(kNullKey, static_cast<RowId>(r));
    else
      freshIndexSlot();
  }
}

const void* Column::cells() const {
  switch (type_) {
    case FieldType::Text:
      return textIds_.buffer();
    case FieldType::Float:
    case FieldType::DateTime:
      return numbers_.buffer();
    case FieldType::Integer:
      return integers_.buffer();
    case FieldType::Boolean:
      return booleans_.buffer();
  }
  return nullptr;
}

std::size_t Column::cellCapacity() const {
  switch (type_) {
    case FieldType::Text:
      return textIds_.bufferSize();
    case FieldType::Float:
    case FieldType::DateTime:
      return numbers_.bufferSize();
    case FieldType::Integer:
      return integers_.bufferSize();
    case FieldType::Boolean:
      return booleans_.bufferSize();
  }
  return 0;
}

void Column::freshIndexSlot() const {
  index_ = std::make_shared<IndexSlot>();
  index_->cells = cells();
}

void Column::indexAppended() {
  // A copy that took cells of its own leaves the index to the others.
  if (EqualityIndex* index = liveIndex())
    index->add(kNullKey, static_cast<RowId>(size() - 1));
  else
    freshIndexSlot();
}

bool Column::isNull(RowId row) const {
  switch (type_) {
    case FieldType::Text:
      return textIds_[row] == 0;
    case FieldType::Float:
    case FieldType::DateTime:
      return isNullNumber(numbers_[row]);
    case FieldType::Integer:
      return integers_[row] == kNullInteger;
    case FieldType::Boolean:
      return booleans_[row] < 0;
  }
  return true;
}

CellView Column::cell(RowId row) const {
  CellView c;
  switch (type_) {
    case FieldType::Text:
      if (textIds_[row] != 0) {
        c.kind = CellView::Kind::Text;
        c.text = dict_->at(textIds_[row]);
      }
      break;
    case FieldType::Float:
    case FieldType::DateTime:
      if (!isNullNumber(numbers_[row])) {
        c.kind = CellView::Kind::Number;
        c.number = numbers_[row];
      }
      break;
    case FieldType::Integer:
      if (integers_[row] != kNullInteger) {
        c.kind = CellView::Kind::Integer;
        c.integer = integers_[row];
      }
      break;
    case FieldType::Boolean:
      if (booleans_[row] >= 0) {
        c.kind = CellView::Kind::Boolean;
        c.boolean = booleans_[row] != 0;
      }
      break;
  }
  return c;
}

void Column::noteIndexedChange(RowId row) {
  EqualityIndex* index = liveIndex();
  if (!index) {
    freshIndexSlot();
    return;
  }
  // Old entries stay behind (readers re-check cells); rebuild once they outweigh the live ones.
  if (++index->stale > cellCapacity() + 1024) {
    index_->index.reset();
    return;
  }
  index->add(keyAt(row), row);
}

void Column::truncate(std::size_t rows) {
  textIds_.truncate(std::min(rows, textIds_.size()));
  numbers_.truncate(std::min(rows, numbers_.size()));
  integers_.truncate(std::min(rows, integers_.size()));
  booleans_.truncate(std::min(rows, booleans_.size()));
}

void Column::setNull(RowId row) {
  switch (type_) {
    case FieldType::Text:
      textIds_.at(row) = 0;
      break;
    case FieldType::Float:
    case FieldType::DateTime:
      numbers_.at(row) = nullNumber();
      break;
    case FieldType::Integer:
      integers_.at(row) = kNullInteger;
      break;
    case FieldType::Boolean:
      booleans_.at(row) = -1;
      break;
  }
  noteChange(row);
}

void Column::setNewText(RowId row, std::string_view s) {
  const std::uint32_t id = dict_->intern(s);  // one hash for both the look-up and the insertion
  lastTextId_ = id;
  textIds_.at(row) = id;
  noteChange(row);
}

void Column::setTextIds(RowId first, const std::uint32_t* ids, std::size_t n) {
  if (n == 0) return;
  std::copy(ids, ids + n, textIds_.mutableData() + first);
  noteChanges(first, n);
  lastTextId_ = ids[n - 1];
}

void Column::setNumbers(RowId first, const double* cells, std::size_t n) {
  if (n == 0) return;
  std::copy(cells, cells + n, numbers_.mutableData() + first);
  noteChanges(first, n);
}

void Column::setIntegers(RowId first, const std::int64_t* cells, std::size_t n) {
  if (n == 0) return;
  std::copy(cells, cells + n, integers_.mutableData() + first);
  noteChanges(first, n);
}

void Column::setBooleans(RowId first, const std::int8_t* cells, std::size_t n) {
  if (n == 0) return;
  std::copy(cells, cells + n, booleans_.mutableData() + first);
  noteChanges(first, n);
}

void Column::noteChanges(RowId first, std::size_t n) {
  if (index_->index)
    for (std::size_t k = 0; k < n; ++k) noteIndexedChange(static_cast<RowId>(first + k));
}

void Column::setNumber(RowId row, double d) {
  numbers_.at(row) = d;
  noteChange(row);
}

void Column::setInteger(RowId row, std::int64_t i) {
  if (i == kNullInteger) throw EngineError("Valor inteiro fora do intervalo suportado.");
  integers_.at(row) = i;
  noteChange(row);
}

void Column::setBoolean(RowId row, bool b) {
  booleans_.at(row) = b ? 1 : 0;
  noteChange(row);
}

void Column::set(RowId row, const Value& v) {
  if (v.isNull()) return setNull(row);
  switch (type_) {
    case FieldType::Text:
      if (v.isText()) return setText(row, v.text());
      break;
    case FieldType::Float:
    case FieldType::DateTime:
      if (v.isFloat()) return setNumber(row, v.number());
      if (v.isInteger()) return setNumber(row, static_cast<double>(v.integer()));
      break;
    case FieldType::Integer:
      if (v.isInteger()) return setInteger(row, v.integer());
      if (v.isFloat() && std::trunc(v.number()) == v.number() && std::abs(v.number()) < 9.2e18)
        return setInteger(row, static_cast<std::int64_t>(v.number()));
      break;
    case FieldType::Boolean:
      if (v.isBoolean()) return setBoolean(row, v.boolean());
      break;
  }
  throw EngineError("Valor incompatível com o tipo do campo.");
}

int Column::compare(RowId a, RowId b) const {
  switch (type_) {
    case FieldType::Text: {
      const std::uint32_t ia = textIds_[a], ib = textIds_[b];
      if (ia == ib) return 0;
      if (ia == 0) return -1;
      if (ib == 0) return 1;
      const int c = dict_->at(ia).compare(dict_->at(ib));
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case FieldType::Float:
    case FieldType::DateTime: {
      const bool na = isNullNumber(numbers_[a]), nb = isNullNumber(numbers_[b]);
      if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
      return compareNumbers(numbers_[a], numbers_[b]);
    }
    case FieldType::Integer: {
      const auto x = integers_[a], y = integers_[b];  // null is the minimum already
      return x < y ? -1 : (y < x ? 1 : 0);
    }
    case FieldType::Boolean: {
      const auto x = booleans_[a], y = booleans_[b];
      return x < y ? -1 : (y < x ? 1 : 0);
    }
  }
  return 0;
}

std::uint64_t Column::keyAt(RowId row) const {
  if (isNull(row)) return kNullKey;
  switch (type_) {
    case FieldType::Text:
      return dict_->canonical(textIds_[row]);  // one key for a text added twice
    case FieldType::Float:
    case FieldType::DateTime:
      return numberKey(numbers_[row]);
    case FieldType::Integer:
      return std::bit_cast<std::uint64_t>(integers_[row]);
    case FieldType::Boolean:
      return static_cast<std::uint64_t>(booleans_[row]);
  }
  return kNullKey;
}

std::optional<std::uint64_t> Column::keyOf(const Value& v) const {
  if (v.isNull()) return kNullKey;
  switch (type_) {
    case FieldType::Text: {
      if (!v.isText()) return std::nullopt;
      if (v.text().empty()) return kNullKey;
      const std::uint32_t id = dict_->find(v.text());
      if (id == 0) return std::nullopt;
      return id;
    }
    case FieldType::Float:
    case FieldType::DateTime:
      if (v.isFloat()) return numberKey(v.number());
      if (v.isInteger()) return numberKey(static_cast<double>(v.integer()));
      return std::nullopt;
    case FieldType::Integer:
      if (v.isInteger()) return std::bit_cast<std::uint64_t>(v.integer());
      return std::nullopt;
    case FieldType::Boolean:
      if (v.isBoolean()) return static_cast<std::uint64_t>(v.boolean() ? 1 : 0);
      return std::nullopt;
  }
  return std::nullopt;
}

const EqualityIndex& Column::equalityIndex() const {
  if (index_->cells != cells()) {
    if (index_->index)
      freshIndexSlot();  // built for cells this copy no longer reads
    else
      index_->cells = cells();
  }
  if (!index_->index) {
    // Every cell of the buffer, so the copies that read it find their rows.
    auto index = std::make_unique<EqualityIndex>();
    const auto n = static_cast<RowId>(cellCapacity());
    for (RowId r = 0; r < n; ++r) index->add(keyAt(r), r);
    index_->index = std::move(index);
  }
  return *index_->index;
}

// ---------------------------------------------------------------- table

Table::Table(const std::vector<FieldType>& types) {
  columns_.reserve(types.size());
  for (FieldType t : types) columns_.emplace_back(t);
}

void Table::reserve(std::size_t rows) {
  for (Column& c : columns_) c.reserve(rows);
  rows_.reserve(rows);
}

RowId Table::addRow(std::optional<RowId> next) {
  const RowId row = rows_.add(next);
  for (Column& c : columns_) c.appendNull();
  return row;
}

RowId Table::addRows(std::size_t n) {
  const RowId first = rows_.addMany(n);
  for (Column& c : columns_) c.appendNulls(n);
  return first;
}

void Table::removeRow(RowId row) { rows_.remove(row); }

void Table::truncate(std::size_t rows) {
  rows_.truncate(rows);
  for (Column& c : columns_) c.truncate(rows);
}

}  // namespace ped::engine
