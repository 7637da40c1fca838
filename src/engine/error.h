#pragma once
// Errors raised by the data-set engine. Their messages are Portuguese because
// they can reach the operator (a malformed packet from the server, a filter
// text that does not parse).

#include <stdexcept>
#include <string>

namespace ped::engine {

class EngineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A filter text that does not parse or names an unknown field. `position` is
// the 1-based character offset where the problem was found.
class FilterError : public EngineError {
 public:
  FilterError(const std::string& message, std::size_t position) : EngineError(message), position_(position) {}
  std::size_t position() const { return position_; }

 private:
  std::size_t position_;
};

// A packet that cannot be read into a data set. The target is left as it was.
class PacketError : public EngineError {
 public:
  using EngineError::EngineError;
};

}  // namespace ped::engine
