#include "engine/packet.h"

#include <simdjson.h>

#include <algorithm>
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
constexpr std::size_t kKeptParserCapacity = 64u << 20;

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
    case error_code::EMPTY: return "Pacote inválido: vazio.";
    case error_code::DEPTH_ERROR: return "Pacote inválido: listas ou objetos aninhados em excesso.";
    case error_code::NUMBER_ERROR: return "Pacote inválido: número malformado ou fora do intervalo.";
    case error_code::STRING_ERROR: return "Pacote inválido: texto malformado.";
    case error_code::UTF8_ERROR: return "Pacote inválido: texto com UTF-8 inválido.";
    case error_code::CAPACITY: return "Pacote grande demais para ser lido.";
    case error_code::MEMALLOC: return "Memória insuficiente para ler o pacote.";
    default: return std::string("Pacote inválido: JSON malformado (") + simdjson::error_message(e) + ").";
  }
}

std::optional<FieldType> typeFromName(std::string_view name) {
  for (FieldType t : {FieldType::Text, FieldType::Float, FieldType::DateTime, FieldType::Integer,
                      FieldType::Boolean}) {
    if (fieldTypeName(t) == name) return t;
  }
  return std::nullopt;
}

std::string_view expectedDescription(FieldType t) {
  switch (t) {
    case FieldType::Text: return "texto";
    case FieldType::Float: return "número";
    case FieldType::DateTime: return "data";
    case FieldType::Integer: return "número inteiro";
    case FieldType::Boolean: return "true ou false";
  }
  return {};
}

struct PacketField {
  std::string_view name;
  FieldType type;
  int size;
};

std::vector<PacketField> readFields(dom::array fields) {
  std::vector<PacketField> out;
  std::unordered_map<std::string, std::size_t> seen;
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
    if (f["type"].get_string().get(typeName)) fail("Pacote inválido: o campo " + shown(name) + " não tem tipo.");
    const std::optional<FieldType> type = typeFromName(typeName);
    if (!type) fail("Pacote inválido: tipo " + shown(typeName) + " desconhecido no campo " + shown(name) + ".");
    int size = 0;
    dom::element sizeElement;
    if (!f["size"].get(sizeElement) && !sizeElement.is_null()) {
      std::int64_t s;
      if (sizeElement.get_int64().get(s) || s < 0 || s > std::numeric_limits<int>::max())
        fail("Pacote inválido: tamanho inválido no campo " + shown(name) + ".");
      size = static_cast<int>(s);
    }
    if (!seen.emplace(text::fold(name), out.size()).second)
      fail("Pacote inválido: campo " + shown(name) + " repetido.");
    out.push_back({name, *type, size});
  }
  return out;
}

// One layout column fed by one packet column.
struct Target {
  std::size_t packetColumn;
  const FieldSpec* field;
  Column* column;
  std::size_t maxChars;
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
        const std::string_view s = cell.get_string().value_unsafe();
        if (!text::isValidUtf8(s)) failAt(t, "texto com UTF-8 inválido");
        t.column->setText(r, text::truncate(s, t.maxChars));  // "" is stored as null
        return;
      }
      case FieldType::Float:
        t.column->setNumber(r, number(t, cell, kind));
        return;
      case FieldType::DateTime: {
        if (kind != dom::element_type::STRING) failDate(t, "");
        const std::string_view s = cell.get_string().value_unsafe();
        const std::optional<double> d = date_time::fromIso(s);
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
      case dom::element_type::INT64: return static_cast<double>(cell.get_int64().value_unsafe());
      case dom::element_type::UINT64: return static_cast<double>(cell.get_uint64().value_unsafe());
      case dom::element_type::DOUBLE: {
        const double d = cell.get_double().value_unsafe();
        if (!std::isfinite(d)) outOfRange(t);
        return d;
      }
      default: wrongType(t);
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
      case dom::element_type::UINT64: outOfRange(t);
      case dom::element_type::DOUBLE: {
        const double d = cell.get_double().value_unsafe();
        if (std::trunc(d) != d) wrongType(t);
        // 2^63 is exact as a double; the int64 minimum is refused as above.
        if (!(d > -9223372036854775808.0 && d < 9223372036854775808.0)) outOfRange(t);
        return static_cast<std::int64_t>(d);
      }
      default: wrongType(t);
    }
  }

  std::string where(const Target& t) const {
    return " na linha " + std::to_string(row_) + " do pacote, campo " + shown(t.field->name);
  }
  [[noreturn]] void failAt(const Target& t, std::string_view what) const {
    fail("Valor inválido" + where(t) + ": " + std::string(what) + ".");
  }
  [[noreturn]] void wrongType(const Target& t) const {
    failAt(t, "esperado " + std::string(expectedDescription(t.field->type)));
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

  std::string finish() {
    buf_.resize(static_cast<std::size_t>(pos_ - buf_.data()));
    return std::move(buf_);
  }

 private:
  void grow(std::size_t n) {
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

inline bool hasZeroByte(std::uint64_t w) { return ((w - kOnes) & ~w & kHigh) != 0; }

// True when any of the 8 bytes is a quote, a backslash, a control character
// or non-ASCII (the last only sends the word down the byte-wise path).
inline bool needsEscapeCheck(std::uint64_t w) {
  return ((w - kOnes * 0x20) & ~w & kHigh) != 0 || (w & kHigh) != 0 || hasZeroByte(w ^ (kOnes * '"')) ||
         hasZeroByte(w ^ (kOnes * '\\'));
}

// Writes s as a JSON string. REQUIRES: valid UTF-8 (its bytes are kept as they are).
void writeString(Writer& w, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  w.need(s.size() * 6 + 2);  // worst case: every byte as \u00XX
  char*& o = w.cursor();
  *o++ = '"';
  const char* p = s.data();
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    if (i + 8 <= n) {
      std::uint64_t word;
      std::memcpy(&word, p + i, 8);
      if (!needsEscapeCheck(word)) {
        std::memcpy(o, p + i, 8);
        o += 8;
        i += 8;
        continue;
      }
    }
    const auto c = static_cast<unsigned char>(p[i++]);
    if (c == '"' || c == '\\') {
      *o++ = '\\';
      *o++ = static_cast<char>(c);
    } else if (c >= 0x20) {
      *o++ = static_cast<char>(c);
    } else {
      *o++ = '\\';
      switch (c) {
        case '\n': *o++ = 'n'; break;
        case '\r': *o++ = 'r'; break;
        case '\t': *o++ = 't'; break;
        case '\b': *o++ = 'b'; break;
        case '\f': *o++ = 'f'; break;
        default:
          std::memcpy(o, "u00", 3);
          o[3] = kHex[c >> 4];
          o[4] = kHex[c & 0xF];
          o += 5;
      }
    }
  }
  *o++ = '"';
}

void writeDouble(Writer& w, double d) {
  w.need(32);
  char*& o = w.cursor();
  const char* start = o;
  o = std::to_chars(o, o + 30, d).ptr;
  // Without a '.' or an exponent a reader takes the number for an integer:
  // -0 would lose its sign and large values would not fit.
  for (const char* c = start; c < o; ++c)
    if (*c == '.' || *c == 'e') return;
  std::memcpy(o, ".0", 2);
  o += 2;
}

void writeInteger(Writer& w, std::int64_t i) {
  w.need(24);
  char*& o = w.cursor();
  o = std::to_chars(o, o + 22, i).ptr;
}

}  // namespace

Table decodePacket(std::string_view json, std::vector<FieldSpec>& layout) {
  thread_local dom::parser parser;
  struct Release {
    ~Release() {
      if (parser.capacity() > kKeptParserCapacity) parser = dom::parser();
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

  const std::vector<PacketField> packetFields = readFields(fieldsArray);

  // An empty layout takes the packet's own fields, but only once everything is read.
  std::vector<FieldSpec> fromPacket;
  if (layout.empty()) {
    fromPacket.reserve(packetFields.size());
    for (const PacketField& f : packetFields) fromPacket.push_back({std::string(f.name), f.type, f.size, false});
  }
  const std::vector<FieldSpec>& fields = layout.empty() ? fromPacket : layout;

  std::vector<FieldType> types;
  types.reserve(fields.size());
  for (const FieldSpec& f : fields) types.push_back(f.type);
  Table table(types);
  const std::size_t rowCount = rowsArray.size();
  table.reserve(rowCount);

  std::vector<Target> targets;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldSpec& f = fields[i];
    if (f.calculated) continue;
    std::size_t j = 0;
    while (j < packetFields.size() && !text::equalsIgnoreCase(packetFields[j].name, f.name)) ++j;
    if (j == packetFields.size()) fail("Campo '" + f.name + "' ausente no pacote.");
    // The table is not shared, so these stay valid while rows are added.
    targets.push_back({j, &f, &table.mutableColumn(i), static_cast<std::size_t>(effectiveSize(f))});
  }
  std::sort(targets.begin(), targets.end(),
            [](const Target& a, const Target& b) { return a.packetColumn < b.packetColumn; });

  const std::size_t width = packetFields.size();
  std::size_t rowNumber = 0;
  for (dom::element rowElement : rowsArray) {
    ++rowNumber;
    dom::array row;
    if (rowElement.get_array().get(row)) fail("Linha " + std::to_string(rowNumber) + " do pacote não é uma lista.");
    const std::size_t cells = row.size();
    if (cells != width)
      fail("Linha " + std::to_string(rowNumber) + " do pacote tem " + std::to_string(cells) +
           " valores; esperados " + std::to_string(width) + ".");
    const RowId r = table.addRow();
    const RowReader reader(rowNumber);
    auto t = targets.begin();
    std::size_t j = 0;
    for (dom::element cell : row) {
      if (t == targets.end()) break;
      for (; t != targets.end() && t->packetColumn == j; ++t) reader.store(*t, cell, r);
      ++j;
    }
  }

  if (layout.empty()) layout = std::move(fromPacket);
  return table;
}

std::string encodePacket(const std::vector<FieldSpec>& layout, const Table& table,
                         std::span<const RowId> order) {
  if (table.columnCount() != layout.size())
    throw PacketError("Pacote não gerado: a tabela não corresponde à lista de campos.");
  const std::size_t physical = table.physicalRows();

  std::vector<std::size_t> data;  // layout indexes of the fields written
  for (std::size_t i = 0; i < layout.size(); ++i)
    if (!layout[i].calculated) data.push_back(i);

  Writer w(256 + layout.size() * 64 + order.size() * (2 + data.size() * 12));
  auto cellError = [&](std::size_t rowNumber, std::size_t field, std::string_view what) {
    return PacketError("Pacote não gerado: " + std::string(what) + " na linha " + std::to_string(rowNumber) +
                       ", campo " + shown(layout[field].name) + ".");
  };

  w.need(16);
  w.put(R"({"fields":[)");
  for (std::size_t k = 0; k < data.size(); ++k) {
    const FieldSpec& f = layout[data[k]];
    if (!text::isValidUtf8(f.name)) throw PacketError("Pacote não gerado: nome de campo com UTF-8 inválido.");
    w.need(16);
    w.put(k == 0 ? R"({"name":)" : R"(,{"name":)");
    writeString(w, f.name);
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

  std::size_t rowNumber = 0;
  for (const RowId r : order) {
    ++rowNumber;
    if (r >= physical) throw PacketError("Pacote não gerado: linha inexistente na ordem pedida.");
    w.need(2);
    w.put(rowNumber == 1 ? "[" : ",[");
    for (std::size_t k = 0; k < data.size(); ++k) {
      const std::size_t i = data[k];
      const Column& col = table.column(i);
      if (k != 0) {
        w.need(1);
        w.put(',');
      }
      switch (layout[i].type) {
        case FieldType::Text: {
          const std::uint32_t id = col.textId(r);
          if (id == 0) break;
          const std::string_view s = col.dictionary().at(id);
          if (!text::isValidUtf8(s)) throw cellError(rowNumber, i, "texto com UTF-8 inválido");
          writeString(w, s);
          continue;
        }
        case FieldType::Float: {
          const double d = col.number(r);
          if (Column::isNullNumber(d)) break;
          if (!std::isfinite(d)) throw cellError(rowNumber, i, "número não finito");
          writeDouble(w, d);
          continue;
        }
        case FieldType::DateTime: {
          const double d = col.number(r);
          if (Column::isNullNumber(d) || d == date_time::kNoDate) break;
          w.need(date_time::kIsoMaxLength + 2);
          char*& o = w.cursor();
          *o++ = '"';
          try {
            o = date_time::writeIso(d, o);
          } catch (const EngineError&) {
            throw cellError(rowNumber, i, "data fora do intervalo");
          }
          *o++ = '"';
          continue;
        }
        case FieldType::Integer: {
          const CellView c = col.cell(r);
          if (c.isNull()) break;
          writeInteger(w, c.integer);
          continue;
        }
        case FieldType::Boolean: {
          const CellView c = col.cell(r);
          if (c.isNull()) break;
          w.need(5);
          w.put(c.boolean ? std::string_view("true") : std::string_view("false"));
          continue;
        }
      }
      w.need(4);
      w.put("null");
    }
    w.need(1);
    w.put(']');
  }
  w.need(2);
  w.put("]}");
  return w.finish();
}

}  // namespace ped::engine
