// Loading and reloading orders and items with the last confirmed query,
// against the demo server.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/filter_steps.h"
#include "hostlib/consiste.h"

namespace ped::core::testing {
namespace {

using Lines = std::vector<std::string>;

class OrderLoading : public ::testing::Test {
 protected:
  // Chooses the branch; the filter dialog that opens is confirmed with every order.
  TfrmLiquidaItem& onBranch(const std::string& branch) {
    h_.toolkit.inFilter = [branch](TfrmFiltroLiquidaItem& f) { everyOrder(f, branch); };
    h_.open();
    h_.enterBranchField();
    h_.typeBranch(branch);
    h_.leaveBranchField();
    h_.host.take();
    return h_.screen();
  }
  bool reload() {
    TfrmLiquidaItem& s = h_.screen();
    return s.handle([&] { s.sbtVerificarClick(); });
  }
  ScreenHarness h_;
};

TEST_F(OrderLoading, ReloadingStandsOnTheFirstOrderAndOnlyTheFirstScrollFetchesItems) {
  TfrmLiquidaItem& s = onBranch("0003");
  EXPECT_TRUE(boEvento);
  inContPedidoCh = 4;
  ASSERT_TRUE(reload());
  EXPECT_EQ(h_.host.take(), (Lines{"aguarde: 6", "aguarde: fim"}));  // items fetched inside the reload
  ASSERT_GE(s.cdsPedido.recordCount(), 3u);
  EXPECT_EQ(s.cdsPedido.recNo(), 1u);
  EXPECT_EQ(inContPedidoCh, 0);
  EXPECT_FALSE(boEvento);
  const std::string first = s.cdsPedido.field("NRPEDIDO").asString();
  EXPECT_EQ(s.lblNome.caption(), s.cdsPedido.field("NMFANTCLIE").asString());
  EXPECT_EQ(s.cdsPedido.field("DsPedido").asString(), first + " - " + s.lblNome.caption());
  ASSERT_TRUE(s.cdsItemPedido.active());
  EXPECT_EQ(s.cdsItemPedido.field("NRPEDIDO").asString(), first);
  EXPECT_TRUE(s.tshItemPedido.enabled());

  // On the orders page, moving on fetches nothing.
  s.handle([&] { s.cdsPedido.next(); });
  EXPECT_EQ(h_.host.take(), Lines{});
  EXPECT_EQ(s.cdsItemPedido.field("NRPEDIDO").asString(), first);

  // The item page fetches the current order's items, and a reload there keeps the order.
  s.handle([&] { s.cdsPedido.next(); });
  const std::string third = s.cdsPedido.field("NRPEDIDO").asString();
  ASSERT_TRUE(s.handle([&] { s.pgcPadrao.choosePage(s.tshItemPedido); }));
  EXPECT_EQ(sttshUltimate, "ITEMPEDIDO");
  EXPECT_EQ(s.dtsPadrao, &s.cdsItemPedido);
  EXPECT_EQ(s.cdsItemPedido.field("NRPEDIDO").asString(), third);
  h_.host.take();
  ASSERT_TRUE(reload());
  EXPECT_EQ(s.cdsPedido.field("NRPEDIDO").asString(), third);
  EXPECT_EQ(s.cdsItemPedido.field("NRPEDIDO").asString(), third);
  EXPECT_EQ(h_.host.take(), (Lines{"aguarde: 6", "aguarde: fim"}));

  s.handle([&] { s.pgcPadrao.choosePage(s.tshPadrao); });
  EXPECT_EQ(sttshUltimate, "PEDIDO");
  EXPECT_EQ(s.dtsPadrao, &s.cdsPedido);
}

TEST_F(OrderLoading, TheClientCaptionTakesTheColourOfTheOrderStatus) {
  TfrmLiquidaItem& s = onBranch("0003");
  ASSERT_TRUE(reload());
  const std::map<std::string, std::uint32_t> colours = {
      {"2", 0x808000u}, {"3", 0x800080u}, {"5", 0x800080u}, {"6", 0x008080u}};
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
  auto visible = [&](const char* field) { return s.dbgLiqEst.columns[hostlib::consiste::IndiceCol(s.dbgLiqEst, field)].visible; };
  EXPECT_TRUE(visible("CDALMOXARIFE"));
  EXPECT_FALSE(visible("CDLOCALESTOQ"));
  EXPECT_FALSE(visible("NRLOTEESTQ"));
  EXPECT_FALSE(visible("NRSUBLOTE"));
  EXPECT_FALSE(s.cdsPesqEvolEst.field("NRLOTEESTQ").visible());

  const std::size_t rows = s.cdsEvolEst.recordCount();
  h_.toolkit.inFilter = [](TfrmFiltroLiquidaItem& f) { everyOrder(f, "0003"); };
  h_.enterBranchField();
  h_.typeBranch("0003");
  h_.leaveBranchField();
  ASSERT_TRUE(reload());
  EXPECT_FALSE(s.panEvolEstq.visible());
  EXPECT_EQ(s.cdsEvolEst.recordCount(), rows);  // not asked again
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
    EXPECT_EQ(inContDesabilitadosIPed, unmarkable);
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

}  // namespace
}  // namespace ped::core::testing
