#pragma once
// Failures of the database layer. The message is Portuguese: a failed query
// can reach the operator through a look-up or a server call.

#include <stdexcept>
#include <string>
#include <string_view>

namespace ped::sql {

class SqlError : public std::runtime_error {
 public:
  enum class Kind {
    Other,
    Connection,  // cannot reach or open the database
    Busy,        // a lock was not granted in time (another writer holds it)
    WriteTurn,   // SQLite: this process's writers of the file did not let this one in within its wait
    Conflict,    // unique key violated, or serialization failure: retry or refuse
    Syntax,      // the statement itself is wrong (a programming error)
    Invalid,     // a value the database cannot take as given: a text with U+0000, longer than its column
    Cancelled,   // Connection::interrupt() was called
  };
  SqlError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// Both databases refuse a text with U+0000 alike (PostgreSQL would cut it
// there, SQLite keep it): throws SqlError(Invalid).
inline void refuseNul(std::string_view text) {
  if (text.find('\0') != std::string_view::npos)
    throw SqlError(SqlError::Kind::Invalid,
                   "Texto com caractere nulo (U+0000) não é aceito pelo banco de dados.");
}

// What every statement throws on a connection that was interrupted.
[[noreturn]] inline void throwCancelled() {
  throw SqlError(SqlError::Kind::Cancelled,
                 "A operação foi cancelada: o servidor de aplicação está sendo encerrado.");
}

}  // namespace ped::sql
