#include "rpc/json_writer.h"

#include <simdjson.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace ped::rpc {
namespace {

constexpr char kHex[] = "0123456789abcdef";

bool needsEscape(unsigned char c) { return c < 0x20 || c == '"' || c == '\\'; }

}  // namespace

bool appendJsonString(std::string& out, std::string_view text) {
  if (!simdjson::validate_utf8(text.data(), text.size())) return false;
  out.reserve(out.size() + text.size() + 2);
  out.push_back('"');
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!needsEscape(c)) continue;
    out.append(text.data() + runStart, i - runStart);
    runStart = i + 1;
    switch (c) {
      case '"':
        out.append("\\\"");
        break;
      case '\\':
        out.append("\\\\");
        break;
      case '\b':
        out.append("\\b");
        break;
      case '\f':
        out.append("\\f");
        break;
      case '\n':
        out.append("\\n");
        break;
      case '\r':
        out.append("\\r");
        break;
      case '\t':
        out.append("\\t");
        break;
      default: {
        const char esc[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
        out.append(esc, sizeof esc);
      }
    }
  }
  out.append(text.data() + runStart, text.size() - runStart);
  out.push_back('"');
  return true;
}

JsonWriter& JsonWriter::beginObject() {
  separate();
  out_.push_back('{');
  needComma_ = false;
  return *this;
}

JsonWriter& JsonWriter::endObject() {
  out_.push_back('}');
  needComma_ = true;
  return *this;
}

JsonWriter& JsonWriter::beginArray() {
  separate();
  out_.push_back('[');
  needComma_ = false;
  return *this;
}

JsonWriter& JsonWriter::endArray() {
  out_.push_back(']');
  needComma_ = true;
  return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  separate();
  if (!appendJsonString(out_, name)) throw JsonWriteError("Nome de campo JSON com UTF-8 inválido.");
  out_.push_back(':');
  needComma_ = false;
  return *this;
}

JsonWriter& JsonWriter::string(std::string_view text) {
  const std::size_t before = out_.size();
  separate();
  if (!appendJsonString(out_, text)) {
    out_.resize(before);
    throw JsonWriteError("Texto com UTF-8 inválido.");
  }
  return *this;
}

JsonWriter& JsonWriter::integer(std::int64_t value) {
  separate();
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  out_.append(buf, r.ptr);
  return *this;
}

JsonWriter& JsonWriter::number(double value) {
  if (!std::isfinite(value)) throw JsonWriteError("Número inválido (infinito ou indefinido).");
  separate();
  char buf[40];
  char* end = std::to_chars(buf, buf + 32, value).ptr;
  // A whole number past 64 bits needs its ".0": a reader would take it for an
  // integer too large to hold (the screen's reader refuses the whole answer).
  if (std::fabs(value) >= 9.2e18 &&
      std::string_view(buf, end).find_first_of(".e") == std::string_view::npos) {
    std::memcpy(end, ".0", 2);
    end += 2;
  }
  out_.append(buf, end);
  return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
  separate();
  out_.append(value ? "true" : "false");
  return *this;
}

JsonWriter& JsonWriter::null() {
  separate();
  out_.append("null");
  return *this;
}

JsonWriter& JsonWriter::raw(std::string_view json) {
  separate();
  out_.append(json);
  return *this;
}

}  // namespace ped::rpc
