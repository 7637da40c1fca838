// Reading packets into tables: a one-pass reader for the plain packets this
// engine writes, and the full parser (simdjson's document) for everything
// else, which also words the messages for bad packets.

#include <simdjson.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <unordered_map>

#include "engine/date_time.h"
#include "engine/error.h"
#include "engine/packet.h"
#include "engine/packet_internal.h"
#include "engine/packet_scanner.h"
#include "engine/text.h"

namespace ped::engine {
namespace {

namespace dom = simdjson::dom;
using packet_internal::Cell;
using packet_internal::PlainScanner;
using packet_internal::shown;
using simdjson::error_code;

// A parser keeps its buffers between packets; one grown by an exceptionally
// large packet is released rather than kept for the life of the thread.
std::atomic<std::size_t> keptParserCapacity{64u << 20};

[[noreturn]] void fail(const std::string& message) { throw PacketError(message); }

std::string parseErrorMessage(error_code e) {
  switch (e) {
    case error_code::EMPTY:
      return "Pacote inválido: vazio.";
    case error_code::DEPTH_ERROR:
      return "Pacote inválido: listas ou objetos aninhados em excesso.";
    case error_code::NUMBER_ERROR:
      return "Pacote inválido: número malformado ou fora do intervalo.";
    case error_code::STRING_ERROR:
      return "Pacote inválido: texto malformado.";
    case error_code::UTF8_ERROR:
      return "Pacote inválido: texto com UTF-8 inválido.";
    case error_code::CAPACITY:
      return "Pacote grande demais para ser lido.";
    case error_code::MEMALLOC:
      return "Memória insuficiente para ler o pacote.";
    default:
      return std::string("Pacote inválido: JSON malformado (") + simdjson::error_message(e) + ").";
  }
}

std::optional<FieldType> typeFromName(std::string_view name) {
  for (FieldType t :
       {FieldType::Text, FieldType::Float, FieldType::DateTime, FieldType::Integer, FieldType::Boolean}) {
    if (fieldTypeName(t) == name) return t;
  }
  return std::nullopt;
}

struct PacketField {
  std::string_view name;
  FieldType type;
  int size;
};

struct PacketFields {
  std::vector<PacketField> list;
  std::unordered_map<std::string, std::size_t> byFoldedName;

  bool add(const PacketField& f) {  // false when the name repeats
    if (!byFoldedName.emplace(text::fold(f.name), list.size()).second) return false;
    list.push_back(f);
    return true;
  }
};

PacketFields readFields(dom::array fields) {
  PacketFields out;
  std::size_t n = 0;
  for (dom::element e : fields) {
    ++n;
    dom::object f;
    if (e.get_object().get(f))
      fail("Pacote inválido: o item " + std::to_string(n) + " de \"fields\" não é um objeto.");
    std::string_view name;
    if (f["name"].get_string().get(name) || name.empty())
      fail("Pacote inválido: o item " + std::to_string(n) + " de \"fields\" não tem nome.");
    std::string_view typeName;
    if (f["type"].get_string().get(typeName))
      fail("Pacote inválido: o campo " + shown(name) + " não tem tipo.");
    const std::optional<FieldType> type = typeFromName(typeName);
    if (!type)
      fail("Pacote inválido: tipo " + shown(typeName) + " desconhecido no campo " + shown(name) + ".");
    int size = 0;
    dom::element sizeElement;
    if (!f["size"].get(sizeElement) && !sizeElement.is_null()) {
      std::int64_t s;
      if (sizeElement.get_int64().get(s) || s < 0 || s > std::numeric_limits<int>::max())
        fail("Pacote inválido: tamanho inválido no campo " + shown(name) + ".");
      size = static_cast<int>(s);
    }
    if (!out.add({name, *type, size})) fail("Pacote inválido: campo " + shown(name) + " repetido.");
  }
  return out;
}

// Date columns repeat their values (one delivery date for many items), and
// parsing one costs more than a lookup.
class IsoParseCache {
 public:
  IsoParseCache() : entries_(256) {}

  // False for an invalid date. (A plain result, not an optional: a hit then
  // costs no store and reload of the pair.)
  bool parse(std::string_view s, double& out) {
    if (s.size() < 8 || s.size() > 24) return slowParse(s, out);
    // Three words that together cover every byte of a text of 8 to 24 bytes.
    const char* p = s.data();
    const std::size_t n = s.size();
    const std::uint64_t key[3] = {load(p), load(p + (n >= 16 ? 8 : n - 8)), load(p + n - 8)};
    std::uint64_t h = (key[0] * 0x9E3779B97F4A7C15ULL) ^ (key[1] * 0xC2B2AE3D27D4EB4FULL) ^ key[2] ^ n;
    h ^= h >> 29;
    Entry& e = entries_[(h * 0xBF58476D1CE4E5B9ULL) >> 56];
    if (e.length == n && e.key[0] == key[0] && e.key[1] == key[1] && e.key[2] == key[2]) {
      out = e.value;
      return true;
    }
    if (!slowParse(s, out)) return false;
    e = {{key[0], key[1], key[2]}, n, out};
    return true;
  }

 private:
  [[gnu::noinline]] static bool slowParse(std::string_view s, double& out) {
    const std::optional<double> value = date_time::fromIso(s);
    if (value) out = *value;
    return value.has_value();
  }
  static std::uint64_t load(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
  }
  struct Entry {
    std::uint64_t key[3] = {};
    std::size_t length = 0;
    double value = 0;
  };
  std::vector<Entry> entries_;
};

// The ids of the texts one column has met in this packet. Most cells of a
// column repeat a few texts, and this look-up keys on the text's own bytes (up
// to 24 of them, compared in place), which costs less than the dictionary's
// hash and probe. Longer texts, and any past kMaxSlots / 2 distinct ones, go
// to the dictionary.
class TextIdCache {
 public:
  explicit TextIdCache(Column& column) : column_(&column), slots_(64), mask_(63) {}

  std::uint32_t id(std::string_view s) {
    const std::size_t n = s.size();
    if (n == 0) return 0;
    if (n > 24) return column_->internText(s);
    const char* p = s.data();
    std::uint64_t w0, w1 = 0, w2 = 0;
    if (n <= 8) {
      w0 = text::tailWord(p, n);
    } else {
      w0 = text::load64(p);
      w1 = text::load64(p + n - 8);
      if (n > 16) w2 = text::load64(p + 8);
    }
    std::uint64_t h = (w0 * 0x9E3779B97F4A7C15ULL) ^ (w1 * 0xC2B2AE3D27D4EB4FULL) ^ w2 ^ n;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 32;
    for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
      Slot& e = slots_[i];
      if (e.id == 0) {
        const std::uint32_t id = column_->internText(s);
        if (used_ * 2 < kMaxSlots) {
          e = {w0, w1, w2, static_cast<std::uint32_t>(n), id};
          if (++used_ * 2 > slots_.size()) grow();
        }
        return id;
      }
      if (e.length == n && e.w0 == w0 && e.w1 == w1 && e.w2 == w2) return e.id;
    }
  }

 private:
  struct Slot {
    std::uint64_t w0 = 0, w1 = 0, w2 = 0;
    std::uint32_t length = 0, id = 0;  // id 0: empty
  };
  static constexpr std::size_t kMaxSlots = 1 << 16;

  void grow() {
    if (slots_.size() >= kMaxSlots) return;
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    mask_ = slots_.size() - 1;
    for (const Slot& e : old) {
      if (e.id == 0) continue;
      std::uint64_t h = (e.w0 * 0x9E3779B97F4A7C15ULL) ^ (e.w1 * 0xC2B2AE3D27D4EB4FULL) ^ e.w2 ^ e.length;
      h ^= h >> 29;
      h *= 0xBF58476D1CE4E5B9ULL;
      h ^= h >> 32;
      std::size_t i = h & mask_;
      while (slots_[i].id != 0) i = (i + 1) & mask_;
      slots_[i] = e;
    }
  }

  Column* column_;
  std::vector<Slot> slots_;
  std::size_t mask_;
  std::size_t used_ = 0;
};

// Rows are added a batch at a time, and the texts of a batch interned column
// by column: one column's look-ups at a time stay in cache, which with many
// distinct texts is much faster than interleaving the columns row by row, and
// the views waiting to be interned (they point into the packet or the parser)
// take little memory.
constexpr std::size_t kBatch = 4096;
constexpr std::size_t kDistinctSample = 1024;
constexpr std::size_t kSampleRows = 256;  // rows that tell the size of the rest

// One layout column fed by one packet column, with its batch of cells (every
// row stores each of them, null or not).
struct Target {
  std::size_t packetColumn;
  const FieldSpec* field;
  Column* column;
  std::size_t maxChars;
  std::vector<std::string_view> texts;  // Text; empty is null
  std::vector<double> numbers;          // Float, DateTime
  std::vector<std::int64_t> integers;
  std::vector<std::int8_t> booleans;
  std::unique_ptr<TextIdCache> ids;      // Text
  std::unique_ptr<IsoParseCache> dates;  // DateTime
  bool nearlyAllNew = false;             // Text: the first rows were nearly all distinct
};

// Builds the table from the cells of each row, whichever parser reads them.
class TableBuilder {
 public:
  // Throws PacketError for a data field of `layout` the packet lacks.
  TableBuilder(const PacketFields& packet, const std::vector<FieldSpec>& layout) : layout_(layout) {
    if (layout.empty()) {
      fromPacket_.reserve(packet.list.size());
      for (const PacketField& f : packet.list)
        fromPacket_.push_back({std::string(f.name), f.type, f.size, false});
    }
    const std::vector<FieldSpec>& fields = this->fields();
    table_ = emptyTable(fields);
    targets_.reserve(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const FieldSpec& f = fields[i];
      if (f.calculated) continue;
      const auto found = packet.byFoldedName.find(text::fold(f.name));
      if (found == packet.byFoldedName.end()) fail("Campo '" + f.name + "' ausente no pacote.");
      // The columns stay where they are while rows are added.
      Target& t = targets_.emplace_back();
      t.packetColumn = found->second;
      t.field = &f;
      t.column = &table_.mutableColumn(i);
      t.maxChars = static_cast<std::size_t>(effectiveSize(f));
      switch (f.type) {
        case FieldType::Text:
          t.texts.resize(kBatch);
          t.ids = std::make_unique<TextIdCache>(*t.column);
          break;
        case FieldType::DateTime:
          t.dates = std::make_unique<IsoParseCache>();
          [[fallthrough]];
        case FieldType::Float:
          t.numbers.assign(kBatch, Column::nullNumber());
          break;
        case FieldType::Integer:
          t.integers.assign(kBatch, Column::kNullInteger);
          break;
        case FieldType::Boolean:
          t.booleans.assign(kBatch, -1);
          break;
      }
    }
    std::sort(targets_.begin(), targets_.end(),
              [](const Target& a, const Target& b) { return a.packetColumn < b.packetColumn; });
    ids_.resize(kBatch);
  }
  TableBuilder(const TableBuilder&) = delete;
  TableBuilder& operator=(const TableBuilder&) = delete;

  const std::vector<FieldSpec>& fields() const { return layout_.empty() ? fromPacket_ : layout_; }
  // Sorted by packet column.
  std::vector<Target>& targets() { return targets_; }
  std::size_t rows() const { return done_ + pending_; }

  // Room for about `n` rows in all.
  void expect(std::size_t n) {
    expected_ = n;
    table_.reserve(n);
  }

  // Throws PacketError for a cell the field cannot take.
  void store(Target& t, const Cell& c) {
    const std::size_t k = pending_;
    switch (t.field->type) {
      case FieldType::Text:
        if (c.kind == Cell::Kind::Null) {
          t.texts[k] = std::string_view();
          return;
        }
        if (c.kind != Cell::Kind::Text) wrongType(t);
        // Valid UTF-8 already: both parsers check it.
        t.texts[k] = c.text.size() <= t.maxChars ? c.text : text::truncate(c.text, t.maxChars);
        return;
      case FieldType::Float:
        t.numbers[k] = c.kind == Cell::Kind::Null ? Column::nullNumber() : number(t, c);
        return;
      case FieldType::DateTime: {
        t.numbers[k] = Column::nullNumber();
        if (c.kind == Cell::Kind::Null) return;
        if (c.kind != Cell::Kind::Text) failDate(t, "");
        double d;
        if (!t.dates->parse(c.text, d)) failDate(t, c.text);
        if (d != date_time::kNoDate) t.numbers[k] = d;
        return;
      }
      case FieldType::Integer:
        t.integers[k] = c.kind == Cell::Kind::Null ? Column::kNullInteger : integer(t, c);
        return;
      case FieldType::Boolean:
        if (c.kind == Cell::Kind::True || c.kind == Cell::Kind::False)
          t.booleans[k] = c.kind == Cell::Kind::True ? 1 : 0;
        else if (c.kind == Cell::Kind::Null)
          t.booleans[k] = -1;
        else
          wrongType(t);
        return;
    }
  }

  // store() for a text in a Text field.
  void storeText(Target& t, std::string_view s) {
    t.texts[pending_] = s.size() <= t.maxChars ? s : text::truncate(s, t.maxChars);
  }

  void endRow() {
    if (++pending_ == kBatch) flush();
  }

  Table finish(std::vector<FieldSpec>& layout) {
    flush();
    if (layout.empty()) layout = std::move(fromPacket_);
    return std::move(table_);
  }

 private:
  void flush() {
    const std::size_t n = pending_;
    if (n == 0) return;
    const RowId first = table_.addRows(n);
    for (Target& t : targets_) {
      Column& column = *t.column;
      switch (t.field->type) {
        case FieldType::Text:
          internTexts(t, n);
          column.setTextIds(first, ids_.data(), n);
          break;
        case FieldType::Float:
        case FieldType::DateTime:
          column.setNumbers(first, t.numbers.data(), n);
          break;
        case FieldType::Integer:
          column.setIntegers(first, t.integers.data(), n);
          break;
        case FieldType::Boolean:
          column.setBooleans(first, t.booleans.data(), n);
          break;
      }
    }
    done_ += n;
    pending_ = 0;
  }

  void internTexts(Target& t, std::size_t n) {
    std::size_t k = 0;
    if (done_ == 0 && n > kDistinctSample) {
      for (; k < kDistinctSample; ++k) ids_[k] = t.ids->id(t.texts[k]);
      // A column whose first rows are nearly all distinct (order numbers,
      // descriptions) will keep going: its texts are added without a
      // look-up each, and its hash index takes them in on first use.
      t.nearlyAllNew = t.column->dictionary().size() > kDistinctSample * 3 / 4;
      if (t.nearlyAllNew) t.column->reserveTexts(std::max(expected_, n) + 1);
    }
    if (t.nearlyAllNew) {
      t.column->appendTextsUnchecked(t.texts.data() + k, n - k, ids_.data() + k);
    } else {
      for (; k < n; ++k)  // runs of one text (a branch, a flag) need no look-up
        ids_[k] = k > 0 && text::sameBytes(t.texts[k], t.texts[k - 1]) ? ids_[k - 1] : t.ids->id(t.texts[k]);
    }
  }

  double number(const Target& t, const Cell& c) const {
    switch (c.kind) {
      case Cell::Kind::Integer:
        return static_cast<double>(c.integer);
      case Cell::Kind::BigInteger:
        return c.number;
      case Cell::Kind::Float:
        if (!std::isfinite(c.number)) outOfRange(t);
        return c.number;
      default:
        wrongType(t);
    }
  }

  std::int64_t integer(const Target& t, const Cell& c) const {
    switch (c.kind) {
      case Cell::Kind::Integer:
        // The column keeps the smallest int64 as its null marker.
        if (c.integer == std::numeric_limits<std::int64_t>::min()) outOfRange(t);
        return c.integer;
      case Cell::Kind::BigInteger:
        outOfRange(t);
      case Cell::Kind::Float: {
        const double d = c.number;
        if (std::trunc(d) != d) wrongType(t);
        // 2^63 is exact as a double; the int64 minimum is refused as above.
        if (!(d > -9223372036854775808.0 && d < 9223372036854775808.0)) outOfRange(t);
        return static_cast<std::int64_t>(d);
      }
      default:
        wrongType(t);
    }
  }

  std::string where(const Target& t) const {
    return " na linha " + std::to_string(rows() + 1) + " do pacote, campo " + shown(t.field->name);
  }
  [[noreturn]] void failAt(const Target& t, std::string_view what) const {
    fail("Valor inválido" + where(t) + ": " + std::string(what) + ".");
  }
  [[noreturn]] void wrongType(const Target& t) const {
    failAt(t, "esperado " + std::string(fieldTypeDescription(t.field->type)));
  }
  [[noreturn]] void outOfRange(const Target& t) const { fail("Número fora do intervalo" + where(t) + "."); }
  [[noreturn]] void failDate(const Target& t, std::string_view s) const {
    fail("Data inválida" + where(t) + (s.empty() ? std::string() : ": " + shown(s)) + ".");
  }

  const std::vector<FieldSpec>& layout_;
  std::vector<FieldSpec> fromPacket_;
  Table table_;
  std::vector<Target> targets_;
  std::vector<std::uint32_t> ids_;
  std::size_t done_ = 0, pending_ = 0, expected_ = 0;
};

// Rows between "[" and "]" of the packet, cells stored as they come.
template <class ReadCell>
bool storeRow(TableBuilder& b, std::size_t width, ReadCell&& readCell) {
  std::vector<Target>& targets = b.targets();
  auto t = targets.begin();
  Cell c;
  for (std::size_t j = 0; j < width; ++j) {
    if (!readCell(j, c)) return false;
    for (; t != targets.end() && t->packetColumn == j; ++t) b.store(*t, c);
  }
  b.endRow();
  return true;
}

// The plain form: nullopt when the packet is not in it, or is refused (the
// full parser then says why).
std::optional<PacketFields> readPlainFields(PlainScanner& s) {
  PacketFields out;
  if (s.take(']')) return out;
  do {
    if (!s.take('{')) return std::nullopt;
    std::string_view name, typeName;
    bool hasName = false, hasType = false, hasSize = false;
    Cell size;
    do {
      std::string_view key;
      if (!s.text(key) || !s.take(':')) return std::nullopt;
      if (key == "name" && !hasName) {
        hasName = true;
        if (!s.text(name) || name.empty()) return std::nullopt;
      } else if (key == "type" && !hasType) {
        hasType = true;
        if (!s.text(typeName)) return std::nullopt;
      } else if (key == "size" && !hasSize) {
        hasSize = true;
        if (!s.value(size)) return std::nullopt;
      } else {
        return std::nullopt;
      }
    } while (s.take(','));
    if (!s.take('}') || !hasName || !hasType) return std::nullopt;
    const std::optional<FieldType> type = typeFromName(typeName);
    if (!type) return std::nullopt;
    int fieldSize = 0;
    if (hasSize && size.kind != Cell::Kind::Null) {
      if (size.kind != Cell::Kind::Integer || size.integer < 0 ||
          size.integer > std::numeric_limits<int>::max())
        return std::nullopt;
      fieldSize = static_cast<int>(size.integer);
    }
    if (!out.add({name, *type, fieldSize})) return std::nullopt;
  } while (s.take(','));
  if (!s.take(']')) return std::nullopt;
  return out;
}

std::optional<Table> decodePlain(std::string_view json, std::vector<FieldSpec>& layout) {
  PlainScanner s(json);
  if (!s.take('{') || !s.key("fields") || !s.take('[')) return std::nullopt;
  const std::optional<PacketFields> packet = readPlainFields(s);
  if (!packet || !s.take(',') || !s.key("rows") || !s.take('[')) return std::nullopt;
  TableBuilder b(*packet, layout);
  const std::size_t width = packet->list.size();
  // The targets of each packet column; a Text column's texts go straight in.
  struct Feed {
    Target* first = nullptr;
    std::size_t count = 0;
    bool text = false;
  };
  std::vector<Feed> feeds(width);
  for (Target& t : b.targets()) {
    Feed& f = feeds[t.packetColumn];
    if (f.count++ == 0) f.first = &t;
    f.text = f.count == 1 && t.field->type == FieldType::Text;
  }
  const std::size_t rowsStart = s.consumed();
  if (!s.take(']')) {
    do {
      if (!s.take('[')) return std::nullopt;
      for (std::size_t j = 0; j < width; ++j) {
        if (j > 0 && !s.take(',')) return std::nullopt;
        const Feed& f = feeds[j];
        std::string_view text;
        if (f.text && s.nextIsText()) {
          if (!s.text(text)) return std::nullopt;
          b.storeText(*f.first, text);
          continue;
        }
        Cell c;
        if (!s.value(c)) return std::nullopt;
        for (std::size_t k = 0; k < f.count; ++k) b.store(f.first[k], c);
      }
      b.endRow();
      if (!s.take(']')) return std::nullopt;
      if (b.rows() == kSampleRows) {
        // The rest of the packet is like its start: room for its rows at once.
        const std::size_t perRow = (s.consumed() - rowsStart) / kSampleRows + 1;
        b.expect(s.size() / perRow + s.size() / perRow / 16);
      }
    } while (s.take(','));
    if (!s.take(']')) return std::nullopt;
  }
  if (!s.take('}') || !s.atEnd()) return std::nullopt;
  return b.finish(layout);
}

Cell cellOf(dom::element e) {
  Cell c;
  switch (e.type()) {
    case dom::element_type::NULL_VALUE:
      break;
    case dom::element_type::STRING:
      c.kind = Cell::Kind::Text;
      c.text = e.get_string().value_unsafe();
      break;
    case dom::element_type::INT64:
      c.kind = Cell::Kind::Integer;
      c.integer = e.get_int64().value_unsafe();
      break;
    case dom::element_type::UINT64:
      c.kind = Cell::Kind::BigInteger;
      c.number = static_cast<double>(e.get_uint64().value_unsafe());
      break;
    case dom::element_type::DOUBLE:
      c.kind = Cell::Kind::Float;
      c.number = e.get_double().value_unsafe();
      break;
    case dom::element_type::BOOL:
      c.kind = e.get_bool().value_unsafe() ? Cell::Kind::True : Cell::Kind::False;
      break;
    default:
      c.kind = Cell::Kind::Other;
  }
  return c;
}

Table decodeDocument(std::string_view json, std::vector<FieldSpec>& layout) {
  thread_local dom::parser parser;
  struct Release {
    ~Release() {
      if (parser.capacity() > keptParserCapacity.load(std::memory_order_relaxed)) parser = dom::parser();
    }
  } release;

  dom::element root;
  if (const error_code e = parser.parse(json.data(), json.size(), true).get(root)) fail(parseErrorMessage(e));
  dom::object top;
  if (root.get_object().get(top)) fail("Pacote inválido: o conteúdo não é um objeto JSON.");
  dom::array fieldsArray, rowsArray;
  if (top["fields"].get_array().get(fieldsArray))
    fail("Pacote inválido: falta a lista de campos (\"fields\").");
  if (top["rows"].get_array().get(rowsArray)) fail("Pacote inválido: falta a lista de linhas (\"rows\").");

  const PacketFields packet = readFields(fieldsArray);
  TableBuilder b(packet, layout);
  b.expect(rowsArray.size());  // saturates at 0xFFFFFF: a hint only

  const std::size_t width = packet.list.size();
  std::size_t rowNumber = 0;
  for (dom::element rowElement : rowsArray) {
    ++rowNumber;
    dom::array row;
    if (rowElement.get_array().get(row))
      fail("Linha " + std::to_string(rowNumber) + " do pacote não é uma lista.");
    const std::size_t cells = row.size();
    if (cells != width)
      fail("Linha " + std::to_string(rowNumber) + " do pacote tem " + std::to_string(cells) +
           " valores; esperados " + std::to_string(width) + ".");
    auto cell = row.begin();
    storeRow(b, width, [&](std::size_t, Cell& c) {
      c = cellOf(*cell);
      ++cell;
      return true;
    });
  }
  return b.finish(layout);
}

}  // namespace

void keepPacketParserUpTo(std::size_t bytes) { keptParserCapacity = bytes; }

Table packet_internal::decodeWithDocument(std::string_view json, std::vector<FieldSpec>& layout) {
  return decodeDocument(json, layout);
}

Table decodePacket(std::string_view json, std::vector<FieldSpec>& layout) {
  try {
    if (std::optional<Table> table = decodePlain(json, layout)) return std::move(*table);
  } catch (const PacketError&) {
    // Refused: the full parser finds the first fault in document order and words it.
  }
  return decodeDocument(json, layout);
}

}  // namespace ped::engine
