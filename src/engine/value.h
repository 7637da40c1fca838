#pragma once
// Field types and the values a field can hold.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace ped::engine {

enum class FieldType : std::uint8_t { Text, Float, DateTime, Integer, Boolean };

// Name used for the type on the wire ("string", "float", "datetime",
// "integer", "boolean").
std::string_view fieldTypeName(FieldType type);
// How a message names the type for the operator: "texto", "número", "data",
// "número inteiro", "lógico".
std::string_view fieldTypeDescription(FieldType type);

// An owning value. Null is a value of its own; a date-time travels as Float
// (days since 30/12/1899) and takes its meaning from the field.
class Value {
 public:
  Value() = default;
  Value(std::nullptr_t) {}
  Value(std::string text) : v_(std::move(text)) {}
  Value(std::string_view text) : v_(std::string(text)) {}
  Value(const char* text) : v_(std::string(text)) {}
  Value(double number) : v_(number) {}
  Value(int number) : v_(static_cast<std::int64_t>(number)) {}
  Value(std::int64_t number) : v_(number) {}
  Value(bool flag) : v_(flag) {}

  bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
  bool isText() const { return std::holds_alternative<std::string>(v_); }
  bool isFloat() const { return std::holds_alternative<double>(v_); }
  bool isInteger() const { return std::holds_alternative<std::int64_t>(v_); }
  bool isBoolean() const { return std::holds_alternative<bool>(v_); }

  // Accessors for the held alternative. REQUIRES: the value holds it.
  const std::string& text() const { return std::get<std::string>(v_); }
  double number() const { return std::get<double>(v_); }
  std::int64_t integer() const { return std::get<std::int64_t>(v_); }
  bool boolean() const { return std::get<bool>(v_); }

  // Makes the value this text, reusing the storage it already has.
  void assignText(std::string_view t) {
    if (auto* s = std::get_if<std::string>(&v_))
      s->assign(t);
    else
      v_.emplace<std::string>(t);
  }
  void assignNumber(double d) { v_ = d; }
  void reset() { v_ = std::monostate{}; }

  friend bool operator==(const Value&, const Value&) = default;

 private:
  std::variant<std::monostate, std::string, double, std::int64_t, bool> v_;
};

// A non-owning view of one stored cell, valid until the data set changes.
struct CellView {
  enum class Kind : std::uint8_t { Null, Text, Number, Integer, Boolean };
  Kind kind = Kind::Null;
  std::string_view text;
  double number = 0;
  std::int64_t integer = 0;
  bool boolean = false;

  bool isNull() const { return kind == Kind::Null; }
  Value toValue() const;
  // A view of `v`, valid while `v` lives unchanged.
  static CellView of(const Value& v);
};

}  // namespace ped::engine
