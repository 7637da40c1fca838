#pragma once
// The positional parameters of one call, with checked access by type. A
// parameter of the wrong type (or a position past the end) throws
// MethodError with code kInvalidParams and a Portuguese message naming the
// position (counted from 1) and the method.
//
// Texts are views into the request being handled: valid until the handler
// returns. Copy what must outlive the call.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ped::rpc {

// One parameter as parsed from the request.
struct ParamValue {
  enum class Kind : std::uint8_t { Null, Text, Integer, Float, Boolean, Object, Array };
  Kind kind = Kind::Null;
  std::string_view text;  // Kind::Text
  std::int64_t integer = 0;
  double number = 0;  // Kind::Float
  bool boolean = false;
  std::string json;  // Kind::Object and Kind::Array: the value, minified
};

class Params {
 public:
  Params(std::string_view method, std::vector<ParamValue> values)
      : method_(method), values_(std::move(values)) {}

  std::size_t size() const { return values_.size(); }

  // Accessors by position, 0-based. REQUIRES nothing: a missing position or
  // another type throws (see above).
  std::string_view text(std::size_t i) const;
  // A JSON integral number (no fraction, no exponent) that fits 64 bits;
  // neither a float nor a text of digits is accepted.
  std::int64_t integer(std::size_t i) const;
  // Any JSON number.
  double number(std::size_t i) const;
  bool boolean(std::size_t i) const;
  bool isNull(std::size_t i) const;
  // A JSON object (a packet, for engine::decodePacket), minified.
  const std::string& packet(std::size_t i) const;
  // Any value, as JSON text.
  std::string raw(std::size_t i) const;

 private:
  const ParamValue& at(std::size_t i, ParamValue::Kind expected, std::string_view what) const;
  [[noreturn]] void wrongType(std::size_t i, std::string_view what) const;

  std::string_view method_;
  std::vector<ParamValue> values_;
};

}  // namespace ped::rpc
