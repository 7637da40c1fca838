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

std::string_view Params::text(std::size_t i) const { return at(i, ParamValue::Kind::Text, "texto").text; }

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
  return at(i, ParamValue::Kind::Object, "pacote (objeto JSON)").json;
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
