#include "server/app/services.h"

#include "rpc/errors.h"
#include "rpc/json_writer.h"
#include "server/app/replay_guard.h"
#include "server/auth/login_throttle.h"
#include "server/methods/service_error.h"

namespace ped::server {
namespace {

namespace date_time = engine::date_time;

std::string text(const rpc::Params& p, std::size_t i) { return std::string(p.text(i)); }

// A date argument: ISO text, or null for no date (0).
double date(const rpc::Params& p, std::size_t i, std::string_view method) {
  if (p.isNull(i)) return 0;
  const auto d = date_time::fromIso(p.text(i));
  if (!d)
    throw rpc::MethodError("Parâmetro " + std::to_string(i + 1) + " de " + std::string(method) +
                               ": data inválida (use AAAA-MM-DD).",
                           rpc::error_code::kInvalidParams);
  return *d;
}

}  // namespace

Services::Services(ConnectionPool& pool, const engine::Clock& clock, ServiceLimits limits)
    : pool_(pool),
      clock_(clock),
      hashPermits_(limits.loginHashesAtOnce, limits.loginHashesWaiting, limits.loginWait),
      throttle_(limits.loginThrottle),
      sessions_(clock),
      orders_(limits.maxOrderRows),
      movement_(clock),
      changes_(clock, movement_) {}

std::optional<rpc::Session> Services::resolve(std::string_view token) {
  constexpr double kTouchEvery = 60.0 / 86400;
  const double now = clock_.now();
  {
    std::lock_guard lock(knownMutex_);
    if (const auto it = known_.find(std::string(token)); it != known_.end() && now - it->second.touched < kTouchEvery)
      return it->second.session;
  }
  auto db = pool_.borrow();
  const auto s = sessions_.resolve(*db, token);
  std::lock_guard lock(knownMutex_);
  if (!s) {
    known_.erase(std::string(token));
    return std::nullopt;
  }
  rpc::Session session{s->key, s->operatorCode, std::string(token)};
  if (known_.size() > 100000) known_.clear();  // bounded: the sessions in use come back at their next call
  known_[session.token] = {session, now};
  return session;
}

std::string Services::login(const rpc::CallContext& call, std::string_view operatorCode,
                            std::string_view password) {
  const std::string_view peer = auth::peerAddress(call.request->peer);
  if (const auto wait = throttle_.lockedFor(operatorCode, peer); wait.count() > 0) {
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(wait).count();
    throw rpc::MethodError("Muitas tentativas de entrada sem sucesso. Aguarde " + std::to_string(seconds) +
                           (seconds == 1 ? " segundo" : " segundos") + " e tente novamente.");
  }
  try {
    // The database connection is held only around the reads and the
    // write, never during the hash.
    Sessions::Credentials credentials;
    {
      auto db = pool_.borrow();
      credentials = sessions_.credentials(*db, operatorCode);
    }
    bool matches;
    {
      const auto permit = hashPermits_.acquire();
      if (!permit)
        throw rpc::MethodError(
            "O servidor de aplicação está atendendo muitas entradas agora. Tente novamente em instantes.");
      matches = Sessions::passwordMatches(credentials, password);
    }
    if (!matches) {
      throttle_.failed(operatorCode, peer);
      throw rpc::MethodError("Operador ou senha inválidos.");
    }
    throttle_.succeeded(operatorCode, peer);
    auto db = pool_.borrow();
    const std::string token = sessions_.openSession(*db, credentials);
    rpc::JsonWriter w;
    w.beginObject();
    w.key("token");
    w.string(token);
    w.endObject();
    return w.take();
  } catch (const ServiceError& e) {
    throw rpc::MethodError(e.what());
  } catch (const sql::SqlError& e) {
    if (e.kind() == sql::SqlError::Kind::Cancelled) throw rpc::MethodError(e.what());
    throw rpc::MethodError("O banco de dados está indisponível. Tente novamente em instantes.");
  }
}

rpc::MethodHandler Services::bind(Body body, Kind kind) {
  return [this, body = std::move(body), kind](const rpc::CallContext& call, const rpc::Params& p) {
    std::optional<ConnectionPool::Lease> db;
    try {
      db.emplace(pool_.borrow());
      const Session session{call.session->id, call.session->operatorCode};
      if (kind == Kind::Read) {
        sql::Transaction tx(**db, sql::TransactionMode::Read);
        std::string answer = body(**db, session, p);
        tx.commit();
        return answer;
      }
      if (kind == Kind::Direct) return body(**db, session, p);
      std::string arguments;
      for (std::size_t i = 0; i < p.size(); ++i) arguments += p.raw(i) + '\n';
      const std::string key = requestKey(call.method, arguments);
      if (auto answer = storedAnswer(**db, session.key, key)) return *answer;
      std::string answer = body(**db, session, p);
      storeAnswer(**db, session.key, key, answer, clock_);
      return answer;
    } catch (const ServiceError& e) {
      throw rpc::MethodError(e.what());
    } catch (const sql::SqlError& e) {
      if (e.kind() == sql::SqlError::Kind::Cancelled) throw rpc::MethodError(e.what());
      if (e.kind() == sql::SqlError::Kind::Connection) {
        if (db) db->markBroken();
        throw rpc::MethodError("O banco de dados está indisponível. Tente novamente em instantes.");
      }
      if (e.kind() == sql::SqlError::Kind::Busy)
        throw rpc::MethodError(
            "O banco de dados está ocupado ou a consulta demorou demais. Tente novamente ou restrinja o filtro.");
      throw;  // a fault of the server: logged, and reported as an internal error
    }
  };
}

void Services::install(rpc::Dispatcher& d) {
  d.add(
      "Login", 2,
      [this](const rpc::CallContext& call, const rpc::Params& p) {
        return login(call, p.text(0), p.text(1));
      },
      rpc::Access::Public);

  d.add("GetParam", 2, bind([this](sql::Connection& db, const Session& s, const rpc::Params& p) {
          return orders_.GetParam(db, s, p.text(0), p.text(1));
        }, Kind::Read));
  d.add("GetPedidos", 20, bind([this](sql::Connection& db, const Session& s, const rpc::Params& p) {
          OrderFilter f;
          f.branch = text(p, 0);
          f.orderStatuses = text(p, 1);
          f.orderList = text(p, 2);
          f.orderFrom = text(p, 3);
          f.orderTo = text(p, 4);
          f.allOrders = text(p, 5);
          f.itemStatuses = text(p, 6);
          f.clientList = text(p, 7);
          f.allClients = text(p, 8);
          f.productList = text(p, 9);
          f.allProducts = text(p, 10);
          f.sellerList = text(p, 11);
          f.allSellers = text(p, 12);
          f.issuedFrom = date(p, 13, "GetPedidos");
          f.issuedTo = date(p, 14, "GetPedidos");
          f.allIssued = text(p, 15);
          f.deliveryFrom = date(p, 16, "GetPedidos");
          f.deliveryTo = date(p, 17, "GetPedidos");
          f.allDeliveries = text(p, 18);
          f.priorities = text(p, 19);
          return orders_.GetPedidos(db, s, f);
        }, Kind::Direct));
  d.add("GetItem", 2, bind([this](sql::Connection& db, const Session& s, const rpc::Params& p) {
          return orders_.GetItem(db, s, p.text(0), p.text(1));
        }, Kind::Direct));
  d.add("GetItSemFiltro", 2, bind([this](sql::Connection& db, const Session& s, const rpc::Params& p) {
          return orders_.GetItSemFiltro(db, s, p.text(0), p.text(1));
        }, Kind::Direct));
  d.add("GetNrPedido", 3, bind([this](sql::Connection& db, const Session& s, const rpc::Params& p) {
          return orders_.GetNrPedido(db, s, p.text(0), p.text(1), p.text(2));
        }, Kind::Read));
  d.add("GetEvolEstq", 1, bind([this](sql::Connection& db, const Session& s, const rpc::Params& p) {
          return stock_.GetEvolEstq(db, s, p.packet(0));
        }, Kind::Read));
  d.add("GetPosEstq", 9, bind([this](sql::Connection& db, const Session& s, const rpc::Params& p) {
          return stock_.GetPosEstq(db, s, p.text(0), p.text(1), p.text(2), p.text(3), p.text(4), p.text(5),
                                   p.text(6), p.text(7), p.text(8));
        }, Kind::Read));
  d.add("AtualizaEstoque", 5, bind([this](sql::Connection& db, const Session& s, const rpc::Params& p) {
          return movement_.AtualizaEstoque(db, s, p.text(0), p.text(1), p.text(2), p.packet(3), p.text(4));
        }, Kind::Direct));
  d.add("SetLiquidaPed", 3,
        bind([this](sql::Connection& db, const Session& s,
                    const rpc::Params& p) { return changes_.SetLiquidaPed(db, s, p.packet(0), p.text(1), p.text(2)); },
             Kind::Replayable));
  d.add("SetLiquidaItem", 3,
        bind([this](sql::Connection& db, const Session& s,
                    const rpc::Params& p) { return changes_.SetLiquidaItem(db, s, p.text(0), p.packet(1), p.text(2)); },
             Kind::Replayable));
  d.add("SetDesfazLiq", 3,
        bind([this](sql::Connection& db, const Session& s,
                    const rpc::Params& p) { return changes_.SetDesfazLiq(db, s, p.packet(0), p.text(1), p.text(2)); },
             Kind::Replayable));
}

}  // namespace ped::server
