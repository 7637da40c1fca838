#include "engine/value.h"

namespace ped::engine {

std::string_view fieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::Text:
      return "string";
    case FieldType::Float:
      return "float";
    case FieldType::DateTime:
      return "datetime";
    case FieldType::Integer:
      return "integer";
    case FieldType::Boolean:
      return "boolean";
  }
  return {};
}

std::string_view fieldTypeDescription(FieldType type) {
  switch (type) {
    case FieldType::Text:
      return "texto";
    case FieldType::Float:
      return "número";
    case FieldType::DateTime:
      return "data";
    case FieldType::Integer:
      return "número inteiro";
    case FieldType::Boolean:
      return "lógico";
  }
  return {};
}

CellView CellView::of(const Value& v) {
  CellView c;
  if (v.isText()) {
    c.kind = Kind::Text;
    c.text = v.text();
  } else if (v.isFloat()) {
    c.kind = Kind::Number;
    c.number = v.number();
  } else if (v.isInteger()) {
    c.kind = Kind::Integer;
    c.integer = v.integer();
  } else if (v.isBoolean()) {
    c.kind = Kind::Boolean;
    c.boolean = v.boolean();
  }
  return c;
}

Value CellView::toValue() const {
  switch (kind) {
    case Kind::Null:
      break;
    case Kind::Text:
      return Value(std::string(text));
    case Kind::Number:
      return Value(number);
    case Kind::Integer:
      return Value(integer);
    case Kind::Boolean:
      return Value(boolean);
  }
  return Value();
}

}  // namespace ped::engine
