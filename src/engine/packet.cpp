#include "engine/packet.h"

#include <simdjson.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>

#include "engine/date_time.h"
#include "engine/error.h"
#include "engine/text.h"

namespace ped::engine {
namespace {

namespace dom = simdjson::dom;
using simdjson::error_code;

// A parser keeps its buffers between packets; one grown by an exceptionally
// large packet is released rather than kept for the life of the thread.
std::atomic<std::size_t> keptParserCapacity{64u << 20};

[[noreturn]] void fail(const std::string& message) { throw PacketError(message); }

std::string shown(std::string_view s) {
  constexpr std::size_t kShown = 40;  // keep messages short whatever arrives
  std::string out = "'";
  const std::string_view cut = text::truncate(s, kShown);
  out.append(cut);
  if (cut.size() < s.size()) out += "...";
  out += '\'';
  return out;
}

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
};

PacketFields readFields(dom::array fields) {
  PacketFields out;
  auto& seen = out.byFoldedName;
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
    if (!seen.emplace(text::fold(name), out.list.size()).second)
      fail("Pacote inválido: campo " + shown(name) + " repetido.");
    out.list.push_back({name, *type, size});
  }
  return out;
}

// Date columns repeat their values (one delivery date for many items), and
// parsing one costs more than a lookup.
class IsoParseCache {
 public:
  IsoParseCache() : entries_(256) {}

  std::optional<double> parse(std::string_view s) {
    if (s.size() < 8 || s.size() > 24) return date_time::fromIso(s);
    // Three words that together cover every byte of a text of 8 to 24 bytes.
    const char* p = s.data();
    const std::size_t n = s.size();
    const std::uint64_t key[3] = {load(p), load(p + (n >= 16 ? 8 : n - 8)), load(p + n - 8)};
    std::uint64_t h = (key[0] * 0x9E3779B97F4A7C15ULL) ^ (key[1] * 0xC2B2AE3D27D4EB4FULL) ^ key[2] ^ n;
    h ^= h >> 29;
    Entry& e = entries_[(h * 0xBF58476D1CE4E5B9ULL) >> 56];
    if (e.length == n && e.key[0] == key[0] && e.key[1] == key[1] && e.key[2] == key[2]) return e.value;
    const std::optional<double> value = date_time::fromIso(s);
    if (value) e = {{key[0], key[1], key[2]}, n, *value};
    return value;
  }

 private:
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

// Texts are interned column by column, a batch of rows at a time: one
// dictionary at a time stays in cache, which with many distinct texts is much
// faster than interleaving the columns row by row, and the views waiting to be
// interned (they point into the parser) take little memory.
constexpr std::size_t kTextBatch = 4096;
constexpr std::size_t kDistinctSample = 1024;

// One layout column fed by one packet column.
struct Target {
  std::size_t packetColumn;
  const FieldSpec* field;
  Column* column;
  std::size_t maxChars;
  std::string_view* texts;    // Text fields: the batch's texts, interned when the batch is complete
  IsoParseCache* dates;       // DateTime fields
  bool nearlyAllNew = false;  // Text fields: the first rows were nearly all distinct
};

class RowReader {
 public:
  explicit RowReader(std::size_t rowNumber) : row_(rowNumber) {}

  void store(const Target& t, dom::element cell, RowId r) const {
    const dom::element_type kind = cell.type();
    if (kind == dom::element_type::NULL_VALUE) return;  // the new row is null already
    switch (t.field->type) {
      case FieldType::Text: {
        if (kind != dom::element_type::STRING) wrongType(t);
        // Valid UTF-8 already: the parser checks the whole input and refuses
        // escapes that would not make a character (lone surrogates).
        t.texts[r % kTextBatch] = text::truncate(cell.get_string().value_unsafe(), t.maxChars);
        return;
      }
      case FieldType::Float:
        t.column->setNumber(r, number(t, cell, kind));
        return;
      case FieldType::DateTime: {
        if (kind != dom::element_type::STRING) failDate(t, "");
        const std::string_view s = cell.get_string().value_unsafe();
        const std::optional<double> d = t.dates->parse(s);
        if (!d) failDate(t, s);
        if (*d != date_time::kNoDate) t.column->setNumber(r, *d);
        return;
      }
      case FieldType::Integer:
        t.column->setInteger(r, integer(t, cell, kind));
        return;
      case FieldType::Boolean: {
        bool b;
        if (cell.get_bool().get(b)) wrongType(t);
        t.column->setBoolean(r, b);
        return;
      }
    }
  }

 private:
  double number(const Target& t, dom::element cell, dom::element_type kind) const {
    switch (kind) {
      case dom::element_type::INT64:
        return static_cast<double>(cell.get_int64().value_unsafe());
      case dom::element_type::UINT64:
        return static_cast<double>(cell.get_uint64().value_unsafe());
      case dom::element_type::DOUBLE: {
        const double d = cell.get_double().value_unsafe();
        if (!std::isfinite(d)) outOfRange(t);
        return d;
      }
      default:
        wrongType(t);
    }
  }

  std::int64_t integer(const Target& t, dom::element cell, dom::element_type kind) const {
    switch (kind) {
      case dom::element_type::INT64: {
        const std::int64_t i = cell.get_int64().value_unsafe();
        // The column keeps the smallest int64 as its null marker.
        if (i == std::numeric_limits<std::int64_t>::min()) outOfRange(t);
        return i;
      }
      case dom::element_type::UINT64:
        outOfRange(t);
      case dom::element_type::DOUBLE: {
        const double d = cell.get_double().value_unsafe();
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
    return " na linha " + std::to_string(row_) + " do pacote, campo " + shown(t.field->name);
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

  std::size_t row_;
};

// Output buffer written through a raw cursor; `need` before each write.
class Writer {
 public:
  explicit Writer(std::size_t estimate) {
    buf_.resize(estimate);
    pos_ = buf_.data();
    end_ = pos_ + buf_.size();
  }

  void need(std::size_t n) {
    if (static_cast<std::size_t>(end_ - pos_) < n) grow(n);
  }
  void put(char c) { *pos_++ = c; }
  void put(std::string_view s) {
    std::memcpy(pos_, s.data(), s.size());
    pos_ += s.size();
  }
  char*& cursor() { return pos_; }
  std::size_t size() const { return static_cast<std::size_t>(pos_ - buf_.data()); }

  std::string finish() {
    buf_.resize(static_cast<std::size_t>(pos_ - buf_.data()));
    return std::move(buf_);
  }

 private:
  [[gnu::noinline]] void grow(std::size_t n) {
    const std::size_t used = static_cast<std::size_t>(pos_ - buf_.data());
    buf_.resize(std::max(buf_.size() * 2, used + n + 4096));
    pos_ = buf_.data() + used;
    end_ = buf_.data() + buf_.size();
  }

  std::string buf_;
  char* pos_;
  char* end_;
};

constexpr std::uint64_t kOnes = 0x0101'0101'0101'0101ULL;
constexpr std::uint64_t kHigh = 0x8080'8080'8080'8080ULL;

inline std::uint64_t zeroBytes(std::uint64_t w) { return (w - kOnes) & ~w & kHigh; }

// High bit set in each byte that a JSON string cannot carry as it is (quote,
// backslash, control character) or that is non-ASCII. Bits above the lowest
// one may be false alarms; the lowest one is exact.
inline std::uint64_t specialBytes(std::uint64_t w) {
  return ((w - kOnes * 0x20) & ~w & kHigh) | (w & kHigh) | zeroBytes(w ^ (kOnes * '"')) |
         zeroBytes(w ^ (kOnes * '\\'));
}

// The last 1..7 bytes of a text as a word, padded with a byte that needs no
// escape; fixed-size loads, as a variable-length copy costs a library call.
inline std::uint64_t loadTail(const char* p, std::size_t n) {
  static_assert(std::endian::native == std::endian::little);
  std::uint64_t word = kOnes * 'a';
  if (n >= 4) {
    std::uint32_t head, tail;
    std::memcpy(&head, p, 4);
    std::memcpy(&tail, p + n - 4, 4);  // overlaps head when n < 8
    const unsigned shift = static_cast<unsigned>(n - 4) * 8;
    word = (word & ~0xFFFF'FFFFULL) | head;
    return (word & ~(0xFFFF'FFFFULL << shift)) | (std::uint64_t{tail} << shift);
  }
  for (std::size_t k = 0; k < n; ++k) {
    word &= ~(0xFFULL << (8 * k));
    word |= std::uint64_t{static_cast<unsigned char>(p[k])} << (8 * k);
  }
  return word;
}

// Writes s as a JSON string, its UTF-8 bytes kept as they are. Returns false,
// having written part of it, when s is not valid UTF-8.
bool writeString(Writer& w, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  w.need(s.size() * 6 + 2 + 8);  // worst case every byte as \u00XX, and room for a whole word
  char*& o = w.cursor();
  *o++ = '"';
  const char* p = s.data();
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    std::size_t chunk = 8;
    std::uint64_t word;
    if (n - i >= 8) {
      std::memcpy(&word, p + i, 8);
    } else {
      chunk = n - i;
      word = loadTail(p + i, chunk);
    }
    const std::uint64_t special = specialBytes(word);
    // Bytes before the first special one go out as they are; any padding
    // lands in the room reserved above.
    const std::size_t plain = special == 0 ? chunk : static_cast<std::size_t>(std::countr_zero(special)) / 8;
    std::memcpy(o, &word, 8);
    o += plain;
    i += plain;
    if (plain == chunk) continue;
    const auto c = static_cast<unsigned char>(p[i]);
    if (c >= 0x80) {
      // Multi-byte characters are made of non-ASCII bytes only, so each such
      // run can be validated on its own.
      std::size_t j = i + 1;
      while (j < n && static_cast<unsigned char>(p[j]) >= 0x80) ++j;
      if (!text::isValidUtf8(s.substr(i, j - i))) return false;
      std::memcpy(o, p + i, j - i);
      o += j - i;
      i = j;
      continue;
    }
    ++i;
    if (c == '"' || c == '\\') {
      *o++ = '\\';
      *o++ = static_cast<char>(c);
    } else if (c >= 0x20) {
      *o++ = static_cast<char>(c);
    } else {
      *o++ = '\\';
      switch (c) {
        case '\n':
          *o++ = 'n';
          break;
        case '\r':
          *o++ = 'r';
          break;
        case '\t':
          *o++ = 't';
          break;
        case '\b':
          *o++ = 'b';
          break;
        case '\f':
          *o++ = 'f';
          break;
        default:
          std::memcpy(o, "u00", 3);
          o[3] = kHex[c >> 4];
          o[4] = kHex[c & 0xF];
          o += 5;
      }
    }
  }
  *o++ = '"';
  return true;
}

// Prices and quantities mostly carry a few decimals, and for them the
// shortest text comes cheaper than from the general algorithm: when
// |d| == I / 10^k exactly (I below 2^50, the division correctly rounded), the
// decimal I·10^-k reads back as d, and the smallest such k gives the fewest
// digits. Kept to the range where to_chars would choose the plain notation.
bool writeShortDecimal(char*& o, double d) {
  static constexpr double kScale[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
  static constexpr std::uint64_t kScaleInt[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
  const double a = std::fabs(d);
  if (!(a >= 0.001 && a < 1e15)) return false;
  for (int k = 0; k < 7; ++k) {
    const double scaled = a * kScale[k];
    if (scaled >= 1125899906842624.0) return false;  // 2^50: rounding below stays exact
    const auto i = static_cast<std::uint64_t>(scaled + 0.5);
    if (static_cast<double>(i) / kScale[k] != a) continue;
    if (k == 0 && a >= 1e5) return false;  // trailing zeros may make the exponent form shorter
    if (d < 0) *o++ = '-';
    o = std::to_chars(o, o + 20, i / kScaleInt[k]).ptr;
    *o++ = '.';
    if (k == 0) {
      *o++ = '0';
      return true;
    }
    std::uint64_t frac = i % kScaleInt[k];
    for (int j = k - 1; j >= 0; --j) {
      o[j] = static_cast<char>('0' + frac % 10);
      frac /= 10;
    }
    o += k;
    return true;
  }
  return false;
}

void writeDouble(Writer& w, double d) {
  w.need(32);
  char*& o = w.cursor();
  if (writeShortDecimal(o, d)) return;
  const char* start = o;
  o = std::to_chars(o, o + 30, d).ptr;
  // Without a '.' or an exponent a reader takes the number for an integer:
  // -0 would lose its sign and large values would not fit.
  for (const char* c = start; c < o; ++c)
    if (*c == '.' || *c == 'e') return;
  std::memcpy(o, ".0", 2);
  o += 2;
}

// Date columns repeat their values (one delivery date for many items), and a
// lookup costs less than formatting.
class IsoCache {
 public:
  IsoCache() : entries_(1024) {}

  // Writes the ISO text of d at o, which has room for kIsoMaxLength bytes, and
  // returns the end. Throws EngineError as date_time::writeIso does.
  char* write(double d, char* o) {
    const auto bits = std::bit_cast<std::uint64_t>(d);
    Entry& e = entries_[(bits * 0x9E3779B97F4A7C15ULL) >> 54];
    if (e.length == 0 || e.bits != bits) {
      e.length = 0;
      e.length = static_cast<std::uint8_t>(date_time::writeIso(d, e.text) - e.text);
      e.bits = bits;
    }
    std::memcpy(o, e.text, sizeof e.text);  // a fixed size copies faster
    return o + e.length;
  }

 private:
  struct Entry {
    std::uint64_t bits = 0;
    std::uint8_t length = 0;
    char text[date_time::kIsoMaxLength];
  };
  std::vector<Entry> entries_;
};

void writeInteger(Writer& w, std::int64_t i) {
  w.need(24);
  char*& o = w.cursor();
  o = std::to_chars(o, o + 22, i).ptr;
}

}  // namespace

Table emptyTable(const std::vector<FieldSpec>& layout) {
  std::vector<FieldType> types;
  types.reserve(layout.size());
  for (const FieldSpec& f : layout) types.push_back(f.type);
  return Table(types);
}
void keepPacketParserUpTo(std::size_t bytes) { keptParserCapacity = bytes; }

Table decodePacket(std::string_view json, std::vector<FieldSpec>& layout) {
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
  const std::vector<PacketField>& packetFields = packet.list;

  // An empty layout takes the packet's own fields, but only once everything is read.
  std::vector<FieldSpec> fromPacket;
  if (layout.empty()) {
    fromPacket.reserve(packetFields.size());
    for (const PacketField& f : packetFields)
      fromPacket.push_back({std::string(f.name), f.type, f.size, false});
  }
  const std::vector<FieldSpec>& fields = layout.empty() ? fromPacket : layout;

  Table table = emptyTable(fields);
  std::size_t rowCount = rowsArray.size();
  if (rowCount >= 0xFFFFFF) {  // the parser's count saturates there
    rowCount = 0;
    for ([[maybe_unused]] dom::element e : rowsArray) ++rowCount;
  }
  table.addRows(rowCount);  // null rows, filled column by column below

  std::vector<Target> targets;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldSpec& f = fields[i];
    if (f.calculated) continue;
    const auto found = packet.byFoldedName.find(text::fold(f.name));
    if (found == packet.byFoldedName.end()) fail("Campo '" + f.name + "' ausente no pacote.");
    // The table is not shared, so these stay valid while rows are added.
    targets.push_back({found->second, &f, &table.mutableColumn(i), static_cast<std::size_t>(effectiveSize(f)),
                       nullptr, nullptr});
  }
  std::vector<std::vector<std::string_view>> texts;
  std::vector<IsoParseCache> dates;
  texts.reserve(targets.size());
  dates.reserve(targets.size());
  for (Target& t : targets) {
    if (t.field->type == FieldType::Text) t.texts = texts.emplace_back(std::min(rowCount, kTextBatch)).data();
    if (t.field->type == FieldType::DateTime) t.dates = &dates.emplace_back();
  }
  auto internTexts = [&](RowId first, RowId end) {
    for (Target& t : targets) {
      if (!t.texts || end <= first) continue;
      if (first == 0 && end > kDistinctSample) {
        t.column->setTexts(0, t.texts, kDistinctSample);
        // A column whose first rows are nearly all distinct (order numbers,
        // descriptions) will keep going: its texts are added without a
        // look-up each, and its hash index takes them in on first use.
        t.nearlyAllNew = t.column->dictionary().size() > kDistinctSample * 3 / 4;
        t.column->setTexts(kDistinctSample, t.texts + kDistinctSample, end - kDistinctSample, t.nearlyAllNew);
      } else {
        t.column->setTexts(first, t.texts, end - first, t.nearlyAllNew);
      }
      std::fill(t.texts, t.texts + (end - first), std::string_view());
    }
  };
  std::sort(targets.begin(), targets.end(),
            [](const Target& a, const Target& b) { return a.packetColumn < b.packetColumn; });

  const std::size_t width = packetFields.size();
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
    const auto r = static_cast<RowId>(rowNumber - 1);
    const RowReader reader(rowNumber);
    auto t = targets.begin();
    std::size_t j = 0;
    for (dom::element cell : row) {
      if (t == targets.end()) break;
      for (; t != targets.end() && t->packetColumn == j; ++t) reader.store(*t, cell, r);
      ++j;
    }
    if ((r + 1) % kTextBatch == 0) internTexts(r + 1 - kTextBatch, r + 1);
  }
  const auto rows = static_cast<RowId>(table.physicalRows());
  internTexts(rows - rows % kTextBatch, rows);

  if (layout.empty()) layout = std::move(fromPacket);
  return table;
}

namespace {

// {"fields":[...],"rows":[ — the start of every packet.
void writeFieldList(Writer& w, const std::vector<const FieldSpec*>& fields) {
  w.need(16);
  w.put(R"({"fields":[)");
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const FieldSpec& f = *fields[k];
    w.need(16);
    w.put(k == 0 ? R"({"name":)" : R"(,{"name":)");
    if (!writeString(w, f.name)) throw PacketError("Pacote não gerado: nome de campo com UTF-8 inválido.");
    w.need(48);
    w.put(R"(,"type":")");
    w.put(fieldTypeName(f.type));
    w.put('"');
    if (f.type == FieldType::Text) {
      w.put(R"(,"size":)");
      writeInteger(w, effectiveSize(f));
    }
    w.need(1);
    w.put('}');
  }
  w.need(16);
  w.put(R"(],"rows":[)");
}

class PacketWriter {
 public:
  PacketWriter(const std::vector<FieldSpec>& layout, const Table& table)
      : physical_(table.physicalRows()), nullNumberBits_(std::bit_cast<std::uint64_t>(Column::nullNumber())) {
    dateCaches_.resize(std::count_if(layout.begin(), layout.end(), [](const FieldSpec& f) {
      return !f.calculated && f.type == FieldType::DateTime;
    }));
    for (std::size_t i = 0, dates = 0; i < layout.size(); ++i) {
      if (layout[i].calculated) continue;
      IsoCache* cache = layout[i].type == FieldType::DateTime ? &dateCaches_[dates++] : nullptr;
      outputs_.push_back({&layout[i], &table.column(i), cache});
    }
  }

  // Bytes the rows will take, from a sample of them, so that the output is
  // allocated once and not much larger than needed.
  std::size_t estimateRows(std::span<const RowId> order) {
    constexpr std::size_t kSample = 256;
    if (order.empty()) return 0;
    const std::size_t step = std::max<std::size_t>(1, order.size() / kSample);
    Writer scratch(4096);
    std::size_t sampled = 0;
    try {
      for (std::size_t k = 0; k < order.size(); k += step, ++sampled) writeRow(scratch, order[k], k + 1);
    } catch (const PacketError&) {
      // Reported by the real pass, in row order.
    }
    if (sampled == 0) return order.size() * 16;
    const std::size_t perRow = scratch.size() / sampled + 1;
    return perRow * order.size() + perRow * order.size() / 16;
  }

  void writeHeader(Writer& w) const {
    std::vector<const FieldSpec*> fields;
    for (const Output& out : outputs_) fields.push_back(out.field);
    writeFieldList(w, fields);
  }

  // Writes one row as a JSON array; rowNumber (1-based) is for messages.
  void writeRow(Writer& w, RowId r, std::size_t rowNumber) {
    if (r >= physical_) throw PacketError("Pacote não gerado: linha inexistente na ordem pedida.");
    w.need(1);
    w.put('[');
    bool first = true;
    for (const Output& out : outputs_) {
      if (!first) {
        w.need(1);
        w.put(',');
      }
      first = false;
      if (!writeCell(w, out, r, rowNumber)) {
        w.need(4);
        w.put("null");
      }
    }
    w.need(1);
    w.put(']');
  }

 private:
  struct Output {
    const FieldSpec* field;
    const Column* column;
    IsoCache* dates;
  };

  // False for a null cell, left for the caller to write.
  bool writeCell(Writer& w, const Output& out, RowId r, std::size_t rowNumber) {
    const Column& col = *out.column;
    switch (out.field->type) {
      case FieldType::Text: {
        const std::uint32_t id = col.textId(r);
        if (id == 0) return false;
        if (!writeString(w, col.dictionary().at(id)))
          throw cellError(rowNumber, out, "texto com UTF-8 inválido");
        return true;
      }
      case FieldType::Float: {
        const double d = col.number(r);
        if (std::bit_cast<std::uint64_t>(d) == nullNumberBits_) return false;
        if (!std::isfinite(d)) throw cellError(rowNumber, out, "número não finito");
        writeDouble(w, d);
        return true;
      }
      case FieldType::DateTime: {
        const double d = col.number(r);
        if (std::bit_cast<std::uint64_t>(d) == nullNumberBits_ || d == date_time::kNoDate) return false;
        w.need(date_time::kIsoMaxLength + 2);
        char*& o = w.cursor();
        try {
          char* end = out.dates->write(d, o + 1);
          *o = '"';
          *end = '"';
          o = end + 1;
        } catch (const EngineError&) {
          throw cellError(rowNumber, out, "data fora do intervalo");
        }
        return true;
      }
      case FieldType::Integer: {
        const CellView c = col.cell(r);
        if (c.isNull()) return false;
        writeInteger(w, c.integer);
        return true;
      }
      case FieldType::Boolean: {
        const CellView c = col.cell(r);
        if (c.isNull()) return false;
        w.need(5);
        w.put(c.boolean ? std::string_view("true") : std::string_view("false"));
        return true;
      }
    }
    return false;
  }

  static PacketError cellError(std::size_t rowNumber, const Output& out, std::string_view what) {
    return PacketError("Pacote não gerado: " + std::string(what) + " na linha " + std::to_string(rowNumber) +
                       ", campo " + shown(out.field->name) + ".");
  }

  std::size_t physical_;
  std::uint64_t nullNumberBits_;
  std::vector<IsoCache> dateCaches_;
  std::vector<Output> outputs_;
};

}  // namespace

struct PacketStream::State {
  explicit State(const std::vector<FieldSpec>& layout) : w(1024) {
    for (const FieldSpec& f : layout)
      if (!f.calculated) fields.push_back(&f);
  }
  // The cell about to be written: its field, and a comma before it if needed.
  const FieldSpec& next() {
    if (cell >= fields.size()) throw PacketError("Pacote não gerado: mais valores que campos na linha.");
    if (cell > 0) {
      w.need(1);
      w.put(',');
    }
    return *fields[cell++];
  }
  Writer w;
  std::vector<const FieldSpec*> fields;
  std::size_t cell = 0;
  std::size_t rows = 0;
};

PacketStream::PacketStream(const std::vector<FieldSpec>& layout) : s_(std::make_unique<State>(layout)) {
  writeFieldList(s_->w, s_->fields);
}

PacketStream::~PacketStream() = default;

void PacketStream::beginRow() {
  s_->w.need(2);
  if (s_->rows++ > 0) s_->w.put(',');
  s_->w.put('[');
  s_->cell = 0;
}

void PacketStream::null() {
  s_->next();
  s_->w.need(4);
  s_->w.put("null");
}

void PacketStream::text(std::string_view t) {
  const FieldSpec& f = s_->next();
  if (!writeString(s_->w, text::truncate(t, static_cast<std::size_t>(effectiveSize(f)))))
    throw PacketError("Pacote não gerado: texto com UTF-8 inválido no campo " + shown(f.name) + ".");
}

void PacketStream::number(double d) {
  const FieldSpec& f = s_->next();
  if (!std::isfinite(d))
    throw PacketError("Pacote não gerado: número não finito no campo " + shown(f.name) + ".");
  writeDouble(s_->w, d);
}

void PacketStream::dateTime(double d) {
  s_->next();
  if (d == date_time::kNoDate) {
    s_->w.need(4);
    s_->w.put("null");
    return;
  }
  s_->w.need(date_time::kIsoMaxLength + 2);
  char*& o = s_->w.cursor();
  char* end = date_time::writeIso(d, o + 1);
  *o = '"';
  *end = '"';
  o = end + 1;
}

void PacketStream::integer(std::int64_t i) {
  s_->next();
  writeInteger(s_->w, i);
}

void PacketStream::boolean(bool b) {
  s_->next();
  s_->w.need(5);
  s_->w.put(b ? std::string_view("true") : std::string_view("false"));
}

void PacketStream::endRow() {
  if (s_->cell != s_->fields.size()) throw PacketError("Pacote não gerado: linha com valores a menos.");
  s_->w.need(1);
  s_->w.put(']');
}

std::size_t PacketStream::rows() const { return s_->rows; }

std::string PacketStream::finish() {
  s_->w.need(2);
  s_->w.put("]}");
  return s_->w.finish();
}

std::string encodePacket(const std::vector<FieldSpec>& layout, const Table& table,
                         std::span<const RowId> order) {
  if (table.columnCount() != layout.size())
    throw PacketError("Pacote não gerado: a tabela não corresponde à lista de campos.");
  PacketWriter packet(layout, table);
  Writer w(256 + layout.size() * 64 + packet.estimateRows(order));
  packet.writeHeader(w);
  std::size_t rowNumber = 0;
  for (const RowId r : order) {
    if (++rowNumber > 1) {
      w.need(1);
      w.put(',');
    }
    packet.writeRow(w, r, rowNumber);
  }
  w.need(2);
  w.put("]}");
  return w.finish();
}

}  // namespace ped::engine
