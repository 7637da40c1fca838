#include "settlement_floor.h"

#include <sqlite3.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace ped::bench {
namespace {

// The statements of bench/settlement_floor.sql, for SQLite.
constexpr const char* kStatements[] = {
    "INSERT INTO REQUISICAO (CDSESSAO, DSCHAVE, DSASSINATURA, DSRESPOSTA, DTCRIACAO)"
    " VALUES ('floor', ?1 || ?2, 'assinatura', '[null,null]', datetime('now'))",
    "INSERT INTO HISTLIQMAN (CDFILIAL, NRPEDIDO, NRITEMPED, IDOPERACAO, CDOPERADOR, DTOPERACAO, CDJUSTEXCHIS,"
    " IDSITANTERIOR, IDSITNOVA, QTITEMPED, CDSESSAO)"
    " SELECT CDFILIAL, NRPEDIDO, NRITEMPED, 'L', 'GERENTE', datetime('now'), '0001', IDSITITEMPED, '6',"
    " QTITEMPED, 'floor' FROM ITEMPEDIDO WHERE CDFILIAL = ?1 AND NRPEDIDO = ?2"
    " AND IDSITITEMPED IN ('1', '2', '3', '7')",
    "UPDATE ITEMPEDIDO SET IDSITITEMPED = '6', CDOPERADOR = 'GERENTE', CDJUSTEXCHIS = '0001'"
    " WHERE CDFILIAL = ?1 AND NRPEDIDO = ?2 AND IDSITITEMPED IN ('1', '2', '3', '7')",
    "DELETE FROM RESERVAITEM WHERE CDFILIAL = ?1 AND NRPEDIDO = ?2",
    "UPDATE PEDIDO SET IDSITPEDIDO = '5', NRVERSAO = NRVERSAO + 1 WHERE CDFILIAL = ?1 AND NRPEDIDO = ?2",
};

struct Client {
  sqlite3* db = nullptr;
  std::vector<sqlite3_stmt*> statements;
  sqlite3_stmt *begin = nullptr, *commit = nullptr;

  explicit Client(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db));
    sqlite3_busy_timeout(db, 30000);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;", nullptr,
                 nullptr, nullptr);
    for (const char* sql : kStatements) statements.push_back(prepare(sql));
    begin = prepare("BEGIN IMMEDIATE");
    commit = prepare("COMMIT");
  }
  ~Client() {
    for (sqlite3_stmt* s : statements) sqlite3_finalize(s);
    sqlite3_finalize(begin);
    sqlite3_finalize(commit);
    sqlite3_close_v2(db);
  }
  sqlite3_stmt* prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db));
    return s;
  }
  void run(sqlite3_stmt* s) {
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
  }
  void settle(const std::string& branch, const std::string& order) {
    run(begin);
    for (sqlite3_stmt* s : statements) {
      sqlite3_bind_text(s, 1, branch.c_str(), static_cast<int>(branch.size()), SQLITE_STATIC);
      sqlite3_bind_text(s, 2, order.c_str(), static_cast<int>(order.size()), SQLITE_STATIC);
      run(s);
    }
    run(commit);
  }
};

}  // namespace

double sqliteSettlementFloor(const std::string& path,
                             const std::vector<std::pair<std::string, std::string>>& orders, int clients,
                             std::chrono::milliseconds duration) {
  std::vector<std::unique_ptr<Client>> connections;
  for (int i = 0; i < clients; ++i) connections.push_back(std::make_unique<Client>(path));
  std::mutex writer;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + duration;
  std::vector<std::thread> threads;
  for (auto& c : connections)
    threads.emplace_back([&, client = c.get()] {
      while (!stop && std::chrono::steady_clock::now() < end) {
        const std::size_t k = next++;
        if (k >= orders.size()) break;
        std::lock_guard lock(writer);
        client->settle(orders[k].first, orders[k].second);
      }
      stop = true;  // the first to run out ends the run: no tail of fewer clients
    });
  for (auto& t : threads) t.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return static_cast<double>(std::min(next.load(), orders.size())) / seconds;
}

}  // namespace ped::bench
