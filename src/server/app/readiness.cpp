#include "server/app/readiness.h"

#include "rpc/json_writer.h"
#include "server/app/statement_bound.h"
#include "server/storage/migrations.h"

namespace ped::server {

ReadinessAnswer Readiness::check() {
  const ReadinessAnswer noAnswer{false, "O banco de dados não responde."};
  try {
    std::optional<ConnectionPool::Lease> db;
    try {
      db.emplace(pool_.borrow(wait_));
    } catch (const sql::SqlError& e) {
      if (e.kind() == sql::SqlError::Kind::Busy)
        return {false, "Todas as conexões com o banco de dados estão ocupadas."};
      if (e.kind() == sql::SqlError::Kind::Cancelled)
        return {false, "O servidor de aplicação está encerrando."};
      return noAnswer;
    }
    int version = 0;
    {
      StatementBound bound(**db, answer_);
      try {
        version = storage::currentVersion(**db);
      } catch (const sql::SqlError& e) {
        if (!bound.fired()) {
          db->markBroken();
          if (e.kind() == sql::SqlError::Kind::Cancelled)
            return {false, "O servidor de aplicação está encerrando."};
          return noAnswer;
        }
      }
      if (bound.fired()) {
        db->markBroken();
        return {false, "O banco de dados não respondeu em " +
                           std::to_string(std::chrono::ceil<std::chrono::seconds>(answer_).count()) + " s."};
      }
    }
    const int needed = storage::latestVersion();
    if (version < needed)
      return {false, "O esquema do banco de dados está na versão " + std::to_string(version) +
                         " e este servidor precisa da versão " + std::to_string(needed) +
                         ": a migração ainda não foi aplicada."};
    if (version > needed)
      return {false, "O esquema do banco de dados (versão " + std::to_string(version) +
                         ") é mais novo que este servidor (versão " + std::to_string(needed) + ")."};
    return {true, {}};
  } catch (...) {
    return noAnswer;
  }
}

int Readiness::answer(std::string& body) {
  const ReadinessAnswer a = check();
  rpc::JsonWriter w;
  w.beginObject().key("status").string(a.ready ? "ready" : "unavailable");
  if (!a.ready) w.key("reason").string(a.reason);
  w.endObject();
  body = w.take();
  return a.ready ? 200 : 503;
}

}  // namespace ped::server
