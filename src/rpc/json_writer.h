#pragma once
// A small JSON writer: appends tokens to one string, placing the commas
// itself. Used for every JSON text the wire produces by hand (responses,
// requests, log lines); packets come already encoded and go in with raw().

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ped::rpc {

// Thrown when a value has no JSON form: a text that is not valid UTF-8, a
// number that is NaN or infinite. what() is Portuguese, for the operator.
class JsonWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Appends `text` as a JSON string literal (quotes included): `"` and `\`
// escaped, control characters as \n, \t... or \u00XX. Returns false, leaving
// `out` as it was, when `text` is not valid UTF-8.
bool appendJsonString(std::string& out, std::string_view text);

// Writes one JSON value. Callers pair begin/end themselves and call key()
// before each member of an object; the writer does not check the nesting.
class JsonWriter {
 public:
  JsonWriter() = default;
  explicit JsonWriter(std::size_t reserve) { out_.reserve(reserve); }

  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  // REQUIRES: inside an object, before that member's value.
  // Throws JsonWriteError for invalid UTF-8.
  JsonWriter& key(std::string_view name);

  // Throws JsonWriteError for invalid UTF-8.
  JsonWriter& string(std::string_view text);
  JsonWriter& integer(std::int64_t value);
  // Shortest text that reads back to the same double. Throws JsonWriteError
  // for NaN and infinities, which JSON cannot carry.
  JsonWriter& number(double value);
  JsonWriter& boolean(bool value);
  JsonWriter& null();
  // REQUIRES: `json` is one complete, valid JSON value (it is not checked).
  JsonWriter& raw(std::string_view json);

  const std::string& str() const { return out_; }
  // Hands over the text; the writer is left empty.
  std::string take() { return std::move(out_); }

 private:
  void separate() {
    if (needComma_) out_.push_back(',');
    needComma_ = true;
  }

  std::string out_;
  bool needComma_ = false;
};

}  // namespace ped::rpc
