#pragma once
// One positional argument of a remote call: text, integer, float, boolean,
// null, or a packet already encoded as JSON.

#include <cstdint>
#include <string>
#include <string_view>

namespace ped::netclient {

class Arg {
 public:
  enum class Kind : std::uint8_t { Null, Text, Integer, Float, Boolean, Packet };

  Arg(std::nullptr_t) {}
  Arg(std::string text) : kind_(Kind::Text), text_(std::move(text)) {}
  Arg(std::string_view text) : kind_(Kind::Text), text_(text) {}
  Arg(const char* text) : kind_(Kind::Text), text_(text) {}
  Arg(int value) : kind_(Kind::Integer), integer_(value) {}
  Arg(long value) : kind_(Kind::Integer), integer_(value) {}
  Arg(long long value) : kind_(Kind::Integer), integer_(value) {}
  Arg(double value) : kind_(Kind::Float), number_(value) {}
  Arg(bool value) : kind_(Kind::Boolean), boolean_(value) {}

  // A packet (engine::encodePacket's output, or any JSON value), sent as is.
  // REQUIRES: `json` is valid JSON; it is not checked here.
  static Arg packet(std::string json) {
    Arg a(nullptr);
    a.kind_ = Kind::Packet;
    a.text_ = std::move(json);
    return a;
  }

  Kind kind() const { return kind_; }
  // Text, or the packet's JSON. REQUIRES: kind() is Text or Packet.
  const std::string& text() const { return text_; }
  std::int64_t integer() const { return integer_; }
  double number() const { return number_; }
  bool boolean() const { return boolean_; }

 private:
  Kind kind_ = Kind::Null;
  std::string text_;
  std::int64_t integer_ = 0;
  double number_ = 0;
  bool boolean_ = false;
};

}  // namespace ped::netclient
