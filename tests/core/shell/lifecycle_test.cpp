// Opening, reopening and closing the main screen as the host does it.

#include <gtest/gtest.h>

#include "core/orders/marking_state.h"
#include "core/screen_harness.h"
#include "domain/status_codes.h"

namespace ped::core::testing {
namespace {

TEST(ScreenLifecycle, OpeningTwiceKeepsOneScreenAndAClosedScreenIsCreatedAnew) {
  ScreenHarness h;
  h.open();
  TfrmLiquidaItem* first = frmLiquidaItem;
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(boIdCriado);
  EXPECT_FALSE(first->primeiraAtivacao());
  EXPECT_TRUE(first->netLiquidaItem.Connected());
  EXPECT_EQ(h.toolkit.waitDepth, 0);

  h.toolkit.window->minimized = true;
  h.open();
  EXPECT_EQ(frmLiquidaItem, first);
  EXPECT_FALSE(h.toolkit.window->minimized);
  EXPECT_EQ(h.toolkit.window->shows, 2);

  // The texts outlive the screen; the filter record does not.
  stSelNrPedido = "0000001001";
  Filtro.boAlta = false;
  first->Close();
  EXPECT_FALSE(boIdCriado);
  EXPECT_FALSE(first->netLiquidaItem.Connected());
  h.toolkit.processEvents();
  EXPECT_EQ(frmLiquidaItem, nullptr);
  EXPECT_EQ(h.toolkit.window, nullptr);

  h.open();
  ASSERT_NE(frmLiquidaItem, nullptr);
  EXPECT_TRUE(frmLiquidaItem->netLiquidaItem.Connected());
  EXPECT_FALSE(frmLiquidaItem->primeiraAtivacao());
  EXPECT_EQ(frmLiquidaItem->medCdFilial.text(), "0001");
  EXPECT_EQ(frmLiquidaItem->edtNmFilial.text(), "Matriz São Paulo");
  EXPECT_EQ(stSelNrPedido, "0000001001");
  EXPECT_TRUE(Filtro.boAlta);
}

TEST(ScreenLifecycle, BranchBindingDecidesTheBranchControlsAndTheFilterOnFirstActivation) {
  {
    ScreenHarness bound(kGerente, true);
    int hourglassInFilter = -1;
    bound.toolkit.inFilter = [&](TfrmFiltroLiquidaItem&) { hourglassInFilter = bound.toolkit.waitDepth; };
    bound.open();
    EXPECT_EQ(hourglassInFilter, 0);  // the operator is not kept waiting under it
    TfrmLiquidaItem& s = bound.screen();
    for (hostlib::Control* c : {&s.lblFilial, &s.medCdFilial, static_cast<hostlib::Control*>(&s.btnFilial)}) {
      EXPECT_FALSE(c->enabled()) << c->name();
      EXPECT_EQ(c->tag(), 99) << c->name();
    }
    EXPECT_EQ(bound.toolkit.filterShowings, 1);
    // Back from another window: the filter is not opened again.
    bound.toolkit.window->deactivate();
    bound.toolkit.window->activate();
    bound.open();
    EXPECT_EQ(bound.toolkit.filterShowings, 1);
    EXPECT_GE(bound.toolkit.window->repaints, 2);
    // Left without a query, the filter can still be opened again.
    EXPECT_TRUE(s.sbtFiltro.enabled());
    // A new screen has its first activation again.
    s.Close();
    bound.toolkit.processEvents();
    bound.open();
    EXPECT_EQ(bound.toolkit.filterShowings, 2);
  }
  ScreenHarness free;
  free.open();
  TfrmLiquidaItem& s = free.screen();
  for (hostlib::Control* c : {&s.lblFilial, &s.medCdFilial, static_cast<hostlib::Control*>(&s.btnFilial)}) {
    EXPECT_TRUE(c->enabled()) << c->name();
    EXPECT_EQ(c->tag(), 0) << c->name();
  }
  EXPECT_EQ(free.toolkit.filterShowings, 0);
  EXPECT_FALSE(s.sbtFiltro.enabled());
  EXPECT_FALSE(s.mnuFiltrar.enabled());
}

TEST(ScreenLifecycle, BoundToTheHostsBranchTheOperatorsSellerIsReadBeforeTheFilter) {
  {
    ScreenHarness bound(kVendedor, true);
    bool sellerLocked = false;
    bound.toolkit.inFilter = [&](TfrmFiltroLiquidaItem& f) { sellerLocked = !f.grbVendedor.enabled(); };
    bound.open();
    EXPECT_EQ(bound.toolkit.filterShowings, 1);
    EXPECT_TRUE(sellerLocked);
  }
  ScreenHarness bound(kSemVendedor, true);
  bound.open();
  EXPECT_EQ(bound.host.take(),
            (std::vector<std::string>{"aguarde: 6", "aguarde: fim",
                                      "erro: Não há vendedor parametrizado para o operador logado."}));
  EXPECT_EQ(bound.toolkit.filterShowings, 0);
  bound.toolkit.processEvents();
  EXPECT_EQ(frmLiquidaItem, nullptr);
}

TEST(ScreenLifecycle, PrintAsksTheHostForTheReportScreen) {
  ScreenHarness h;
  h.open();
  h.screen().handle([&] { h.screen().sbtImprimirClick(); });
  EXPECT_EQ(h.host.take(), std::vector<std::string>{"tela: PED01100 M"});
}

TEST(ScreenLifecycle, UnloadingWithTheScreenOpenReleasesItAndTheFilterDialog) {
  auto h = std::make_unique<ScreenHarness>(kGerente, true);
  h->open();
  ASSERT_NE(frmFiltroLiquidaItem, nullptr);
  h.reset();
  EXPECT_EQ(frmLiquidaItem, nullptr);
  EXPECT_EQ(frmFiltroLiquidaItem, nullptr);
  EXPECT_FALSE(boIdCriado);
}

TEST(ScreenData, ItemsFromTheServerShowTheirProductCodeInTheHostsMaskAndStartUnmarked) {
  ScreenHarness h;
  h.open();
  TfrmLiquidaItem& s = h.screen();
  marking.itemMarkChanged(domain::mark::Unmarked, domain::mark::Marked);
  const hostlib::RemoteResult r = s.netLiquidaItem.call("GetItem", {"0003", "0000001001"});
  ASSERT_TRUE(r.ok) << r.error;
  s.cdsItemPedido.loadPacket(*r.at(0));
  ASSERT_FALSE(s.cdsItemPedido.isEmpty());
  EXPECT_EQ(marking.markedItems(), 0);
  const std::string stored = s.cdsItemPedido.field("CDARVPROD").asString();
  ASSERT_EQ(stored.size(), 7u) << stored;  // the demo's codes have no literals
  EXPECT_EQ(s.cdsItemPedido.field("CDARVPROD").displayText(),
            stored.substr(0, 2) + "." + stored.substr(2, 2) + "." + stored.substr(4));
  s.cdsItemPedido.emptyDataSet();
  std::string none = "0101001";
  s.cdsItemPedidoCDARVPRODGetText(none);
  EXPECT_EQ(none, "");
}

}  // namespace
}  // namespace ped::core::testing
