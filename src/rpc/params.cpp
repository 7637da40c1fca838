#include "rpc/params.h"

#include "rpc/errors.h"
#include "rpc/json_writer.h"

namespace ped::rpc {

void Params::wrongType(std::size_t i, std::string_view what) const {
  std::string message = "Parâmetro ";
  message += std::to_string(i + 1);
  message += " de ";
  message += method_;
  message += ": esperado ";
  message += what;
  message += '.';
  throw MethodError(message, error_code::kInvalidParams);
}

const ParamValue& Params::at(std::size_t i, ParamValue::Kind expected, std::string_view what) const {
  if (i >= values_.size() || values_[i].kind != expected) wrongType(i, what);
  return values_[i];
}

namespace {
// A NUL written in a JSON text as the escape \u0000 (a raw one is not JSON),
// not counting an escaped backslash followed by "u0000".
bool hasNulEscape(std::string_view json) {
  for (std::size_t at = json.find("\\u0000"); at != std::string_view::npos;
       at = json.find("\\u0000", at + 1)) {
    std::size_t backslashes = 0;
    while (at > backslashes && json[at - backslashes - 1] == '\\') ++backslashes;
    if (backslashes % 2 == 0) return true;
  }
  return false;
}
}  // namespace

// A text with U+0000 is refused here, for every method alike: PostgreSQL
// would cut it there and SQLite would keep it.
std::string_view Params::text(std::size_t i) const {
  const std::string_view t = at(i, ParamValue::Kind::Text, "texto").text;
  if (t.find('\0') != std::string_view::npos) wrongType(i, "texto sem caractere nulo (U+0000)");
  return t;
}

std::int64_t Params::integer(std::size_t i) const {
  return at(i, ParamValue::Kind::Integer, "número inteiro").integer;
}

double Params::number(std::size_t i) const {
  if (i < values_.size() && values_[i].kind == ParamValue::Kind::Integer)
    return static_cast<double>(values_[i].integer);
  return at(i, ParamValue::Kind::Float, "número").number;
}

bool Params::boolean(std::size_t i) const { return at(i, ParamValue::Kind::Boolean, "lógico").boolean; }

bool Params::isNull(std::size_t i) const {
  if (i >= values_.size()) wrongType(i, "um valor");
  return values_[i].kind == ParamValue::Kind::Null;
}

const std::string& Params::packet(std::size_t i) const {
  const std::string& json = at(i, ParamValue::Kind::Object, "pacote (objeto JSON)").json;
  if (hasNulEscape(json)) wrongType(i, "pacote sem caractere nulo (U+0000) nos textos");
  return json;
}

std::string Params::raw(std::size_t i) const {
  if (i >= values_.size()) wrongType(i, "um valor");
  const ParamValue& v = values_[i];
  JsonWriter w;
  switch (v.kind) {
    case ParamValue::Kind::Null:
      w.null();
      break;
    case ParamValue::Kind::Text:
      w.string(v.text);
      break;
    case ParamValue::Kind::Integer:
      w.integer(v.integer);
      break;
    case ParamValue::Kind::Float:
      w.number(v.number);
      break;
    case ParamValue::Kind::Boolean:
      w.boolean(v.boolean);
      break;
    case ParamValue::Kind::Object:
    case ParamValue::Kind::Array:
      return v.json;
  }
  return w.take();
}

}  // namespace ped::rpc
