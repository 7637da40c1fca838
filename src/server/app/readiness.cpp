#include "server/app/readiness.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "rpc/json_writer.h"
#include "server/storage/migrations.h"

namespace ped::server {
namespace {

// Cancels the statement running on `db` once `bound` has passed; the
// connection then refuses every later statement, so whoever fired it must
// drop it.
class StatementBound {
 public:
  StatementBound(sql::Connection& db, std::chrono::milliseconds bound)
      : watcher_([this, &db, bound] {
          std::unique_lock lock(mutex_);
          if (!ended_.wait_for(lock, bound, [this] { return done_; })) {
            fired_ = true;
            db.interrupt();
          }
        }) {}
  ~StatementBound() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    ended_.notify_one();
    watcher_.join();
  }
  bool fired() {
    std::lock_guard lock(mutex_);
    return fired_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ended_;
  bool done_ = false;
  bool fired_ = false;
  std::thread watcher_;  // last: starts once the rest is there
};

}  // namespace

ReadinessAnswer Readiness::check() {
  try {
    std::optional<ConnectionPool::Lease> db;
    try {
      db.emplace(pool_.borrow(wait_));
      int version = 0;
      {
        StatementBound bound(**db, answer_);
        try {
          version = storage::currentVersion(**db);
        } catch (const sql::SqlError&) {
          if (!bound.fired()) throw;
        }
        if (bound.fired()) {
          db->markBroken();
          return {false, "O banco de dados não respondeu em " +
                             std::to_string(std::chrono::ceil<std::chrono::seconds>(answer_).count()) +
                             " s."};
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
