// Loading and reloading orders and items with the last confirmed query,
// against the demo server.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/allocation_packet.h"
#include "core/filter_steps.h"
#include "core/orders/marking_state.h"
#include "domain/status_codes.h"
#include "hostlib/consiste.h"
#include "support/demo_server.h"
#include "support/fault_proxy.h"

namespace ped::core::testing {
namespace {

using Lines = std::vector<std::string>;

class OrderLoading : public ::testing::Test {
 protected:
  // The screen talks to the server through the proxy.
  OrderLoading() { h_.vantora.context().webPort = proxy_.port(); }
  // Chooses the branch; the filter dialog that opens is confirmed with every order.
  TfrmLiquidaItem& onBranch(const std::string& branch) { return openOnBranch(h_, branch); }
  bool reload() {
    TfrmLiquidaItem& s = h_.screen();
    return s.handle([&] { s.sbtVerificarClick(); });
  }
  // Calls of `method` since the proxy started.
  long called(const std::string& method) const {
    const std::vector<std::string> calls = proxy_.calls();
    return std::count(calls.begin(), calls.end(), method);
  }
  // Before the harness: the screen hangs up before the proxy stops.
  ped::testing::FaultProxy proxy_{ped::testing::demoServer().port};
  ScreenHarness h_;
};

TEST_F(OrderLoading, ReloadingStandsOnTheFirstOrderAndOnlyTheFirstScrollFetchesItems) {
  TfrmLiquidaItem& s = onBranch("0003");
  EXPECT_TRUE(boEvento);
  marking.orderMarkChanged(domain::mark::Unmarked, domain::mark::Marked);  // left from another list
  ASSERT_TRUE(reload());
  // Items fetched inside the reload; the unmarkable ones asked for after it.
  const Lines twoCalls = {"aguarde: 6", "aguarde: fim", "aguarde: 6", "aguarde: fim"};
  EXPECT_EQ(h_.host.take(), twoCalls);
  ASSERT_GE(s.cdsPedido.recordCount(), 3u);
  EXPECT_EQ(s.cdsPedido.recNo(), 1u);
  EXPECT_EQ(marking.markedOrders(), 0);
  EXPECT_FALSE(boEvento);
  const std::string first = s.cdsPedido.field("NRPEDIDO").asString();
  EXPECT_EQ(s.lblNome.caption(), s.cdsPedido.field("NMFANTCLIE").asString());
  EXPECT_EQ(s.cdsPedido.field("DsPedido").asString(), first + " - " + s.lblNome.caption());
  ASSERT_TRUE(s.cdsItemPedido.active());
  EXPECT_EQ(s.cdsItemPedido.field("NRPEDIDO").asString(), first);
  EXPECT_TRUE(s.tshItemPedido.enabled());

  // On the orders page, moving on fetches nothing, and a reload goes back to the first order.
  s.handle([&] { s.cdsPedido.next(); });
  s.handle([&] { s.cdsPedido.next(); });
  EXPECT_EQ(h_.host.take(), Lines{});
  EXPECT_EQ(s.cdsItemPedido.field("NRPEDIDO").asString(), first);
  ASSERT_EQ(s.cdsPedido.recNo(), 3u);
  ASSERT_TRUE(reload());
  EXPECT_EQ(s.cdsPedido.recNo(), 1u);
  EXPECT_EQ(s.cdsPedido.field("NRPEDIDO").asString(), first);
  h_.host.take();

  // The item page fetches the current order's items, and a reload there keeps the order.
  s.handle([&] { s.cdsPedido.next(); });
  s.handle([&] { s.cdsPedido.next(); });
  const std::string third = s.cdsPedido.field("NRPEDIDO").asString();
  ASSERT_TRUE(s.handle([&] { s.pgcPadrao.choosePage(s.tshItemPedido); }));
  EXPECT_EQ(s.dtsPadrao, &s.cdsItemPedido);
  EXPECT_EQ(s.cdsItemPedido.field("NRPEDIDO").asString(), third);
  h_.host.take();
  ASSERT_TRUE(reload());
  EXPECT_EQ(s.cdsPedido.field("NRPEDIDO").asString(), third);
  EXPECT_EQ(s.cdsItemPedido.field("NRPEDIDO").asString(), third);
  EXPECT_EQ(h_.host.take(), twoCalls);

  s.handle([&] { s.pgcPadrao.choosePage(s.tshPadrao); });
  EXPECT_EQ(s.dtsPadrao, &s.cdsPedido);
}

TEST_F(OrderLoading, TheClientCaptionTakesTheColourOfTheOrderStatus) {
  TfrmLiquidaItem& s = onBranch("0003");
  ASSERT_TRUE(reload());
  const std::map<std::string, std::uint32_t> colours = {
      {"2", 0x808000u}, {"3", 0x808080u}, {"5", 0x800080u}, {"6", 0x008080u}};
  std::set<std::string> seen;
  for (s.cdsPedido.first(); !s.cdsPedido.eof(); s.cdsPedido.next()) {
    const std::string status = s.cdsPedido.field("IDSITPEDIDO").asString();
    seen.insert(status);
    EXPECT_EQ(s.lblNome.fontColor(), colours.at(status)) << status;
  }
  EXPECT_GE(seen.size(), 3u);
  // A status the screen does not know keeps the colour it had.
  s.cdsPedido.first();
  const std::uint32_t before = s.lblNome.fontColor();
  s.cdsPedido.next();
  s.cdsPedido.edit();
  s.cdsPedido.field("IDSITPEDIDO").setString("4");
  s.cdsPedido.post();
  s.cdsPedido.first();
  s.cdsPedido.next();
  EXPECT_EQ(s.cdsPedido.field("IDSITPEDIDO").asString(), "4");
  EXPECT_EQ(s.lblNome.fontColor(), before);
}

TEST_F(OrderLoading, AllocationRowsAndColumnsFollowTheBranchParameters) {
  TfrmLiquidaItem& s = onBranch("0001");
  ASSERT_TRUE(reload()) << ::testing::PrintToString(h_.host.take());
  ASSERT_TRUE(s.cdsEvolEst.active());
  EXPECT_TRUE(s.panEvolEstq.visible());
  for (const auto& c : s.dbgLiqEst.columns) EXPECT_TRUE(c.visible) << c.fieldName;

  // On the item page the allocation rows are the current item's.
  s.handle([&] { s.pgcPadrao.choosePage(s.tshItemPedido); });
  ASSERT_FALSE(s.cdsItemPedido.isEmpty());
  EXPECT_EQ(s.cdsEvolEst.filter(), "CDFILIAL = '0001' AND NRPEDIDO = '" +
                                       s.cdsItemPedido.field("NRPEDIDO").asString() + "' AND NRITEMPED = '" +
                                       s.cdsItemPedido.field("NRITEMPED").asString() + "'");
  for (s.cdsEvolEst.first(); !s.cdsEvolEst.eof(); s.cdsEvolEst.next())
    EXPECT_EQ(s.cdsEvolEst.field("NRITEMPED").asString(), s.cdsItemPedido.field("NRITEMPED").asString());
  // A quote inside a value is doubled, not taken for the end of the text.
  s.cdsItemPedido.edit();
  s.cdsItemPedido.field("NRITEMPED").setString("1'2");
  s.cdsItemPedido.post();
  s.cdsItemPedidoAfterScroll();
  EXPECT_NE(s.cdsEvolEst.filter().find("NRITEMPED = '1''2'"), std::string::npos);
  EXPECT_TRUE(s.cdsEvolEst.isEmpty());

  // Warehouses only; and a branch that moves no stock hides the panel.
  s.handle([&] { s.pgcPadrao.choosePage(s.tshPadrao); });
  h_.toolkit.inFilter = [](TfrmFiltroLiquidaItem& f) { everyOrder(f, "0002"); };
  h_.enterBranchField();
  h_.typeBranch("0002");
  h_.leaveBranchField();
  ASSERT_TRUE(reload());
  // The branch change closed the item list: after the reload no item's rows
  // show, not those of the item last seen.
  EXPECT_EQ(s.cdsEvolEst.filter().find("1''2"), std::string::npos) << s.cdsEvolEst.filter();
  EXPECT_TRUE(s.cdsEvolEst.isEmpty());
  s.cdsEvolEst.setFiltered(false);
  EXPECT_FALSE(s.cdsEvolEst.isEmpty());
  s.cdsEvolEst.setFiltered(true);
  auto visible = [&](const char* field) {
    return s.dbgLiqEst.columns[hostlib::consiste::IndiceCol(s.dbgLiqEst, field)].visible;
  };
  EXPECT_TRUE(visible("CDALMOXARIFE"));
  EXPECT_FALSE(visible("CDLOCALESTOQ"));
  EXPECT_FALSE(visible("NRLOTEESTQ"));
  EXPECT_FALSE(visible("NRSUBLOTE"));
  EXPECT_FALSE(s.cdsPesqEvolEst.field("NRLOTEESTQ").visible());

  h_.toolkit.inFilter = [](TfrmFiltroLiquidaItem& f) { everyOrder(f, "0003"); };
  h_.enterBranchField();
  h_.typeBranch("0003");
  h_.leaveBranchField();
  const long asked = called("GetEvolEstq");
  ASSERT_TRUE(reload());
  EXPECT_FALSE(s.panEvolEstq.visible());
  EXPECT_EQ(called("GetEvolEstq"), asked);  // not asked again
}

TEST_F(OrderLoading, LiquidatedAndCancelledItemsLoseTheirMark) {
  TfrmLiquidaItem& s = onBranch("0003");
  ASSERT_TRUE(reload());
  s.handle([&] { s.pgcPadrao.choosePage(s.tshItemPedido); });
  bool found = false;
  for (s.cdsPedido.first(); !s.cdsPedido.eof() && !found; s.cdsPedido.next()) {
    int unmarkable = 0;
    for (s.cdsItemPedido.first(); !s.cdsItemPedido.eof(); s.cdsItemPedido.next()) {
      const std::string st = s.cdsItemPedido.field("IDSITITEMPED").asString();
      const bool closed = st == "4" || st == "5";
      EXPECT_EQ(s.cdsItemPedido.field("IDCHECK").asString().empty(), closed) << st;
      unmarkable += closed;
    }
    EXPECT_EQ(marking.unmarkableItems(), unmarkable);
    found = unmarkable > 0;
  }
  EXPECT_TRUE(found) << "the demo data has liquidated or cancelled items";
}

TEST_F(OrderLoading, ItemTotalsCutTheDiscountToWholeCents) {
  TfrmLiquidaItem& s = onBranch("0003");
  s.cdsItemPedido.open();
  const std::pair<double, double> cases[] = {{1.239, 18.77}, {0.29, 19.71}, {0, 20}};
  for (const auto& [discount, total] : cases) {
    s.cdsItemPedido.append();
    s.cdsItemPedido.field("QTITEMPED").setFloat(2);
    s.cdsItemPedido.field("VRPREUNITPED").setFloat(10);
    s.cdsItemPedido.field("VRDESITPED").setFloat(discount);
    s.cdsItemPedido.post();
    EXPECT_NEAR(s.cdsItemPedido.field("VrTotal").asFloat(), total, 1e-9) << discount;
  }
}

TEST_F(OrderLoading, AFailedReloadShowsTheServersMessageAndKeepsTheLists) {
  TfrmLiquidaItem& s = onBranch("0003");
  ASSERT_TRUE(reload());
  const std::string before = s.cdsPedido.dump("NRPEDIDO");
  h_.host.take();
  s.netLiquidaItem.Close();
  h_.vantora.context().webPort = 1;
  s.netLiquidaItem.Open();
  EXPECT_FALSE(reload());
  const Lines shown = h_.host.take();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[1], "aguarde: fim");
  EXPECT_EQ(shown[2].rfind("erro: ", 0), 0u) << shown[2];
  EXPECT_EQ(s.cdsPedido.dump("NRPEDIDO"), before);
}

TEST_F(OrderLoading, EveryFailureMessageShowsWithTheIndicatorWhollyDown) {
  // The first order's items fail to come while the filter's query loads it.
  proxy_.fail("GetItem", "Pedido em uso por outro operador.");
  h_.toolkit.inFilter = [&](TfrmFiltroLiquidaItem& f) { act(h_, [&] { f.sbtConfirmaClick(); }); };
  h_.open();
  h_.enterBranchField();
  h_.leaveBranchField();
  TfrmLiquidaItem& s = h_.screen();
  EXPECT_EQ(h_.host.take(), (Lines{"aguarde: 6", "aguarde: fim", "aguarde: 6", "aguarde: fim",
                                   "erro: Pedido em uso por outro operador."}));
  EXPECT_EQ(s.showavi.depth(), 0);
  EXPECT_EQ(h_.toolkit.filterCloseRequests, 0);

  // An order packet that lacks a field changes nothing.
  proxy_.heal();
  everyOrder(*frmFiltroLiquidaItem, "0001");
  ASSERT_TRUE(reload());
  const std::string before = s.cdsPedido.dump("NRPEDIDO");
  h_.host.take();
  proxy_.rewrite("GetPedidos",
                 [](std::string body) { return ped::testing::replaced(body, "NMFANTCLIE", "NMFANTASIA"); });
  EXPECT_FALSE(reload());
  EXPECT_EQ(h_.host.take(), (Lines{"aguarde: 6", "aguarde: fim",
                                   "erro: Resposta inválida do servidor de aplicação para GetPedidos."}));
  EXPECT_EQ(s.cdsPedido.dump("NRPEDIDO"), before);
  EXPECT_EQ(s.showavi.depth(), 0);
}

TEST_F(OrderLoading, AFailedAllocationQueryIsPassedOverByTheFilterAndEndsAReload) {
  proxy_.fail("GetEvolEstq", "Estoque em recálculo.");
  h_.toolkit.inFilter = [&](TfrmFiltroLiquidaItem& f) {
    loadAllocationRows(h_.screen().cdsEvolEst, {{{"NRPEDIDO", "antes"}}});
    act(h_, [&] { f.sbtConfirmaClick(); });
  };
  h_.open();
  h_.enterBranchField();
  h_.leaveBranchField();
  TfrmLiquidaItem& s = h_.screen();
  EXPECT_EQ(h_.host.take(), (Lines{"aguarde: 6", "aguarde: fim", "aguarde: 6", "aguarde: fim",
                                   "erro: Estoque em recálculo."}));
  EXPECT_EQ(h_.toolkit.filterCloseRequests, 1);
  EXPECT_TRUE(s.tshItemPedido.enabled());  // habilita("F") with the orders listed
  EXPECT_TRUE(s.panEvolEstq.visible());    // Habilita_Evol_Estq ran
  auto keptRows = [&] {
    s.cdsEvolEst.setFiltered(false);
    const std::string rows = s.cdsEvolEst.dump("NRPEDIDO");
    s.cdsEvolEst.setFiltered(true);
    return rows;
  };
  const std::string kept = keptRows();
  EXPECT_NE(kept.find("antes"), std::string::npos) << kept;

  // A reload ends at the failure: the orders are new, the rows stay and the
  // allocation panel is not set again.
  s.panEvolEstq.setVisible(false);
  EXPECT_FALSE(reload());
  EXPECT_EQ(h_.host.take(), (Lines{"aguarde: 6", "aguarde: fim", "erro: Estoque em recálculo."}));
  EXPECT_EQ(keptRows(), kept);
  EXPECT_FALSE(s.panEvolEstq.visible());

  // A failure of another kind while they load is passed over by the filter too.
  proxy_.heal();
  s.cdsEvolEst.events.afterOpen = [](engine::DataSet&) { throw std::runtime_error("visão de estoque"); };
  reopen(h_, [&](TfrmFiltroLiquidaItem& f) { act(h_, [&] { f.sbtConfirmaClick(); }); });
  EXPECT_EQ(h_.host.take(), (Lines{"aguarde: 6", "aguarde: fim", "erro: Erro inesperado: visão de estoque"}));
  EXPECT_EQ(h_.toolkit.filterCloseRequests, 2);
}

TEST_F(OrderLoading, AFailedItemReloadKeepsTheOrderAndTakesTheIndicatorDown) {
  TfrmLiquidaItem& s = onBranch("0003");
  ASSERT_TRUE(reload());
  s.handle([&] { s.cdsPedido.next(); });
  const std::string second = s.cdsPedido.field("NRPEDIDO").asString();
  ASSERT_TRUE(s.handle([&] { s.pgcPadrao.choosePage(s.tshItemPedido); }));
  h_.host.take();
  proxy_.fail("GetItem", "Pedido bloqueado.");
  EXPECT_FALSE(reload());
  EXPECT_EQ(h_.host.take(), (Lines{"aguarde: 6", "aguarde: fim", "erro: Pedido bloqueado."}));
  EXPECT_EQ(s.cdsPedido.field("NRPEDIDO").asString(), second);
  EXPECT_EQ(s.showavi.depth(), 0);
}

TEST_F(OrderLoading, AQueryWithoutOrdersLeavesNoClientInTheCaption) {
  TfrmLiquidaItem& s = onBranch("0003");
  ASSERT_TRUE(reload());
  ASSERT_NE(s.lblNome.caption(), "");
  frmFiltroLiquidaItem->stTNrPedido.clear();
  frmFiltroLiquidaItem->stLNrPedido = "9999999999";
  ASSERT_TRUE(reload());
  EXPECT_TRUE(s.cdsPedido.isEmpty());
  EXPECT_EQ(s.lblNome.caption(), "");
}

}  // namespace
}  // namespace ped::core::testing
