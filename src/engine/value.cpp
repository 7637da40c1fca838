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
