// Marking whole orders as the operator does it, against the demo server:
// the click on an order, the mark title, the space bar, the pop-up entries
// and the unmarking, with the counters and the operation they leave.
//
// Branch 0003 moves no stock (no allocation check); its orders, in list
// order: 1001 "3", 1002 "2", 1003 "6", 1004 "2", 1005 "2", 1006 "6",
// 1007 "5", 1008 "3", 1009 "2". Branch 0001 moves stock.

#include <algorithm>

#include "core/marking_steps.h"
#include "core/orders/marking_state.h"
#include "core/orders/order_marks.h"
#include "support/demo_server.h"
#include "support/fault_proxy.h"

namespace ped::core::testing {
namespace {

std::string order(int n) { return "000000" + std::to_string(n); }

class OrderMarking : public MarkingTest {
 protected:
  // Calls pass through a proxy that can make GetItem fail. It outlives every
  // screen of the process.
  static ped::testing::FaultProxy& proxy() {
    static ped::testing::FaultProxy p(ped::testing::demoServer().port);
    return p;
  }
  OrderMarking() {
    proxy().heal();
    h_.vantora.context().webPort = proxy().port();
  }

  bool clickOn(int n, const char* field = "IDCHECK") { return toOrder(order(n)) && clickOrder(field); }
  // The marks of the orders `numbers` (in list order), as orderMarks shows them.
  Lines marksOf(std::initializer_list<int> numbers) const {
    Lines out;
    for (const std::string& line : orderMarks())
      for (int n : numbers)
        if (line.starts_with(order(n))) out.push_back(line);
    return out;
  }
  std::string counters() const { return markingState(); }
  std::string itemsShown() const {
    return s().cdsItemPedido.active() ? s().cdsItemPedido.field("NRPEDIDO").asString() : "";
  }
  HeadlessWindow& window() const { return *h_.toolkit.window; }
  // The window unlocked, the indicator down and the list's controls enabled.
  void settled() const {
    EXPECT_FALSE(window().locked);
    EXPECT_EQ(window().locks, window().unlocks);
    EXPECT_EQ(s().showavi.depth(), 0);
    EXPECT_FALSE(s().cdsPedido.controlsDisabled());
  }
  long getItemCalls() const {
    const std::vector<std::string> calls = proxy().calls();
    return std::count(calls.begin(), calls.end(), std::string("GetItem"));
  }
};

TEST_F(OrderMarking, AClickBlocksTheOtherKindAndUnmarkingTheLastOneReleasesIt) {
  listOrders("0003");
  s().edtCdJust.setText("01");
  s().edtDsJust.setText("Motivo");
  ASSERT_TRUE(clickOn(1002));
  EXPECT_EQ(s().edtCdJust.text() + s().edtDsJust.text(), "");
  EXPECT_EQ(marksOf({1002, 1003, 1007, 1008}),
            (Lines{"0000001002 2 S", "0000001003 6 N", "0000001007 5 B", "0000001008 3 -"}));
  // The item list shown, and counted, is the last blocked order's.
  EXPECT_EQ(counters(), "pedidos=1/5/1 itens=0/1/2 op=liquidar pedidos");
  EXPECT_EQ(itemsShown(), order(1007));
  EXPECT_EQ(currentOrder(), order(1002));
  EXPECT_EQ(window().locks, 1);
  settled();

  // A second one of the same kind blocks nothing more.
  ASSERT_TRUE(clickOn(1004));
  EXPECT_EQ(counters(), "pedidos=2/4/1 itens=0/1/2 op=liquidar pedidos");
  // Unmarking one of two releases nothing; the pass marks again the items
  // of the marked order after it.
  ASSERT_TRUE(clickOn(1002));
  EXPECT_EQ(marksOf({1002, 1004, 1007}), (Lines{"0000001002 2 N", "0000001004 2 S", "0000001007 5 B"}));
  EXPECT_EQ(counters(), "pedidos=1/5/1 itens=2/0/0 op=liquidar pedidos");
  EXPECT_EQ(itemsShown(), order(1004));
  EXPECT_EQ(itemMarks(), (Lines{"1 1 S", "2 3 S"}));
  // The last one releases the other kind.
  ASSERT_TRUE(clickOn(1004));
  for (const std::string& line : orderMarks())
    EXPECT_TRUE(line.ends_with(line.find(" 3 ") != std::string::npos ? " -" : " N")) << line;
  EXPECT_EQ(counters(), "pedidos=0/7/0 itens=0/1/2 op=nenhuma");
  EXPECT_EQ(currentOrder(), order(1004));
  settled();
}

TEST_F(OrderMarking, SettledOrdersTakeNoMarkAndOtherClicksOnlyMarkItemsAgain) {
  listOrders("0003");
  // Settled by the automatic flow: no operation takes it, no gesture marks it.
  ASSERT_TRUE(clickOn(1001));
  ASSERT_TRUE(keyOrders());
  EXPECT_EQ(marksOf({1001, 1007}), (Lines{"0000001001 3 -", "0000001007 5 N"}));
  EXPECT_EQ(marking.markedOrders(), 0);

  // 1003 marked; its items then replaced by the blocked order's. A click on
  // another column of an order before it fetches and marks 1003's again.
  ASSERT_TRUE(clickOn(1003));
  EXPECT_EQ(itemsShown(), order(1007));
  ASSERT_TRUE(clickOn(1002, "NRPEDIDO"));
  EXPECT_EQ(itemsShown(), order(1003));
  EXPECT_EQ(counters(), "pedidos=1/5/1 itens=4/0/1 op=liquidar pedidos");
  EXPECT_EQ(currentOrder(), order(1002));
  // A click on a blocked order changes no mark and starts the pass there.
  ASSERT_TRUE(clickOn(1003, "NRPEDIDO"));
  ASSERT_TRUE(clickOn(1007));
  EXPECT_EQ(marksOf({1003, 1007}), (Lines{"0000001003 6 S", "0000001007 5 B"}));
  EXPECT_EQ(counters(), "pedidos=1/5/1 itens=4/0/1 op=liquidar pedidos");
  EXPECT_EQ(window().locks, 6);
  settled();
}

TEST_F(OrderMarking, TheCascadeMarksTheOrdersItemsButLiquidatedAndCancelledOnes) {
  listOrders("0003", "6");
  ASSERT_TRUE(clickOn(1003));
  ASSERT_EQ(itemsShown(), order(1003));
  const Lines items = itemMarks();
  ASSERT_EQ(items.size(), 5u);
  for (const std::string& line : items) {
    const bool closed = line.find(" 4 ") != std::string::npos || line.find(" 5 ") != std::string::npos;
    EXPECT_TRUE(line.ends_with(closed ? " -" : " S")) << line;
  }
  EXPECT_EQ(counters(), "pedidos=1/1/0 itens=4/0/1 op=liquidar pedidos");
}

TEST_F(OrderMarking, TheTitleOpensThePopUpOnAMixedListAndOtherwiseMarksOrClearsAll) {
  listOrders("0003");
  // Nothing marked, both kinds listed: the operator chooses.
  ASSERT_TRUE(titleOrders());
  ASSERT_TRUE(keyOrders(true));
  EXPECT_EQ(window().popups, (Lines{"ppmPedidoCompleto", "ppmPedidoCompleto"}));
  ASSERT_TRUE(titleOrders("NRPEDIDO"));
  EXPECT_EQ(window().popups.size(), 2u);

  toOrder(order(1004));
  ASSERT_TRUE(choose(s().mnuLiqPedido));
  EXPECT_EQ(orderMarks(),
            (Lines{"0000001001 3 -", "0000001002 2 S", "0000001003 6 S", "0000001004 2 S", "0000001005 2 S",
                   "0000001006 6 S", "0000001007 5 B", "0000001008 3 -", "0000001009 2 S"}));
  EXPECT_EQ(counters(), "pedidos=6/0/1 itens=6/0/0 op=liquidar pedidos");
  EXPECT_EQ(currentOrder(), order(1004));

  // Every order of the kind marked, the other blocked, the settled ones
  // inert: the title clears all in one repaint; the first order current.
  std::vector<engine::DataSetNotice> notices;
  const int listener = s().cdsPedido.addListener([&](engine::DataSetNotice n) {
    if (n != engine::DataSetNotice::StateChanged) notices.push_back(n);
  });
  const int locks = window().locks;
  ASSERT_TRUE(keyOrders(true));
  s().cdsPedido.removeListener(listener);
  EXPECT_EQ(notices, std::vector<engine::DataSetNotice>{engine::DataSetNotice::DataChanged});
  EXPECT_EQ(window().locks, locks + 1);
  EXPECT_EQ(marksOf({1001, 1002, 1007, 1008}),
            (Lines{"0000001001 3 -", "0000001002 2 N", "0000001007 5 N", "0000001008 3 -"}));
  EXPECT_EQ(counters(), "pedidos=0/7/0 itens=0/6/0 op=nenhuma");
  EXPECT_EQ(currentOrder(), order(1001));
  // Nothing marked on a mixed list again: the operator chooses again, the
  // two kinds never marked together.
  ASSERT_TRUE(titleOrders());
  EXPECT_EQ(window().popups.size(), 3u);
  settled();
}

TEST_F(OrderMarking, MarkAllOnOneKindAndTheSpaceBarWhateverColumn) {
  listOrders("0003", "26");
  ASSERT_TRUE(titleOrders());
  EXPECT_TRUE(window().popups.empty());
  for (const std::string& line : orderMarks()) EXPECT_TRUE(line.ends_with(" S")) << line;
  EXPECT_EQ(counters(), "pedidos=6/0/0 itens=6/0/0 op=liquidar pedidos");
  EXPECT_EQ(currentOrder(), order(1002));

  // Space on the current order, the cursor in another column.
  s().dbgPadrao.selectedColumn = 1;
  toOrder(order(1005));
  ASSERT_TRUE(keyOrders());
  EXPECT_EQ(marksOf({1004, 1005}), (Lines{"0000001004 2 S", "0000001005 2 N"}));
  EXPECT_EQ(marking.markedOrders(), 5);
  EXPECT_FALSE(boTeclado);
  // Other keys leave the marks alone.
  ASSERT_TRUE(keyOrders(false, 'A'));
  EXPECT_EQ(marking.markedOrders(), 5);
}

TEST_F(OrderMarking, ExclusionFromThePopUpMarksTheReversibleOnesAndBlocksTheRest) {
  listOrders("0003");
  ASSERT_TRUE(choose(s().mnuExclu));
  EXPECT_EQ(orderMarks(),
            (Lines{"0000001001 3 -", "0000001002 2 B", "0000001003 6 B", "0000001004 2 B", "0000001005 2 B",
                   "0000001006 6 B", "0000001007 5 S", "0000001008 3 -", "0000001009 2 B"}));
  EXPECT_EQ(counters(), "pedidos=1/0/6 itens=1/0/2 op=excluir pedidos");
  // Deschecar on the order page unmarks; blocked orders stay.
  ASSERT_TRUE(s().handle([&] { s().Deschecar(); }));
  EXPECT_EQ(marksOf({1002, 1007}), (Lines{"0000001002 2 B", "0000001007 5 N"}));
  EXPECT_EQ(marking.markedOrders(), 0);
  EXPECT_EQ(marking.blockedOrders(), 6);
  EXPECT_FALSE(s().cdsItemPedido.field("VrTotal").isNull());
  settled();
}

TEST_F(OrderMarking, AllBlockedTheTitleDoesNothingAndAFreshListIsCountedAgain) {
  listOrders("0003");
  s().handle([&] {
    for (s().cdsPedido.first(); !s().cdsPedido.eof(); s().cdsPedido.next()) assignOrderMark(s(), "B");
  });
  EXPECT_EQ(marking.blockedOrders(), 9);
  ASSERT_TRUE(titleOrders());
  EXPECT_TRUE(window().popups.empty());
  EXPECT_EQ(marksOf({1002}), Lines{"0000001002 2 B"});
  // The reloaded orders come unmarked: the title works again.
  ASSERT_TRUE(s().handle([&] { s().sbtVerificarClick(); }));
  EXPECT_EQ(marking.blockedOrders(), 0);
  ASSERT_TRUE(titleOrders());
  EXPECT_EQ(window().popups, Lines{"ppmPedidoCompleto"});
}

TEST_F(OrderMarking, ARefusedStockCheckKeepsTheMarkAndMarkAllRollsBack) {
  listOrders("0001", "2");  // 1001 1002 1003 1008 1010 1014 1015 1020
  const std::vector<std::string> all = {order(1001), order(1002), order(1003), order(1008),
                                        order(1010), order(1014), order(1015), order(1020)};
  engine::DataSet items;
  itemsOf("0001", order(1001), items);
  const std::string first = items.field("NRITEMPED").asString();
  itemsOf("0001", order(1003), items);
  const std::string refused = items.field("NRITEMPED").asString();
  // A second row of an item of 1003 makes its total differ.
  const AllocationRow extraUnit = {{"CDFILIAL", "0001"},   {"NRPEDIDO", order(1003)},
                                   {"NRITEMPED", refused}, {"CDALMOXARIFE", "ALM01"},
                                   {"NRLOTEESTQ", "X"},    {"QTEXP", 1.0}};
  AllocationRow expired = {{"CDFILIAL", "0001"},      {"NRPEDIDO", order(1001)}, {"NRITEMPED", first},
                           {"CDALMOXARIFE", "ALM01"}, {"NRLOTEESTQ", "VENCIDO"}, {"QTEXP", 0.0}};
  expired.emplace_back("DTVALILOTE", h_.clock.today() - 1);
  allocateWhole("0001", all, {expired, extraUnit});
  messages();
  EXPECT_FALSE(clickOn(1001));
  EXPECT_EQ(messages(), Lines{"erro: O Lote informado está com a data de validade vencida."});
  EXPECT_EQ(marksOf({1001}), Lines{"0000001001 2 N"});
  EXPECT_EQ(marking.markedOrders(), 0);
  settled();

  // Without the expired lot, 1001 and 1002 pass and 1003 is refused: the
  // marks go back as they were before the title, 1010 marked before kept.
  s().pgcPadrao.choosePage(s().tshPadrao);
  allocateWhole("0001", all, {extraUnit});
  ASSERT_TRUE(clickOn(1010));
  EXPECT_EQ(marking.markedOrders(), 1);
  toOrder(order(1014));
  messages();
  EXPECT_FALSE(titleOrders());
  EXPECT_EQ(messages(), Lines{"erro: Quantidade total a liquidar deve ser igual à quantidade pedida."});
  for (const std::string& line : orderMarks())
    EXPECT_TRUE(line.ends_with(line.starts_with(order(1010)) ? " S" : " N")) << line;
  EXPECT_EQ(marking.markedOrders(), 1);
  EXPECT_EQ(currentOrder(), order(1003));
  EXPECT_EQ(stSelNrPedido, order(1003));
  // The refused item stays in view.
  EXPECT_TRUE(s().pgcPadrao.isActive(s().tshItemPedido));
  EXPECT_EQ(itemsShown(), order(1003));
  EXPECT_EQ(currentItem(), refused);
  settled();
}

TEST_F(OrderMarking, AFailingItemFetchAbortsWithTheIndicatorDownAndTheWindowUnlocked) {
  listOrders("0003");
  proxy().fail("GetItem", "Pedido em uso por outro operador.");
  messages();
  EXPECT_FALSE(clickOn(1002));
  EXPECT_EQ(messages(), Lines{"erro: Pedido em uso por outro operador."});
  EXPECT_EQ(marksOf({1002}), Lines{"0000001002 2 N"});
  settled();
  proxy().heal();

  // When the walk's item fetch at its end brings an unreadable answer,
  // every mark, block and count is put back as it was before the gesture.
  const auto failFetches = [&] { proxy().rewrite("GetItem", [](std::string) { return std::string("{"); }); };
  const Lines before = orderMarks();
  const std::string countsBefore = counters();
  failFetches();
  EXPECT_FALSE(choose(s().mnuLiqPedido));
  EXPECT_EQ(orderMarks(), before);
  EXPECT_EQ(counters(), countsBefore);
  EXPECT_EQ(countsBefore.substr(0, 15), "pedidos=0/7/0 i");
  proxy().heal();
  ASSERT_TRUE(clickOn(1002));
  const Lines one = orderMarks();
  const std::string countsOne = counters();
  failFetches();
  EXPECT_FALSE(titleOrders());
  EXPECT_EQ(orderMarks(), one);
  EXPECT_EQ(counters(), countsOne);
  EXPECT_EQ(countsOne.substr(0, 15), "pedidos=1/5/1 i");
  EXPECT_EQ(s().cdsPedido.state(), engine::DataSetState::Browse);
  settled();
}

TEST_F(OrderMarking, ClearAllWhoseLastItemFetchFailsStillCountsWhatItUnmarked) {
  listOrders("0003", "26");
  ASSERT_TRUE(titleOrders());
  ASSERT_EQ(marking.markedOrders(), 6);
  proxy().fail("GetItem", "Servidor ocupado.");
  messages();
  EXPECT_FALSE(titleOrders());
  EXPECT_EQ(messages(), Lines{"erro: Servidor ocupado."});
  for (const std::string& line : orderMarks()) EXPECT_TRUE(line.ends_with(" N")) << line;
  EXPECT_EQ(marking.markedOrders(), 0);
  EXPECT_FALSE(s().sbtConfirmar.enabled());
  settled();
}

// The same gestures on one list, reading the items order by order and
// batched, leave the same screen behind and say the same things, on every
// demo branch: blocks and releases, the pop-up, the pass that marks items
// again, mark all with its stock check and its refusal, clear all.
// Marking changes nothing on the server: no changing calls to compare.
TEST_F(OrderMarking, BatchedItemReadsLeaveTheSameScreen) {
  for (const std::string branch : {"0001", "0002", "0003"}) {
    SCOPED_TRACE(branch);
    listOrders(branch);
    std::vector<std::string> all, liquidable, reversible;
    for (const std::string& line : orderMarks()) {
      const std::string number = line.substr(0, 10), status = line.substr(11, 1);
      all.push_back(number);
      if (status == "2" || status == "6") liquidable.push_back(number);
      if (status == "5") reversible.push_back(number);
    }
    ASSERT_GE(liquidable.size(), 3u);
    ASSERT_FALSE(reversible.empty());
    engine::DataSet items;
    itemsOf(branch, liquidable[2], items);
    const AllocationRow extraUnit = {{"CDFILIAL", branch},
                                     {"NRPEDIDO", liquidable[2]},
                                     {"NRITEMPED", items.field("NRITEMPED").asString()},
                                     {"CDALMOXARIFE", "ALM01"},
                                     {"NRLOTEESTQ", "X"},
                                     {"QTEXP", 1.0}};
    const auto run = [&](bool batch) {
      s().batchItemReads = batch;
      Lines screen;
      const auto look = [&](const char* step, bool done) {
        screen.push_back(std::string(step) + (done ? "" : " recusado"));
        for (std::string& line : orderMarks()) screen.push_back(std::move(line));
        for (const std::string& line : itemMarks()) screen.push_back("item " + line);
        for (std::string& line : messages()) screen.push_back(std::move(line));
        screen.push_back(counters() + " sel=" + stSelNrPedido + " nrItem=" + stNrItemPed +
                         " repos=" + reposicionar + " pedido " + currentOrder() + " item " + currentItem() +
                         " itens de " + itemsShown() + " confirmar " +
                         (s().sbtConfirmar.enabled() ? "S" : "N") + " cliente " + s().lblNome.caption());
        settled();
      };
      const auto reload = [&](std::vector<AllocationRow> extra) {
        s().pgcPadrao.choosePage(s().tshPadrao);
        stSelNrPedido = stNrItemPed = reposicionar = "";
        EXPECT_TRUE(s().handle([&] { s().sbtVerificarClick(); }));
        allocateWhole(branch, all, std::move(extra));
        messages();
      };
      const std::vector<std::string> before = proxy().calls();
      reload({});
      look("marca", toOrder(liquidable[0]) && clickOrder());  // blocks the reversible ones
      look("desmarca", clickOrder());                         // releases them
      look("menu", toOrder(liquidable[1]) && titleOrders() && choose(s().mnuLiqPedido));
      look("repassa", toOrder(liquidable[0]) && clickOrder());  // the items of the marked ones again
      look("todos", titleOrders());                             // liquidable[0], stock checked
      look("limpa", titleOrders());
      look("bloqueia", toOrder(reversible[0]) && clickOrder());
      look("deschecar", s().handle([&] { s().Deschecar(); }));
      reload({extraUnit});
      look("marca", toOrder(liquidable[0]) && clickOrder());
      look("todos", titleOrders());  // refused at liquidable[2] where stock moves
      long reads = 0;
      for (const std::vector<std::string> after = proxy().calls();
           const std::string& call :
           std::vector<std::string>(after.begin() + static_cast<long>(before.size()), after.end()))
        reads += call == "GetItem" || call == "GetItensPedidos";
      return std::make_pair(screen, reads);
    };
    const auto [batched, batchedReads] = run(true);
    const auto [oneByOne, oneByOneReads] = run(false);
    EXPECT_EQ(batched, oneByOne);
    EXPECT_LT(batchedReads, oneByOneReads);
  }
}

}  // namespace
}  // namespace ped::core::testing
