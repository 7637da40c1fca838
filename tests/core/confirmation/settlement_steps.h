#pragma once
// Settling orders as the operator does it, on a demo server of the test's
// own (settling changes it), reached through a fault proxy that passes every
// call until told otherwise: an order marked with allocation rows the server
// accepts, a justification typed, Confirmar with the questions answered; and
// what the database holds afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "core/marking_steps.h"
#include "domain/status_rules.h"
#include "sql/connection.h"
#include "support/demo_server.h"
#include "support/fault_proxy.h"
#include "support/test_database.h"

namespace ped::core::testing {

// Built before the screen, which logs in through the proxy. Without
// PostgreSQL the server runs on SQLite, and the test skips.
struct OwnSettlementServer {
  explicit OwnSettlementServer(ped::testing::Backend backend)
      : storage(backend), ownServer({.database = storage.available() ? storage.target() : std::string()}) {}
  ped::testing::TestDatabase storage;
  ped::testing::RunningDemoServer ownServer;
  ped::testing::FaultProxy faultProxy{ownServer.info().port};
  ped::testing::DemoServer viaProxy{ownServer.info().database, faultProxy.port(), ownServer.info().today};
};

// On SQLite and on PostgreSQL.
class SettlementTest : private OwnSettlementServer,
                       public MarkingTest,
                       public ::testing::WithParamInterface<ped::testing::Backend> {
 protected:
  SettlementTest() : OwnSettlementServer(GetParam()), MarkingTest(viaProxy) {}
  void SetUp() override {
    PED_REQUIRE_DATABASE(storage);
    GTEST_SKIP() << "Confirmar does not send the marks to the server yet";
  }

  // The server itself, past the proxy.
  const ped::testing::DemoServer& demo() const { return ownServer.info(); }
  ped::testing::FaultProxy& proxy() { return faultProxy; }

  // Replaces the allocation rows with rows over real stock positions, free
  // for the purpose, that add up to each open item of `order`; false when
  // the branch's stock cannot cover the order.
  bool allocateFromStock(const std::string& branch, const std::string& order) {
    engine::DataSet items;
    itemsOf(branch, order, items);
    std::vector<AllocationRow> rows;
    std::map<std::tuple<std::string, std::string, std::string, std::string>, double> used;
    double total = 0;
    std::size_t items_ = 0;
    for (items.first(); !items.eof(); items.next()) {
      if (!domain::takesAllocationRows(items.field("IDSITITEMPED").asString())) continue;
      ++items_;
      const std::string item = items.field("NRITEMPED").asString();
      const std::string product = items.field("CDPRODUTO").asString();
      double wanted = items.field("QTITEMPED").asFloat();
      engine::DataSet positions;
      const hostlib::RemoteResult r =
          s().netLiquidaItem.call("GetPosEstq", {branch, order, product, "", "", item, "N", "", ""});
      if (!r.ok || r.packets.empty() || !r.packets[0]) return false;
      positions.loadPacket(*r.packets[0]);
      for (positions.first(); !positions.eof() && wanted > 0; positions.next()) {
        const engine::Field& validUntil = positions.field("DTVALILOTE");
        if (!validUntil.isNull() && validUntil.asFloat() < demo().today) continue;
        const auto at = std::make_tuple(
            positions.field("CDALMOXARIFE").asString(), positions.field("CDLOCALESTOQ").asString(),
            positions.field("NRLOTEESTQ").asString(), positions.field("NRSUBLOTE").asString());
        const double free =
            positions.field("QTDISPONIVEL").asFloat() + positions.field("QTRESPRODPED").asFloat() - used[at];
        const double take = std::min(free, wanted);
        if (take <= 0.0005) continue;
        used[at] += take;
        wanted -= take;
        total += take;
        rows.push_back({{"CDFILIAL", branch},
                        {"NRPEDIDO", order},
                        {"NRITEMPED", item},
                        {"CDPRODUTO", product},
                        {"CDALMOXARIFE", std::get<0>(at)},
                        {"CDLOCALESTOQ", std::get<1>(at)},
                        {"NRLOTEESTQ", std::get<2>(at)},
                        {"NRSUBLOTE", std::get<3>(at)},
                        {"QTEXP", take}});
      }
      if (wanted > 0.0005) return false;
    }
    loadAllocationRows(s().cdsEvolEst, rows);
    allocatedRows_ = rows.size();
    allocatedItems_ = items_;
    allocatedTotal_ = total;
    return !rows.empty();
  }

  // Lists the branch's liquidable orders and marks the first one whose items
  // the stock covers, its allocation rows set; its number, "" when none.
  std::string markCoveredOrder(const std::string& branch) {
    listOrders(branch, "2");
    for (const Lines& orders = orderMarks(); const std::string& row : orders) {
      const std::string order = row.substr(0, row.find(' '));
      if (!toOrder(order) || !allocateFromStock(branch, order)) continue;
      if (clickOrder() && s().cdsPedido.field("IDCHECK").asString() == "S") return order;
    }
    return {};
  }

  // The operator types the justification code and leaves the field.
  void typeJustification(const std::string& code) {
    s().handle([&] { s().typeCdJust(code); });
    s().handle([&] { s().leaveCdJust(); });
  }
  // Confirmar, each question answered yes; whether the handler ran to its end.
  bool confirm(int questions) {
    for (int i = 0; i < questions; ++i) h_.host.answer(true);
    const bool done = s().handle([&] { s().click(s().sbtConfirmar); });
    h_.toolkit.processEvents();
    return done;
  }

  // What the host showed since the last look, and whether every busy
  // indicator shown was taken down.
  Lines shownSettling(bool* busyDown) {
    int depth = 0;
    Lines out;
    for (std::string& line : h_.host.take()) {
      if (line.starts_with("aguarde")) depth += line == "aguarde: fim" ? -1 : 1;
      out.push_back(std::move(line));
    }
    *busyDown = depth == 0;
    return out;
  }
  static bool anyLineHas(const Lines& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
  }

  // ---- What the database holds.
  std::unique_ptr<sql::Connection> database() const { return sql::open(demo().database); }
  // History rows of `order`'s settlements: "item operator justification".
  Lines settlementHistory(const std::string& branch, const std::string& order) const {
    const sql::Result r = database()->query(
        "SELECT NRITEMPED, CDOPERADOR, CDJUSTEXCHIS FROM HISTLIQMAN WHERE CDFILIAL = :F AND NRPEDIDO = :N"
        " AND IDOPERACAO = 'L' ORDER BY NRITEMPED",
        {{"F", branch}, {"N", order}});
    Lines out;
    for (std::size_t i = 0; i < r.rowCount(); ++i)
      out.push_back(std::string(r.text(i, "NRITEMPED")) + " " + std::string(r.text(i, "CDOPERADOR")) + " " +
                    std::string(r.text(i, "CDJUSTEXCHIS")));
    return out;
  }
  // What left stock for `order`: the movement rows and their total (negative).
  std::pair<std::size_t, double> stockMoved(const std::string& branch, const std::string& order) const {
    const sql::Result r =
        database()->query("SELECT QTMOVIMENTO FROM MOVESTOQUE WHERE CDFILIAL = :F AND NRPEDIDO = :N",
                          {{"F", branch}, {"N", order}});
    double total = 0;
    for (std::size_t i = 0; i < r.rowCount(); ++i) total += r.number(i, "QTMOVIMENTO");
    return {r.rowCount(), total};
  }
  // The rows allocateFromStock set last: how many, and their total quantity.
  std::size_t allocatedRows_ = 0, allocatedItems_ = 0;
  double allocatedTotal_ = 0;
  std::string orderStatusInDatabase(const std::string& branch, const std::string& order) const {
    const sql::Result r =
        database()->query("SELECT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N",
                          {{"F", branch}, {"N", order}});
    return r.rowCount() ? std::string(r.text(0, "IDSITPEDIDO")) : "";
  }
};

}  // namespace ped::core::testing
