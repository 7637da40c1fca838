#include "server/app/readiness.h"

#include "rpc/json_writer.h"
#include "server/storage/migrations.h"

namespace ped::server {

ReadinessAnswer Readiness::check() {
  try {
    std::optional<ConnectionPool::Lease> db;
    try {
      db.emplace(pool_.borrow(wait_));
      const int version = storage::currentVersion(**db);
      const int needed = storage::latestVersion();
      if (version < needed)
        return {false, "O esquema do banco de dados está na versão " + std::to_string(version) +
                           " e este servidor precisa da versão " + std::to_string(needed) +
                           ": a migração ainda não foi aplicada."};
      if (version > needed)
        return {false, "O esquema do banco de dados (versão " + std::to_string(version) +
                           ") é mais novo que este servidor (versão " + std::to_string(needed) + ")."};
      return {true, {}};
    } catch (const sql::SqlError& e) {
      switch (e.kind()) {
        case sql::SqlError::Kind::Busy:
          return {false, "Todas as conexões com o banco de dados estão ocupadas."};
        case sql::SqlError::Kind::Cancelled:
          return {false, "O servidor de aplicação está encerrando."};
        default:
          if (db) db->markBroken();
          return {false, "O banco de dados não responde."};
      }
    }
  } catch (...) {
    return {false, "O banco de dados não responde."};
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
