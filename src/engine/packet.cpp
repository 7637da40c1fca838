#include "engine/packet.h"

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
#include "engine/packet_internal.h"
#include "engine/text.h"

namespace ped::engine {
namespace {

using packet_internal::kOnes;
using packet_internal::shown;
using packet_internal::specialBytes;

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
