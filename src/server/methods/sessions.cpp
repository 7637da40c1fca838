#include "server/methods/sessions.h"

#include "server/auth/password.h"
#include "server/methods/service_error.h"

namespace ped::server {
namespace {

// What a session kept dies with it.
void removeSession(sql::Connection& db, const std::string& key) {
  for (const char* table : {"MOVESTAGIO", "REQUISICAO", "SESSAOPRODUTO", "SESSAO"})
    db.execute(std::string("DELETE FROM ") + table + " WHERE CDSESSAO = :K", {{"K", key}});
}

}  // namespace

std::string Sessions::login(sql::Connection& db, std::string_view operatorCode,
                            std::string_view password) const {
  const Credentials c = credentials(db, operatorCode);
  if (!passwordMatches(c, password)) throw ServiceError("Operador ou senha inválidos.");
  return openSession(db, c);
}

Sessions::Credentials Sessions::credentials(sql::Connection& db, std::string_view operatorCode) const {
  const sql::Result op = db.query(
      "SELECT CDOPERADOR, DSSENHAHASH, IDATIVO FROM OPERADOR WHERE CDOPERADOR = :OP", {{"OP", operatorCode}});
  if (op.rowCount() != 1 || op.text(0, "IDATIVO") != "S") return {};
  return {std::string(op.text(0, "CDOPERADOR")), std::string(op.text(0, "DSSENHAHASH"))};
}

bool Sessions::passwordMatches(const Credentials& c, std::string_view password) {
  if (c.operatorCode.empty()) {
    // A wrong operator costs as much as a wrong password.
    auth::verifyPassword(password, auth::decoyHash());
    return false;
  }
  return auth::verifyPassword(password, c.passwordHash);
}

std::string Sessions::openSession(sql::Connection& db, const Credentials& c) const {
  const std::string token = auth::newSessionToken();
  const std::string now = engine::date_time::toIso(clock_.now());
  db.execute(
      "INSERT INTO SESSAO (CDSESSAO, CDOPERADOR, DTCRIACAO, DTULTACESSO) VALUES (:K, :OP, :AGORA, :AGORA)",
      {{"K", auth::sessionKey(token)}, {"OP", c.operatorCode}, {"AGORA", now}});
  return token;
}

std::optional<Session> Sessions::resolve(sql::Connection& db, std::string_view token, bool touch) const {
  if (token.size() != 64) return std::nullopt;
  const std::string key = auth::sessionKey(token);
  const sql::Result s =
      db.query("SELECT CDOPERADOR, DTULTACESSO FROM SESSAO WHERE CDSESSAO = :K", {{"K", key}});
  if (s.rowCount() != 1) return std::nullopt;
  const double now = clock_.now();
  if (now - s.number(0, "DTULTACESSO") > idleLimit_) {
    removeSession(db, key);
    return std::nullopt;
  }
  if (touch) try {
      db.execute("UPDATE SESSAO SET DTULTACESSO = :AGORA WHERE CDSESSAO = :K",
                 {{"K", key}, {"AGORA", engine::date_time::toIso(now)}});
    } catch (const sql::SqlError& e) {
      // Writers queued up: the session is good, and is marked used at a
      // later call (minutes before its idle limit matters).
      if (e.kind() != sql::SqlError::Kind::WriteTurn && e.kind() != sql::SqlError::Kind::Busy) throw;
    }
  return Session{key, std::string(s.text(0, "CDOPERADOR"))};
}

void Sessions::logout(sql::Connection& db, std::string_view token) const {
  if (token.size() != 64) return;
  sql::Transaction tx(db, sql::TransactionMode::Write);
  removeSession(db, auth::sessionKey(token));
  tx.commit();
}

std::int64_t Sessions::countOpen(sql::Connection& db) const {
  const std::string since = engine::date_time::toIso(clock_.now() - idleLimit_);
  const sql::Result r =
      db.query("SELECT COUNT(*) AS N FROM SESSAO WHERE DTULTACESSO >= :DESDE", {{"DESDE", since}});
  return r.integer(0, "N");
}

}  // namespace ped::server
