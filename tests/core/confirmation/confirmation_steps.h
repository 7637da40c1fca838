#pragma once
// Confirmations as the operator makes them, against a demo server of the
// test's own (they settle orders) reached through a proxy that can fail
// calls, with the database read back to see what the server did.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/marking_steps.h"
#include "sql/connection.h"
#include "support/demo_server.h"
#include "support/fault_proxy.h"
#include "support/test_database.h"

namespace ped::core::testing {

// Built before the screen, which connects to it.
struct ServerOfItsOwn {
  explicit ServerOfItsOwn(ped::testing::DemoServerOptions options = {})
      : server(std::move(options)), proxy(server.info().port), info(server.info()) {
    info.port = proxy.port();
  }
  ped::testing::RunningDemoServer server;
  ped::testing::FaultProxy proxy;
  ped::testing::DemoServer info;  // the server as the screen reaches it: through the proxy
};

class ConfirmationTest : protected ServerOfItsOwn, public MarkingTest {
 protected:
  explicit ConfirmationTest(ped::testing::DemoServerOptions options = {})
      : ServerOfItsOwn(std::move(options)), MarkingTest(info) {}

  // The rows of `sql` on the server's database, cells joined by blanks.
  Lines rows(const std::string& sql) const {
    const auto db = sql::open(server.info().database);
    const sql::Result r = db->query(sql);
    Lines out;
    for (std::size_t row = 0; row < r.rowCount(); ++row) {
      std::ostringstream line;
      for (std::size_t c = 0; c < r.layout.size(); ++c) {
        const std::string& name = r.layout[c].name;
        if (c) line << ' ';
        if (r.isNull(row, name))
          line << "null";
        else if (r.layout[c].type == engine::FieldType::Text)
          line << r.text(row, name);
        else
          line << r.number(row, name);
      }
      out.push_back(line.str());
    }
    return out;
  }
  std::string one(const std::string& sql) const {
    const Lines r = rows(sql);
    return r.empty() ? "" : r.front();
  }

  // One allocation row per open item of `orders` for its whole quantity, at
  // a stock position of its product with room for it: rows the server
  // accepts. Replaces the allocation data set.
  void allocateFromStock(const std::string& branch, const std::vector<std::string>& orders) {
    std::vector<AllocationRow> allocation;
    for (const std::string& order : orders) {
      engine::DataSet items;
      itemsOf(branch, order, items);
      for (items.first(); !items.eof(); items.next()) {
        const std::string status = items.field("IDSITITEMPED").asString();
        if (status != "1" && status != "2" && status != "3" && status != "7") continue;
        const std::string item = items.field("NRITEMPED").asString();
        const double quantity = items.field("QTITEMPED").asFloat();
        const hostlib::RemoteResult r = s().netLiquidaItem.call(
            "GetPosEstq", {branch, order, items.field("CDPRODUTO").asString(), "", "", item, "N", "", ""});
        ASSERT_TRUE(r.ok && r.at(0)) << r.error;
        engine::DataSet positions;
        positions.loadPacket(*r.at(0));
        bool found = false;
        for (positions.first(); !found && !positions.eof(); positions.next()) {
          if (positions.field("QTDISPONIVEL").asFloat() + positions.field("QTRESPRODPED").asFloat() <
              quantity)
            continue;
          AllocationRow row = {
              {"CDFILIAL", branch}, {"NRPEDIDO", order}, {"NRITEMPED", item}, {"QTEXP", quantity}};
          for (const char* key : {"CDPRODUTO", "CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE"})
            row.emplace_back(key, positions.field(key).asString());
          allocation.push_back(std::move(row));
          found = true;
        }
        ASSERT_TRUE(found) << order << " " << item;
      }
    }
    loadAllocationRows(s().cdsEvolEst, allocation);
  }

  // Whether the order list shows `row` ("NRPEDIDO status mark").
  bool marked(const std::string& row) const {
    const Lines orders = orderMarks();
    return std::find(orders.begin(), orders.end(), row) != orders.end();
  }

  // The justification, typed on its page.
  void justify(const std::string& code) {
    ASSERT_TRUE(choose(s().mnuJustExcl));
    ASSERT_TRUE(s().pgcPadrao.isActive(s().tshJustExcl));
    ASSERT_TRUE(s().handle([&] { s().typeCdJust(code); }));
  }

  // Confirm, answering each question in turn.
  bool confirm(std::initializer_list<bool> answers) {
    for (bool a : answers) h_.host.answer(a);
    return choose(s().sbtConfirmar);
  }

  // Nothing left frozen or busy, whatever way the confirmation ended.
  void expectReleased() const {
    EXPECT_EQ(s().showavi.depth(), 0);
    EXPECT_FALSE(s().windowUpdateLocked());
    ASSERT_NE(h_.toolkit.window, nullptr);
    EXPECT_FALSE(h_.toolkit.window->locked);
    EXPECT_EQ(h_.toolkit.window->locks, h_.toolkit.window->unlocks);
  }
  // Every message and window shows on a painting window, no indicator up.
  void watchMessages() {
    h_.host.onShown = [this](const std::string& line) {
      if (line.starts_with("aguarde")) return;
      EXPECT_FALSE(h_.toolkit.window->locked) << line;
      EXPECT_EQ(s().showavi.depth(), 0) << line;
    };
  }

  std::vector<std::string> calls(const std::string& method) const {
    std::vector<std::string> out;
    for (const std::string& m : proxy.calls())
      if (m == method) out.push_back(m);
    return out;
  }
};

// On PostgreSQL the server's database is a fresh one of the test cluster.
struct DatabaseOfItsOwn {
  explicit DatabaseOfItsOwn(ped::testing::Backend backend)
      : postgres(backend == ped::testing::Backend::Postgres
                     ? std::make_unique<ped::testing::TestDatabase>(backend)
                     : nullptr) {}
  std::string target() const { return postgres && postgres->available() ? postgres->target() : ""; }
  std::unique_ptr<ped::testing::TestDatabase> postgres;
};

// A confirmation test run on SQLite and on PostgreSQL; a test body starts
// with `if (postgres) PED_REQUIRE_DATABASE(*postgres);`.
class ConfirmationOnEachDatabase : protected DatabaseOfItsOwn,
                                   public ConfirmationTest,
                                   public ::testing::WithParamInterface<ped::testing::Backend> {
 protected:
  ConfirmationOnEachDatabase() : DatabaseOfItsOwn(GetParam()), ConfirmationTest({.database = target()}) {}
};

}  // namespace ped::core::testing
