// The application server as the screen meets it: the real HTTP server on a
// free loopback port, the screen's client connection, and a fresh database
// (SQLite and PostgreSQL).

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <simdjson.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "engine/data_set.h"
#include "netclient/net_connection.h"
#include "server/app/connection_pool.h"
#include "server/app/request_log.h"
#include "server/app/services.h"
#include "server/http/http_server.h"
#include "server/support/seed_orders.h"
#include "server/support/server_process.h"
#include "support/test_ca.h"
#include "support/test_database.h"

namespace ped::server {
namespace {

using hostlib::RemoteResult;
using netclient::Arg;
using ped::testing::Backend;
using ped::testing::TestDatabase;
namespace date_time = engine::date_time;

std::string dump(const std::optional<std::string>& packet, const char* fields = nullptr) {
  if (!packet) return "null";
  engine::DataSet ds("r");
  ds.loadPacket(*packet);
  return fields ? ds.dump(fields) : ds.dump();
}

// An allocation packet (AtualizaEstoque) of `rows`.
std::string allocationPacket(const std::string& rows) {
  return R"({"fields":[{"name":"CDFILIAL","type":"string","size":4},{"name":"CDPRODUTO","type":"string","size":10},)"
         R"({"name":"CDALMOXARIFE","type":"string","size":6},{"name":"CDLOCALESTOQ","type":"string","size":6},)"
         R"({"name":"NRLOTEESTQ","type":"string","size":20},{"name":"NRSUBLOTE","type":"string","size":4},)"
         R"({"name":"QTEXP","type":"float"},{"name":"NRPEDIDO","type":"string","size":10},)"
         R"({"name":"NRITEMPED","type":"string","size":10}],"rows":[)" +
         rows + "]}";
}

class RemoteServer : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    PED_REQUIRE_DATABASE(store_);
    seedOrders(*store_.open());
    pool_ = std::make_unique<ConnectionPool>(store_.target(), 8);
    services_ = std::make_unique<Services>(*pool_, clock_);
    dispatcher_ = std::make_unique<rpc::Dispatcher>(*services_);
    services_->install(*dispatcher_);
    HttpOptions http;
    http.threads = 8;
    http.keepAliveTimeout = std::chrono::seconds(1);
    server_ = std::make_unique<HttpServer>(*dispatcher_, http);
    server_->start();
  }
  void TearDown() override {
    if (server_) server_->stop();
  }
  std::unique_ptr<netclient::TNetConnection> connect(const char* op) {
    auto net = std::make_unique<netclient::TNetConnection>();
    net->Port = server_->port();
    net->Open();
    const RemoteResult r = net->Login(op, "senha");
    EXPECT_TRUE(r.ok) << r.error;
    return net;
  }
  double stock(const char* lot) {
    return store_.open()
        ->query("SELECT QTESTOQUE FROM POSESTOQUE WHERE NRLOTEESTQ = :T", {{"T", lot}})
        .number(0, "QTESTOQUE");
  }
  static std::vector<Arg> everything(const char* branch) {
    return {branch, "3526", "",  "",           "",           "T", "1234657", "",      "T", "",
            "T",    "",     "T", "2026-11-30", "2026-12-07", "",  nullptr,   nullptr, "T", "32140"};
  }

  TestDatabase store_{GetParam()};
  engine::FixedClock clock_{date_time::fromCivil({2026, 12, 7, 10, 0})};
  std::unique_ptr<ConnectionPool> pool_;
  std::unique_ptr<Services> services_;
  std::unique_ptr<rpc::Dispatcher> dispatcher_;
  std::unique_ptr<HttpServer> server_;
};

INSTANTIATE_TEST_SUITE_P(Bancos, RemoteServer, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(RemoteServer, TheReadMethodsAnswerOverTheWire) {
  auto net = connect("GERENTE");
  RemoteResult r = net->call("GetParam", {"0001", "GERENTE"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(dump(r.at(0)), "r Browse 1/1 BOF\n> S N 2 N");

  r = net->call("GetPedidos", everything("0001"));
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_TRUE(r.array);
  EXPECT_EQ(dump(r.at(2), "NRPEDIDO;IDSITPEDIDO;DTPEDIDO"),
            "r Browse 1/2 BOF\n> 0000000010 2 2026-12-01\n  0000000011 6 2026-12-07");
  r = net->call("GetItem", {"0001", "0000000010"});
  EXPECT_EQ(dump(r.at(0), "NRITEMPED;IDSITITEMPED"), "r Browse 1/3 BOF\n> 1 1\n  2 3\n  10 5");
  r = net->call("GetItSemFiltro", {"0001", "0000000010"});
  EXPECT_EQ(dump(r.at(0)), "r Browse 1/3 BOF\n> 1\n  3\n  5");
  r = net->call("GetNrPedido", {"", "0001", "GERENTE"});
  EXPECT_EQ(dump(r.at(0), "NRPEDIDO"), "r Browse 1/3 BOF\n> 0000000002\n  0000000010\n  0000000011");
  r = net->call("GetPosEstq", {"0001", "0000000010", "P1", "", "", "1", "N", "L1", ""});
  EXPECT_EQ(dump(r.at(0), "NRLOTEESTQ;QTDISPONIVEL;QTRESPRODPED"), "r Browse 1/1 BOF\n> L1 7 2");
}

TEST_P(RemoteServer, BadCallsAreRefusedInPortugueseAndTheServerKeepsServing) {
  netclient::TNetConnection anonymous;
  anonymous.Port = server_->port();
  anonymous.Open();
  EXPECT_EQ(anonymous.call("GetItem", {"0001", "10"}).error, "Sessão inválida ou expirada. Entre novamente.");
  EXPECT_EQ(anonymous.Login("GERENTE", "errada").error, "Operador ou senha inválidos.");

  auto net = connect("VEND1");
  EXPECT_EQ(net->call("GetItem", {"0001"}).error, "O método GetItem espera 2 parâmetros; recebeu 1.");
  EXPECT_EQ(net->call("GetItem", {"0001", 10}).error, "Parâmetro 2 de GetItem: esperado texto.");
  EXPECT_EQ(net->call("GetParam", {"0001", "GERENTE"}).error,
            "O operador informado (GERENTE) não é o operador da sessão (VEND1).");
  std::vector<Arg> badDate = everything("0001");
  badDate[13] = "31/02/2026";
  EXPECT_EQ(net->call("GetPedidos", badDate).error,
            "Parâmetro 14 de GetPedidos: data inválida (use AAAA-MM-DD).");
  EXPECT_EQ(net->call("GetEvolEstq", {Arg::packet(R"({"fields":[],"rows":[[1]]})")}).ok, false);
  EXPECT_EQ(net->call("Nada", {}).error, "Método desconhecido: Nada.");
  // Whatever the filter says, the tied operator sees his seller's orders.
  std::vector<Arg> other = everything("0001");
  other[11] = "0002";
  other[12] = "";
  const RemoteResult r = net->call("GetPedidos", other);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(dump(r.at(2), "NRPEDIDO;CDVENDEDOR"), "r Browse 1/1 BOF\n> 0000000010 0001");
}

// A kept answer lives one day; then its key is a new one again.
TEST_P(RemoteServer, RequestKeysAreForgottenAfterADay) {
  const RequestLog log(clock_);
  auto db = store_.open();
  const rpc::Params params("SetLiquidaPed", {});
  const RequestLog::Request request = RequestLog::request("S1", "k-1", "SetLiquidaPed", params);
  auto keep = [&](const char* answer) {
    sql::Transaction tx(*db, sql::TransactionMode::Write);
    log.claim(*db, request);
    log.keep(*db, request, answer);
    tx.commit();
  };
  keep("[1]");
  EXPECT_EQ(log.answer(*db, request), "[1]");
  clock_.set(clock_.now() + 1.0 + 1.0 / 86400);
  EXPECT_EQ(log.answer(*db, request), std::nullopt);
  keep("[2]");
  EXPECT_EQ(log.answer(*db, request), "[2]");
  clock_.set(clock_.now() + 1.0 + 1.0 / 86400);
  log.forgetOld(*db);
  EXPECT_EQ(db->query("SELECT COUNT(*) AS N FROM REQUISICAO").integer(0, "N"), 0);
}

// A session ended in the database (expired, or removed by another server
// instance) is refused within 5 s, though this server had it in memory.
TEST_P(RemoteServer, ASessionEndedElsewhereIsRefusedWithinFiveSeconds) {
  auto net = connect("GERENTE");
  ASSERT_TRUE(net->call("GetParam", {"0001", "GERENTE"}).ok);
  store_.open()->execute("DELETE FROM SESSAO");
  const double start = clock_.now();
  clock_.set(start + 4.0 / 86400);
  EXPECT_TRUE(net->call("GetParam", {"0001", "GERENTE"}).ok);  // still served from memory
  clock_.set(start + 5.5 / 86400);
  EXPECT_EQ(net->call("GetParam", {"0001", "GERENTE"}).error,
            "Sessão inválida ou expirada. Entre novamente.");
}

// One round: both sessions stage the stock of order 10 and settle it at once.
TEST_P(RemoteServer, TwoScreensSettlingOneOrderAtOnceMoveTheStockOnce) {
  const std::string allocation =
      allocationPacket(R"(["0001","P1","ALM01","LC01","L1","01",2.0,"0000000010","1"],)"
                       R"(["0001","P2","ALM01","LC01","L2","01",1.0,"0000000010","2"])");
  const std::string orders =
      R"({"fields":[{"name":"IDCHECK","type":"string","size":1},{"name":"IDSITPEDIDO","type":"string","size":1},)"
      R"({"name":"NRPEDIDO","type":"string","size":10},{"name":"CDFILIAL","type":"string","size":4}],)"
      R"("rows":[["S","2","0000000010","0001"]]})";
  auto admin = store_.open();
  for (int round = 0; round < 4; ++round) {
    admin->execute(
        "UPDATE ITEMPEDIDO SET IDSITITEMPED = '2' WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000010'"
        " AND NRITEMPED IN ('1', '2')");
    admin->execute("UPDATE PEDIDO SET IDSITPEDIDO = '2' WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000010'");
    const double before1 = stock("L1"), before2 = stock("L2");
    std::string errors[2];
    std::thread screens[2];
    for (int i = 0; i < 2; ++i)
      screens[i] = std::thread([&, i] {
        auto net = connect("GERENTE");
        RemoteResult staged = net->call(
            "AtualizaEstoque",
            {"0001", "GERENTE", "Liquidação Manual", Arg::packet(allocation), "NRPEDIDO IN ('0000000010')"});
        if (!staged.ok) {
          errors[i] = staged.error;  // the other screen settled first: the order is no longer open
          return;
        }
        const RemoteResult r = net->call("SetLiquidaPed", {Arg::packet(orders), "GERENTE", "0001"});
        ASSERT_TRUE(r.ok) << r.error;
        errors[i] = dump(r.at(1), "DSERRO");
      });
    for (auto& t : screens) t.join();
    const int wins = (errors[0] == "null") + (errors[1] == "null");
    EXPECT_EQ(wins, 1) << errors[0] << " | " << errors[1];
    EXPECT_DOUBLE_EQ(stock("L1"), before1 - 2) << "rodada " << round;
    EXPECT_DOUBLE_EQ(stock("L2"), before2 - 1) << "rodada " << round;
  }
}

// Repeats are known by the client's request key, never by the arguments: a
// new key is a new operator action and runs, the same key answers as the
// first time, and a call that changed nothing is not kept.
TEST_P(RemoteServer, RepeatsAreKnownByTheirRequestKeyNeverByTheirArguments) {
  auto net = connect("GERENTE");
  httplib::Client http("127.0.0.1", server_->port());
  auto send = [&](const char* key, const std::string& method, const std::string& params) {
    httplib::Headers headers = {{"Authorization", "Bearer " + net->token()}};
    if (key) headers.emplace("Idempotency-Key", key);
    const std::string body =
        R"({"jsonrpc":"2.0","id":1,"method":")" + method + R"(","params":)" + params + "}";
    const auto r = http.Post("/Ped00800.rdmLiquidaItem", headers, body, "application/json");
    return r ? r->body : std::string("sem resposta");
  };
  const std::string settle =
      R"([{"fields":[{"name":"IDCHECK","type":"string","size":1},{"name":"IDSITPEDIDO","type":"string","size":1},)"
      R"({"name":"NRPEDIDO","type":"string","size":10},{"name":"CDFILIAL","type":"string","size":4}],)"
      R"("rows":[["S","2","0000000010","0003"]]},"GERENTE","0001"])";
  const std::string undo =
      R"([{"fields":[{"name":"IDCHECK","type":"string","size":1},{"name":"NRITEMPED","type":"string","size":10},)"
      R"({"name":"IDSITITEMPED","type":"string","size":1},{"name":"NRPEDIDO","type":"string","size":10},)"
      R"({"name":"CDFILIAL","type":"string","size":4}],"rows":[["S","1","6","0000000010","0003"]]},"GERENTE","0001"])";
  auto admin = store_.open();
  auto status = [&] {
    return std::string(
        admin->query("SELECT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = '0003' AND NRPEDIDO = '0000000010'")
            .text(0, "IDSITPEDIDO"));
  };
  auto settlements = [&] {
    return admin->query("SELECT COUNT(*) AS N FROM HISTLIQMAN WHERE CDFILIAL = '0003' AND IDOPERACAO = 'L'")
        .integer(0, "N");
  };
  // The order already settled: refused, naming who settled it.
  const char* settledAlready = " já liquidado por GERENTE em ";

  const std::string first = send("a-1", "SetLiquidaPed", settle);
  EXPECT_NE(first.find(R"(["N","5","0000000010")"), std::string::npos) << first;
  EXPECT_EQ(status(), "5");
  EXPECT_EQ(send("a-1", "SetLiquidaPed", settle), first);  // its answer was lost: the same key again
  EXPECT_EQ(settlements(), 1);
  EXPECT_NE(send("a-1", "SetLiquidaPed", R"([{"fields":[],"rows":[]},"GERENTE","0002"])")
                .find("já foi usada numa chamada com outros argumentos"),
            std::string::npos);

  // Settle, undo, settle again with the same arguments: each is done.
  EXPECT_EQ(send("b-1", "SetDesfazLiq", undo).find("DSERRO"), std::string::npos);
  EXPECT_EQ(status(), "2");
  const std::string again = send("c-1", "SetLiquidaPed", settle);
  EXPECT_NE(again.find(R"(["N","5","0000000010")"), std::string::npos) << again;
  EXPECT_EQ(status(), "5");
  EXPECT_EQ(settlements(), 2);

  // A refusal is not kept: once the order is open again, the same key goes through.
  EXPECT_NE(send("d-1", "SetLiquidaPed", settle).find(settledAlready), std::string::npos);
  send("e-1", "SetDesfazLiq", undo);
  EXPECT_EQ(send("d-1", "SetLiquidaPed", settle).find(settledAlready), std::string::npos);
  EXPECT_EQ(status(), "5");
  EXPECT_EQ(settlements(), 3);
  // Without a key a call is always a new one.
  EXPECT_NE(send(nullptr, "SetLiquidaPed", settle).find(settledAlready), std::string::npos);
  EXPECT_EQ(admin->query("SELECT COUNT(*) AS N FROM REQUISICAO").integer(0, "N"), 5);  // the five changes
}

// 32 screens settle at once through a server whose SQLite connections
// barely wait for the database's lock: writers take turns in the server, so
// every one succeeds, none fails on the lock.
TEST_P(RemoteServer, ThirtyTwoScreensSettlingAtOnceAllSucceed) {
  auto admin = store_.open();
  for (int i = 0; i < 32; ++i) {
    const sql::Params n = {{"N", "00000001" + std::to_string(10 + i)}};
    admin->execute(
        "INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, CDCLIENTE, CDVENDEDOR, DTPEDIDO, IDPRIORIDADE, IDSITPEDIDO)"
        " SELECT CDFILIAL, :N, CDCLIENTE, CDVENDEDOR, DTPEDIDO, IDPRIORIDADE, IDSITPEDIDO FROM PEDIDO"
        " WHERE CDFILIAL = '0003' AND NRPEDIDO = '0000000010'",
        n);
    admin->execute(
        "INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, SGUNIDADE, "
        "VRPREUNITPED,"
        " VRDESITPED, IDSITITEMPED) SELECT CDFILIAL, :N, NRITEMPED, CDPRODUTO, QTITEMPED, SGUNIDADE,"
        " VRPREUNITPED, VRDESITPED, IDSITITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = '0003' AND NRPEDIDO = "
        "'0000000010'",
        n);
  }
  // SQLite's own wait cut to nothing: only the server's turns can keep the
  // writers apart. PostgreSQL keeps its lock wait: its calls lock rows, and
  // the 32 share one session here.
  sql::OpenOptions impatient;
  if (GetParam() == ped::testing::Backend::Sqlite) impatient.busyTimeoutMs = 1;
  ConnectionPool pool(store_.target(), 32, impatient);
  Services services(pool, clock_);
  rpc::Dispatcher dispatcher(services);
  services.install(dispatcher);
  HttpOptions options;
  options.threads = 32;
  HttpServer http(dispatcher, options);
  http.start();
  netclient::TNetConnection login;  // one session: 32 log-ins would only time the password hash
  login.Port = http.port();
  ASSERT_TRUE(login.Login("GERENTE", "senha").ok);
  std::string answers[32];
  std::vector<std::thread> threads;
  for (int i = 0; i < 32; ++i)
    threads.emplace_back([&, i] {
      httplib::Client screen("127.0.0.1", http.port());
      const std::string body =
          R"({"jsonrpc":"2.0","id":1,"method":"SetLiquidaPed","params":[{"fields":[{"name":"IDCHECK","type":"string","size":1},)"
          R"({"name":"IDSITPEDIDO","type":"string","size":1},{"name":"NRPEDIDO","type":"string","size":10},)"
          R"({"name":"CDFILIAL","type":"string","size":4}],"rows":[["S","2","00000001)" +
          std::to_string(10 + i) + R"(","0003"]]},"GERENTE","0001"]})";
      const auto r =
          screen.Post("/Ped00800.rdmLiquidaItem",
                      {{"Authorization", "Bearer " + login.token()}, {"Idempotency-Key", std::to_string(i)}},
                      body, "application/json");
      answers[i] = r ? r->body : "sem resposta";
    });
  for (auto& t : threads) t.join();
  http.stop();
  for (const std::string& a : answers) EXPECT_TRUE(a.ends_with(",null]}")) << a;
  EXPECT_EQ(admin->query("SELECT COUNT(*) AS N FROM PEDIDO WHERE CDFILIAL = '0003' AND IDSITPEDIDO = '5'")
                .integer(0, "N"),
            32);
}

// Item 1 of order 10 settled from two lots, then excluded: the history
// lists the pair newest first, with operators, justifications and the lots
// taken, and reads under the same seller restriction as the order query.
TEST_P(RemoteServer, TheHistoryShowsASettlementAndTheExclusionThatReversedIt) {
  const std::string allocation =
      allocationPacket(R"(["0001","P1","ALM01","LC01","L1","01",1.5,"0000000010","1"],)"
                       R"(["0001","P1","ALM01","LC01","LH","01",0.5,"0000000010","1"])");
  auto item = [](const char* status) {
    return Arg::packet(
        R"({"fields":[{"name":"IDCHECK","type":"string","size":1},{"name":"NRITEMPED","type":"string","size":10},)"
        R"({"name":"IDSITITEMPED","type":"string","size":1},{"name":"NRPEDIDO","type":"string","size":10},)"
        R"({"name":"CDFILIAL","type":"string","size":4}],"rows":[["S","1",")" +
        std::string(status) + R"(","0000000010","0001"]]})");
  };
  auto net = connect("VEND1");
  ASSERT_TRUE(net->call("AtualizaEstoque", {"0001", "VEND1", "Liquidação Manual", Arg::packet(allocation),
                                            "(NRPEDIDO = '0000000010') AND (NRITEMPED IN ('1'))"})
                  .ok);
  RemoteResult r = net->call("SetLiquidaItem", {"VEND1", item("1"), "0001"});
  ASSERT_TRUE(r.ok && !r.at(1)) << r.error << dump(r.at(1));
  clock_.set(clock_.now() + 1.0 / 24);
  auto manager = connect("GERENTE");
  r = manager->call("SetDesfazLiq", {item("6"), "GERENTE", "0002"});
  ASSERT_TRUE(r.ok && !r.at(1)) << r.error << dump(r.at(1));

  // Put back to "6" by other means, the item has no settlement left to reverse.
  store_.open()->execute(
      "UPDATE ITEMPEDIDO SET IDSITITEMPED = '6' WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000010'"
      " AND NRITEMPED = '1'");
  r = manager->call("SetDesfazLiq", {item("6"), "GERENTE", "0002"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(dump(r.at(1), "DSERRO"), "r Browse 1/1 BOF\n> Histórico da liquidação do item 1 não encontrado.");

  r = net->call("GetHistorico", {"0001", "10"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(dump(r.at(0),
                 "DTOPERACAO;CDOPERADOR;NMOPERADOR;IDOPERACAO;NRITEMPED;CDARVPROD;QTITEMPED;SGUNIDADE;"
                 "IDSITANTERIOR;IDSITNOVA;CDJUSTEXCHIS;DSJUSTEXCHIS"),
            "r Browse 1/2 BOF\n"
            "> 2026-12-07T11:00:00 GERENTE Gerente E 1 0101001 2 UN 6 1 0002 Cliente desistiu\n"
            "  2026-12-07T10:00:00 VEND1 Vendedor L 1 0101001 2 UN 1 6 0001 Lançamento indevido");
  engine::DataSet history("h"), positions("p");
  history.loadPacket(*r.at(0));
  positions.loadPacket(*r.at(1));
  history.last();
  const std::int64_t settlement = history.field("NRHISTORICO").asInteger();
  EXPECT_TRUE(history.field("NRHISTLIQ").isNull());
  history.first();
  EXPECT_EQ(history.field("NRHISTLIQ").asInteger(), settlement);  // the exclusion names what it reversed
  EXPECT_EQ(dump(r.at(1), "CDALMOXARIFE;CDLOCALESTOQ;NRLOTEESTQ;NRSUBLOTE;QTMOVIMENTO"),
            "r Browse 1/2 BOF\n> ALM01 LC01 L1 01 1,5\n  ALM01 LC01 LH 01 0,5");
  for (positions.first(); !positions.eof(); positions.next())
    EXPECT_EQ(positions.field("NRHISTORICO").asInteger(), settlement);

  // Another seller's order reads as one that does not exist; the manager sees it.
  const std::string hidden = net->call("GetHistorico", {"0001", "0000000011"}).error;
  EXPECT_EQ(hidden, "Pedido 0000000011 não encontrado na filial 0001.");
  EXPECT_EQ(net->call("GetHistorico", {"0001", "0000000099"}).error,
            "Pedido 0000000099 não encontrado na filial 0001.");
  r = manager->call("GetHistorico", {"0001", "0000000011"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(dump(r.at(0), "IDOPERACAO"), "r Browse 0/0 BOF EOF");
}

// The executable itself: options, schema, serving, and a clean stop on SIGTERM.
TEST(ServerExecutable, StartsOnAFreshDatabaseServesAndStopsCleanly) {
  TestDatabase store(Backend::Sqlite);
  const std::string log = store.target() + ".log";
  testing::ServerProcess server(store.target(), log);
  server.start();
  const int port = server.port();
  ASSERT_GT(port, 0);
  {
    // A fresh database has the schema but no operator.
    seedOrders(*store.open());
    netclient::TNetConnection net;
    net.Port = port;
    net.Open();
    ASSERT_TRUE(net.Login("GERENTE", "senha").ok);
    EXPECT_TRUE(net.call("GetParam", {"0001", "GERENTE"}).ok);
  }
  const int status = server.stop(SIGTERM, 10);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::ifstream in(log);
  const std::string lines((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(lines.find("\"GetParam\""), std::string::npos) << lines;
  EXPECT_EQ(lines.find("senha"), std::string::npos);
  std::remove(log.c_str());
}

TEST(ServerExecutable, ServesHttpsWithTheCertificateAndKeyItIsGiven) {
  TestDatabase store(Backend::Sqlite);
  const ped::testing::TestCa ca;
  testing::ServerProcess server(store.target());
  server.start({"--tls-cert", ca.serverCert(), "--tls-key", ca.serverKey()});
  seedOrders(*store.open());
  netclient::TNetConnection net;
  net.Port = server.port();
  net.UseTls = true;
  net.CaFile = ca.caFile();
  net.Open();
  ASSERT_TRUE(net.Login("GERENTE", "senha").ok);
  EXPECT_TRUE(net.call("GetParam", {"0001", "GERENTE"}).ok);
  const int status = server.stop(SIGTERM, 10);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace ped::server
