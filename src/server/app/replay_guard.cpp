#include "server/app/replay_guard.h"

#include "server/auth/password.h"

namespace ped::server {

std::string requestKey(std::string_view method, std::string_view argumentsJson) {
  std::string text(method);
  text += '\n';
  text += argumentsJson;
  return auth::sessionKey(text);
}

std::optional<std::string> storedAnswer(sql::Connection& db, const std::string& session, const std::string& key) {
  const sql::Result r = db.query("SELECT DSRESPOSTA FROM REQUISICAO WHERE CDSESSAO = :S AND DSCHAVE = :K",
                                 {{"S", session}, {"K", key}});
  if (r.rowCount() == 0) return std::nullopt;
  return std::string(r.text(0, "DSRESPOSTA"));
}

void storeAnswer(sql::Connection& db, const std::string& session, const std::string& key, const std::string& answer,
                 const engine::Clock& clock) {
  db.execute("DELETE FROM REQUISICAO WHERE CDSESSAO = :S AND DSCHAVE = :K", {{"S", session}, {"K", key}});
  db.execute("INSERT INTO REQUISICAO (CDSESSAO, DSCHAVE, DSRESPOSTA, DTCRIACAO) VALUES (:S, :K, :R, :AGORA)",
             {{"S", session}, {"K", key}, {"R", answer}, {"AGORA", engine::date_time::toIso(clock.now())}});
}

}  // namespace ped::server
