#pragma once
// Log-in and sessions. A session is a row of SESSAO keyed by a hash of its
// token, so any server instance on the same database serves it; it ends
// after `idleLimit` without calls.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/date_time.h"
#include "sql/connection.h"

namespace ped::server {

struct Session {
  std::string key;           // SESSAO.CDSESSAO
  std::string operatorCode;  // who logged in
};

class Sessions {
 public:
  // `idleLimitDays`: how long a session lives without calls (fraction of a day).
  Sessions(const engine::Clock& clock, double idleLimitDays = 8.0 / 24.0)
      : clock_(clock), idleLimit_(idleLimitDays) {}

  // The token of a new session. Throws ServiceError "Operador ou senha
  // inválidos." for an unknown or inactive operator or a wrong password (the
  // same text for all three, so it tells nothing to a guesser). Holds `db`
  // while it hashes: the server uses the three steps below instead.
  std::string login(sql::Connection& db, std::string_view operatorCode, std::string_view password) const;

  // What log-in needs from the database, read before the (slow) hash.
  struct Credentials {
    std::string operatorCode;  // as stored
    std::string passwordHash;  // empty for an unknown or inactive operator
  };
  Credentials credentials(sql::Connection& db, std::string_view operatorCode) const;
  // True when `password` is right. Costs one full hash whether or not the
  // operator exists, so the time of the answer tells nothing either.
  static bool passwordMatches(const Credentials& c, std::string_view password);
  // The token of a new session. REQUIRES: passwordMatches(c, ...).
  std::string openSession(sql::Connection& db, const Credentials& c) const;

  // The session of `token`, touching its last access when `touch`; nullopt
  // when unknown or idle too long (an expired row is removed).
  std::optional<Session> resolve(sql::Connection& db, std::string_view token, bool touch = true) const;

  // Ends the session of `token` with what it kept, in one write transaction.
  // An unknown or already ended session is no failure: the token is dead
  // either way, so a repeated log-out answers as the first did.
  void logout(sql::Connection& db, std::string_view token) const;

  // Sessions used within the idle limit, on every server instance.
  std::int64_t countOpen(sql::Connection& db) const;

 private:
  const engine::Clock& clock_;
  double idleLimit_;
};

}  // namespace ped::server
