// "Propor lotes" as the operator uses it, on a server of the test's own whose
// stock the test lays out: which positions are taken and in what order, what
// short stock tells, and what a refusal half-way leaves; and what a picked
// position offers next to the screen's other rows.

#include <mutex>
#include <optional>

#include "core/allocation_steps.h"
#include "core/confirmation/confirmation_steps.h"
#include "core/stock/lot_proposal_plan.h"
#include "engine/date_time.h"
#include "engine/value_text.h"

namespace ped::core::testing {
namespace {

// Every method the server answered, in order.
struct CallLog {
  std::mutex mutex;
  std::vector<std::string> methods;
  rpc::CallSink sink() {
    return [this](const rpc::CallRecord& call) {
      const std::lock_guard lock(mutex);
      methods.emplace_back(call.method);
    };
  }
  std::vector<std::string> take() {
    const std::lock_guard lock(mutex);
    return std::exchange(methods, {});
  }
};

// A stock position laid out for the test's product.
struct Stock {
  const char* warehouse;
  const char* location;
  const char* lot;  // "" for none
  double quantity;
  std::optional<int> validForDays;  // from today; none: no validity
  int enteredDaysAgo = 10;
};

class LotProposal : protected CallLog, protected ServerOfItsOwn, public AllocationTest {
 protected:
  LotProposal() : ServerOfItsOwn({.callSink = sink()}), AllocationTest(info) {}

  // An open item of `branch` without rows, ordering at least 5, current in
  // the focused allocation grid.
  void onFreshItem(const std::string& branch) {
    onBranch(branch);
    ASSERT_TRUE(onItem([&] { return !itemHasRows() && item("QTITEMPED") >= 5; }));
    ordered_ = item("QTITEMPED");
  }
  double item(const char* field) const { return h_.screen().cdsItemPedido.field(field).asFloat(); }
  std::string itemText(const char* field) const {
    return engine::value_text::trim(h_.screen().cdsItemPedido.field(field).asString());
  }

  // The item's product keeps at its branch only `stock`, reserved for no
  // item (its former positions emptied), lots named for the test.
  void layOut(const std::vector<Stock>& stock) {
    const auto db = sql::open(server.info().database);
    const std::string branch = itemText("CDFILIAL"), product = itemText("CDPRODUTO");
    for (const char* sql : {"DELETE FROM RESERVAITEM WHERE CDFILIAL = :F AND CDPRODUTO = :P",
                            "UPDATE POSESTOQUE SET QTESTOQUE = 0 WHERE CDFILIAL = :F AND CDPRODUTO = :P"})
      db->execute(sql, {{"F", branch}, {"P", product}});
    const double today = h_.clock.today();
    for (const Stock& s : stock) {
      if (*s.lot)
        db->execute(
            "INSERT INTO LOTE (CDPRODUTO, NRLOTEESTQ, DTVALILOTE, DTENTRLOTE) VALUES (:P, :L, :V, :E)",
            {{"P", product},
             {"L", s.lot},
             {"V", s.validForDays ? engine::Value(engine::date_time::toIso(today + *s.validForDays))
                                  : engine::Value()},
             {"E", engine::date_time::toIso(today - s.enteredDaysAgo)}});
      db->execute(
          "INSERT INTO POSESTOQUE (CDFILIAL, CDPRODUTO, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE,"
          " SGUNIDADE, QTESTOQUE) VALUES (:F, :P, :A, :C, :L, :S, :U, :Q) ON CONFLICT (CDFILIAL, CDPRODUTO,"
          " CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE) DO UPDATE SET QTESTOQUE = :Q",
          {{"F", branch},
           {"P", product},
           {"A", s.warehouse},
           {"C", s.location},
           {"L", s.lot},
           {"S", *s.lot ? "01" : ""},
           {"U", itemText("SGUNIDADE")},
           {"Q", s.quantity}});
    }
  }

  bool propose() {
    CallLog::take();
    return h_.screen().handle([this] { h_.screen().click(h_.screen().sbtProporLotes); });
  }
  // The item's rows: warehouse, location, lot, quantity.
  Lines itemRows() {
    Lines out;
    TfrmLiquidaItem& s = h_.screen();
    s.handle([&] {
      for (rows().first(); !rows().eof(); rows().next())
        out.push_back(text("CDALMOXARIFE") + " " + text("CDLOCALESTOQ") + " " + text("NRLOTEESTQ") + " " +
                      typed(number("QTEXP")));
    });
    return out;
  }
  void expectReleased() const {
    EXPECT_EQ(h_.screen().showavi.depth(), 0);
    EXPECT_FALSE(h_.toolkit.window && h_.toolkit.window->locked);
    EXPECT_EQ(rows().state(), engine::DataSetState::Browse);
  }

  double ordered_ = 0;
};

TEST_F(LotProposal, TakesEarliestValidityFirstSplitsAcrossLotsAndNeverAnExpiredOne) {
  onFreshItem("0001");
  layOut({{"ALM01", "LC0101", "PX-VENCIDO", ordered_ * 10, -1},
          {"ALM01", "LC0201", "PX-SEMVALID", ordered_ * 10, std::nullopt},
          {"ALM02", "DC0001", "PX-MES", ordered_ * 10, 30},
          {"ALM01", "LC0102", "PX-HOJE", 2, 0}});
  ASSERT_TRUE(s().sbtProporLotes.usable());
  ASSERT_TRUE(propose());
  EXPECT_EQ(itemRows(),
            (Lines{"ALM01 LC0102 PX-HOJE " + typed(2), "ALM02 DC0001 PX-MES " + typed(ordered_ - 2)}));
  EXPECT_EQ(messages(), Lines{});
  // One look-up for the list, then each row's own checks; nothing changes on the server.
  const std::vector<std::string> methods = CallLog::take();
  EXPECT_GT(methods.size(), 1u);
  for (const std::string& method : methods) EXPECT_EQ(method, "GetPosEstq");
  expectReleased();
}

TEST_F(LotProposal, ShortStockTellsHowMuchIsMissingAndKeepsTheRows) {
  onFreshItem("0001");
  layOut({{"ALM01", "LC0101", "PX-A", 1, 5}, {"ALM01", "LC0102", "PX-B", ordered_ - 4.5, 9}});
  ASSERT_TRUE(propose());
  EXPECT_EQ(itemRows(),
            (Lines{"ALM01 LC0101 PX-A " + typed(1), "ALM01 LC0102 PX-B " + typed(ordered_ - 4.5)}));
  EXPECT_EQ(messages(), Lines{"erro: Estoque insuficiente: faltam 3,500 " + itemText("SGUNIDADE") +
                              " para o item " + itemText("NRITEMPED") + "."});
  expectReleased();
}

// The operator's own row counts: its quantity is not proposed again and,
// lots in use, its position is not taken a second time.
TEST_F(LotProposal, TheItemsRowsAlreadyThereAreTakenIntoAccount) {
  onFreshItem("0001");
  layOut({{"ALM01", "LC0101", "PX-A", ordered_ * 10, 1}, {"ALM01", "LC0102", "PX-B", ordered_ * 10, 2}});
  ASSERT_TRUE(include());
  ASSERT_TRUE(pick("CDALMOXARIFE", 1));
  ASSERT_TRUE(type("QTEXP", "1"));
  ASSERT_TRUE(post());
  messages();
  ASSERT_TRUE(propose());
  EXPECT_EQ(itemRows(), (Lines{"ALM01 LC0101 PX-A " + typed(1), "ALM01 LC0102 PX-B " + typed(ordered_ - 1)}));
  // Covered: nothing more is proposed.
  ASSERT_TRUE(propose());
  EXPECT_EQ(itemRows().size(), 2u);
  EXPECT_EQ(messages(), Lines{});
}

// A position that loses its stock between the look-up and its row's checks:
// the check refuses that row, the rows before it stay.
TEST_F(LotProposal, ARefusalHalfWayStopsThereAndKeepsTheRowsPostedBefore) {
  onFreshItem("0001");
  layOut({{"ALM01", "LC0101", "PX-A", 2, 1}, {"ALM02", "DC0001", "PX-B", ordered_ * 10, 2}});
  bool emptied = false;
  proxy.rewrite("GetPosEstq", [&](std::string body) {
    if (!emptied)
      sql::open(server.info().database)
          ->execute("UPDATE POSESTOQUE SET QTESTOQUE = 0 WHERE NRLOTEESTQ = 'PX-B'");
    emptied = true;
    return body;
  });
  EXPECT_FALSE(propose());
  EXPECT_EQ(itemRows(), Lines{"ALM01 LC0101 PX-A " + typed(2)});
  EXPECT_EQ(messages(), Lines{"erro: Almoxarifado não cadastrado ou sem quantidade disponível."});
  expectReleased();
}

// What one item holds of a lot on the screen is not offered to another item
// of the product; an expired lot is refused when its row is posted.
TEST_F(LotProposal, APickedLotOffersWhatTheScreensRowsLeaveOfIt) {
  onFreshItem("0001");
  layOut({{"ALM01", "LC0101", "PX-A", ordered_, 30}, {"ALM01", "LC0102", "PX-VENCIDO", 10, -1}});
  const std::string product = itemText("CDPRODUTO"), first = itemText("NRPEDIDO") + itemText("NRITEMPED");
  ASSERT_TRUE(include());
  ASSERT_TRUE(pick("CDALMOXARIFE", 1));
  ASSERT_TRUE(type("QTEXP", typed(ordered_)));
  ASSERT_TRUE(post());
  auto key = [&] { return itemText("NRPEDIDO") + itemText("NRITEMPED"); };
  ASSERT_TRUE(onItem([&] { return key() != first && !itemHasRows(); }));
  const std::string second = key();
  const engine::DataSet& item = s().cdsItemPedido;
  sql::open(server.info().database)
      ->execute(
          "UPDATE ITEMPEDIDO SET CDPRODUTO = :P WHERE CDFILIAL = :F AND NRPEDIDO = :N AND NRITEMPED = :I",
          {{"P", product},
           {"F", item.field("CDFILIAL").asString()},
           {"N", item.field("NRPEDIDO").asString()},
           {"I", item.field("NRITEMPED").asString()}});
  ASSERT_TRUE(onItem([&] { return key() == second; }));
  ASSERT_EQ(itemText("CDPRODUTO"), product);
  ASSERT_TRUE(include());
  ASSERT_TRUE(pick("CDALMOXARIFE", 1));
  EXPECT_EQ(text("NRLOTEESTQ"), "PX-A");
  EXPECT_EQ(number("QTDISPONIVEL"), 0);
  ASSERT_TRUE(type("QTEXP", "1"));
  messages();
  EXPECT_FALSE(post());
  EXPECT_EQ(messages(), Lines{"erro: A Qtde. a Liquidar informada não está disponível."});

  ASSERT_TRUE(pick("CDALMOXARIFE", 2));
  ASSERT_TRUE(type("QTEXP", "1"));
  messages();
  EXPECT_FALSE(post());
  EXPECT_EQ(messages(), Lines{"erro: O Lote informado está com a data de validade vencida."});
  EXPECT_EQ(focus(), "NRLOTEESTQ");
}

TEST_F(LotProposal, WithoutLotsItGoesByWarehouseOnly) {
  onFreshItem("0002");
  layOut({{"ALM02", "", "", ordered_ * 10, std::nullopt}, {"ALM01", "", "", 1.25, std::nullopt}});
  ASSERT_TRUE(propose());
  EXPECT_EQ(itemRows(), (Lines{"ALM01   " + typed(1.25), "ALM02   " + typed(ordered_ - 1.25)}));
  EXPECT_EQ(messages(), Lines{});
}

TEST_F(LotProposal, OfferedWhereARowMayBeIncludedAndHiddenWhereStockDoesNotMove) {
  onFreshItem("0001");
  EXPECT_TRUE(s().sbtProporLotes.usable() && s().mnuProporLotes.usable());
  ASSERT_TRUE(include());
  EXPECT_FALSE(s().sbtProporLotes.enabled() || s().mnuProporLotes.enabled());
  ASSERT_TRUE(cancel());
  EXPECT_TRUE(s().sbtProporLotes.enabled());
  ASSERT_TRUE(s().handle([&] {
    s().setFocus(s().dbgItemPedido);
    s().habilita("");
  }));
  EXPECT_FALSE(s().sbtProporLotes.enabled());

  onBranch("0003");
  EXPECT_FALSE(s().sbtProporLotes.visible() || s().mnuProporLotes.visible());
  EXPECT_FALSE(s().sbtIncluir.enabled());
  ASSERT_TRUE(propose());
  EXPECT_TRUE(CallLog::take().empty());
}

// The order of the positions, where the screen tests cannot lay it out
// cheaply: ties on validity go by entry date, then by the keys.
TEST(LotProposalPlan, TiesGoByEntryDateThenKeysAndAValidUntilTodayLotIsTaken) {
  const double today = 46000;
  std::vector<CandidatePosition> positions = {
      {.warehouse = "B", .validUntil = today, .enteredOn = 10, .available = 1, .source = 0},
      {.warehouse = "A", .validUntil = today, .enteredOn = 10, .available = 1, .source = 1},
      {.warehouse = "C", .validUntil = today, .enteredOn = 5, .available = 1, .source = 2},
      {.warehouse = "D", .validUntil = today + 0.5, .available = 1, .source = 3},  // later the same day
      {.warehouse = "E", .validUntil = today - 1, .available = 100, .source = 4},
      {.warehouse = "F", .available = 0.0004, .source = 5},  // nothing, at the quantities' precision
      {.warehouse = "G", .available = 100, .source = 6}};
  const ProposalPlan plan = planLotProposal(positions, 4.5, today);
  std::vector<std::size_t> order;
  for (const ProposedTake& t : plan.takes) order.push_back(t.source);
  EXPECT_EQ(order, (std::vector<std::size_t>{2, 1, 0, 3, 6}));
  EXPECT_DOUBLE_EQ(plan.takes.back().quantity, 0.5);
  EXPECT_EQ(plan.missing, 0);
  EXPECT_DOUBLE_EQ(planLotProposal(positions, 200, today).missing, 96);
}

}  // namespace
}  // namespace ped::core::testing
