#include "server/app/services.h"

#include "domain/order_query_arguments.h"
#include "rpc/errors.h"
#include "rpc/json_writer.h"
#include "server/app/statement_bound.h"
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
      changes_(clock, movement_, limits.maxOrderRows),
      requests_(clock) {}

std::optional<rpc::Session> Services::resolve(std::string_view token) {
  constexpr double kCheckEvery = 5.0 / 86400;
  constexpr double kTouchEvery = 60.0 / 86400;
  const double now = clock_.now();
  bool touch = true;
  std::uint64_t logoutsBefore = 0;
  {
    std::lock_guard lock(knownMutex_);
    logoutsBefore = logouts_;
    if (const auto it = known_.find(std::string(token)); it != known_.end()) {
      if (now - it->second.checked < kCheckEvery) return it->second.session;
      touch = now - it->second.touched >= kTouchEvery;
    }
  }
  auto db = pool_.borrow();
  const auto s = sessions_.resolve(*db, token, touch);
  std::lock_guard lock(knownMutex_);
  if (!s) {
    known_.erase(std::string(token));
    return std::nullopt;
  }
  rpc::Session session{s->key, s->operatorCode, std::string(token)};
  // A log-out that ended while the database was read may have ended this
  // very session: it is good for this call, but not remembered.
  if (logouts_ != logoutsBefore) return session;
  if (known_.size() > 100000) known_.clear();  // bounded: the sessions in use come back at their next call
  Known& known = known_[session.token];
  known = {session, now, touch ? now : known.touched};
  return session;
}

std::string Services::login(const rpc::CallContext& call, std::string_view operatorCode,
                            std::string_view password) {
  // Whoever tries, the log names him; no real code is longer.
  *call.operatorForLog = operatorCode.substr(0, 12);
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

std::string Services::logout(const rpc::CallContext& call) {
  const auto& token = call.request->bearerToken;
  if (!token || token->empty())
    throw rpc::MethodError("Logout precisa do token da sessão a encerrar (Authorization: Bearer).",
                           rpc::error_code::kNotAuthenticated);
  try {
    if (const auto ending = resolve(*token)) *call.operatorForLog = ending->operatorCode;
  } catch (const std::exception&) {
    // The log line goes without a name; the log-out below reports its own failure.
  }
  std::string answer = onConnection([&](ConnectionPool::Lease& db) {
    sessions_.logout(*db, *token);
    return std::string("null");
  });
  // Only once the database forgot it, so a failed log-out leaves the
  // session whole on both sides.
  std::lock_guard lock(knownMutex_);
  known_.erase(*token);
  ++logouts_;
  return answer;
}

std::int64_t Services::openSessions(std::chrono::milliseconds wait, std::chrono::milliseconds bound) {
  auto db = pool_.borrow(wait);
  StatementBound watch(*db, bound);
  try {
    const std::int64_t open = sessions_.countOpen(*db);
    if (watch.fired()) db.markBroken();
    return open;
  } catch (const sql::SqlError&) {
    if (watch.fired()) db.markBroken();
    throw;
  }
}

std::string Services::onConnection(const std::function<std::string(ConnectionPool::Lease&)>& work) {
  std::optional<ConnectionPool::Lease> db;
  try {
    db.emplace(pool_.borrow());
    return work(*db);
  } catch (const ServiceError& e) {
    throw rpc::MethodError(e.what());
  } catch (const sql::SqlError& e) {
    if (e.kind() == sql::SqlError::Kind::Cancelled) throw rpc::MethodError(e.what());
    if (e.kind() == sql::SqlError::Kind::Connection) {
      if (db) db->markBroken();
      throw rpc::MethodError("O banco de dados está indisponível. Tente novamente em instantes.");
    }
    if (e.kind() == sql::SqlError::Kind::Invalid)  // the database's own words may be English
      throw rpc::MethodError(
          std::string_view(e.what()).starts_with("Texto com caractere nulo")
              ? e.what()
              : "Um texto informado é longo demais para o seu campo ou inválido para o banco de "
                "dados. Nada foi alterado.",
          rpc::error_code::kInvalidParams);
    if (e.kind() == sql::SqlError::Kind::WriteTurn) throw rpc::MethodError(e.what());
    if (e.kind() == sql::SqlError::Kind::Busy)
      throw rpc::MethodError(
          "O banco de dados está ocupado ou a consulta demorou demais. Tente novamente ou restrinja o "
          "filtro.");
    throw;  // a fault of the server: logged, and reported as an internal error
  }
}

rpc::MethodHandler Services::bind(Body body, Kind kind) {
  return [this, body = std::move(body), kind](const rpc::CallContext& call, const rpc::Params& p) {
    return onConnection([&](ConnectionPool::Lease& db) {
      const Session session{call.session->id, call.session->operatorCode};
      if (kind == Kind::Direct) return body(*db, session, p);
      sql::Transaction tx(*db, sql::TransactionMode::Read);
      std::string answer = body(*db, session, p);
      tx.commit();
      return answer;
    });
  };
}

rpc::MethodHandler Services::bindChange(ChangeBody change, AnswerBody answer) {
  return [this, change = std::move(change), answer = std::move(answer)](const rpc::CallContext& call,
                                                                        const rpc::Params& p) {
    return onConnection([&](ConnectionPool::Lease& db) { return runChange(*db, call, p, change, answer); });
  };
}

std::string Services::runChange(sql::Connection& db, const rpc::CallContext& call, const rpc::Params& p,
                                const ChangeBody& change, const AnswerBody& answer) {
  const Session session{call.session->id, call.session->operatorCode};
  std::optional<RequestLog::Request> request;
  if (call.request->idempotencyKey)
    request = RequestLog::request(session.key, *call.request->idempotencyKey, call.method, p);
  std::string kept;
  for (int attempt = 0;; ++attempt) {
    sql::Transaction tx(db, sql::TransactionMode::Write);
    if (request && !requests_.claim(db, *request)) {
      // The same key's call committed first (or runs alongside and just
      // did, on PostgreSQL): its answer.
      if (auto first = requests_.answer(db, *request)) {
        kept = std::move(*first);
        break;
      }
      if (attempt == 0) continue;  // expired in between: a new key again
      throw ServiceError("Chave de requisição (Idempotency-Key) em uso. Nada foi alterado.");
    }
    const ChangeAnswer changed = change(db, session, p);
    kept = changed.json;
    // A call that changed nothing is not kept: sent again, it runs again.
    if (changed.ordersChanged == 0) break;
    if (request) requests_.keep(db, *request, kept);
    tx.commit();
    const double now = clock_.now();
    double last = forgotten_.load();
    if (now - last > 1.0 / 24 && forgotten_.compare_exchange_strong(last, now)) {
      try {
        requests_.forgetOld(db);
      } catch (const sql::SqlError&) {
        // Tried again within the hour; the answer is already safe.
      }
    }
    break;
  }
  // After the write transaction: the re-read holds no write lock.
  return answer(db, session, p, kept);
}

void Services::install(rpc::Dispatcher& d) {
  d.add(
      "Login", 2,
      [this](const rpc::CallContext& call, const rpc::Params& p) {
        return login(call, p.text(0), p.text(1));
      },
      rpc::Access::Public);
  d.add(
      "Logout", 0, [this](const rpc::CallContext& call, const rpc::Params&) { return logout(call); },
      rpc::Access::Public);

  d.add("GetParam", 2,
        bind([this](sql::Connection& db, const Session& s,
                    const rpc::Params& p) { return orders_.GetParam(db, s, p.text(0), p.text(1)); },
             Kind::Read));
  d.add("GetPedidos", static_cast<int>(domain::kOrderQueryArgumentCount),
        bind(
            [this](sql::Connection& db, const Session& s, const rpc::Params& p) {
              using A = domain::OrderQueryArgument;
              const auto arg = [&p](A a) { return text(p, domain::position(a)); };
              const auto day = [&p](A a) { return date(p, domain::position(a), "GetPedidos"); };
              OrderFilter f;
              f.branch = arg(A::Branch);
              f.orderStatuses = arg(A::OrderStatuses);
              f.orderList = arg(A::OrderList);
              f.orderFrom = arg(A::OrderFrom);
              f.orderTo = arg(A::OrderTo);
              f.allOrders = arg(A::AllOrders);
              f.itemStatuses = arg(A::ItemStatuses);
              f.clientList = arg(A::ClientList);
              f.allClients = arg(A::AllClients);
              f.productList = arg(A::ProductList);
              f.allProducts = arg(A::AllProducts);
              f.sellerList = arg(A::SellerList);
              f.allSellers = arg(A::AllSellers);
              f.issuedFrom = day(A::IssuedFrom);
              f.issuedTo = day(A::IssuedTo);
              f.allIssued = arg(A::AllIssued);
              f.deliveryFrom = day(A::DeliveryFrom);
              f.deliveryTo = day(A::DeliveryTo);
              f.allDeliveries = arg(A::AllDeliveries);
              f.priorities = arg(A::Priorities);
              return orders_.GetPedidos(db, s, f);
            },
            Kind::Direct));
  d.add("GetItem", 2,
        bind([this](sql::Connection& db, const Session& s,
                    const rpc::Params& p) { return orders_.GetItem(db, s, p.text(0), p.text(1)); },
             Kind::Direct));
  d.add("GetItensPedidos", 2,
        bind([this](sql::Connection& db, const Session& s,
                    const rpc::Params& p) { return orders_.GetItensPedidos(db, s, p.text(0), p.packet(1)); },
             Kind::Read));
  d.add("GetItSemFiltro", 2,
        bind([this](sql::Connection& db, const Session& s,
                    const rpc::Params& p) { return orders_.GetItSemFiltro(db, s, p.text(0), p.text(1)); },
             Kind::Direct));
  d.add("GetHistorico", 2,
        bind([this](sql::Connection& db, const Session& s,
                    const rpc::Params& p) { return history_.GetHistorico(db, s, p.text(0), p.text(1)); },
             Kind::Read));
  d.add("GetNrPedido", 3,
        bind(
            [this](sql::Connection& db, const Session& s, const rpc::Params& p) {
              return orders_.GetNrPedido(db, s, p.text(0), p.text(1), p.text(2));
            },
            Kind::Read));
  d.add("GetEvolEstq", 1,
        bind([this](sql::Connection& db, const Session& s,
                    const rpc::Params& p) { return stock_.GetEvolEstq(db, s, p.packet(0)); },
             Kind::Read));
  d.add("GetPosEstq", 9,
        bind(
            [this](sql::Connection& db, const Session& s, const rpc::Params& p) {
              return stock_.GetPosEstq(db, s, p.text(0), p.text(1), p.text(2), p.text(3), p.text(4),
                                       p.text(5), p.text(6), p.text(7), p.text(8));
            },
            Kind::Read));
  d.add("AtualizaEstoque", 5,
        bind(
            [this](sql::Connection& db, const Session& s, const rpc::Params& p) {
              return movement_.AtualizaEstoque(db, s, p.text(0), p.text(1), p.text(2), p.packet(3),
                                               p.text(4));
            },
            Kind::Direct));
  d.add("SetLiquidaPed", 3,
        bindChange(
            [this](sql::Connection& db, const Session& s, const rpc::Params& p) {
              return changes_.settleOrders(db, s, p.packet(0), p.text(1), p.text(2));
            },
            [this](sql::Connection& db, const Session&, const rpc::Params& p, const std::string& kept) {
              return changes_.ordersAnswer(db, p.packet(0), kept);
            }));
  d.add("SetLiquidaItem", 3,
        bindChange(
            [this](sql::Connection& db, const Session& s, const rpc::Params& p) {
              return changes_.settleItems(db, s, p.text(0), p.packet(1), p.text(2));
            },
            [this](sql::Connection& db, const Session& s, const rpc::Params& p, const std::string& kept) {
              return changes_.itemsAnswer(db, s, p.packet(1), kept);
            }));
  d.add("SetDesfazLiq", 3,
        bindChange(
            [this](sql::Connection& db, const Session& s, const rpc::Params& p) {
              return changes_.undoItems(db, s, p.packet(0), p.text(1), p.text(2));
            },
            [this](sql::Connection& db, const Session& s, const rpc::Params& p, const std::string& kept) {
              return changes_.itemsAnswer(db, s, p.packet(0), kept);
            }));
}

}  // namespace ped::server
