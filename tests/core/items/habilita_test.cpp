// Which controls the operator can use, from the marks, the page and the
// allocation rows.

#include <gtest/gtest.h>

#include "core/allocation_packet.h"
#include "core/orders/marking_state.h"
#include "core/screen_harness.h"
#include "domain/status_codes.h"

namespace ped::core::testing {
namespace {

using hostlib::Control;

// The marking's counts as `orders` marked orders and `items` marked items
// leave them: the enabling reads nothing else of the marks.
void marked(int orders, int items) {
  marking.clear();
  for (int i = 0; i < orders; ++i) marking.orderMarkChanged(domain::mark::Unmarked, domain::mark::Marked);
  for (int i = 0; i < items; ++i) marking.itemMarkChanged(domain::mark::Unmarked, domain::mark::Marked);
}

class Habilita : public ::testing::Test {
 protected:
  void SetUp() override {
    h_.open();
    s_ = &h_.screen();
  }
  void rows(engine::DataSet& ds, std::initializer_list<const char*> statuses, const char* statusField) {
    ds.open();
    for (const char* st : statuses) {
      ds.append();
      ds.field(statusField).setString(st);
      ds.post();
    }
  }
  void expectEnabled(std::initializer_list<const Control*> on, std::initializer_list<const Control*> off) {
    for (const Control* c : on) EXPECT_TRUE(c->enabled()) << c->name();
    for (const Control* c : off) EXPECT_FALSE(c->enabled()) << c->name();
  }
  // The menu entries take their controls' state.
  void expectMenusFollow() {
    TfrmLiquidaItem& s = *s_;
    const std::pair<const Control*, const Control*> pairs[] = {
        {&s.mnuVerificar, &s.sbtVerificar},   {&s.mnuProcurar, &s.sbtProcurar},
        {&s.mnuFiltrar, &s.sbtFiltro},        {&s.mnuPedido, &s.tshPadrao},
        {&s.mnuItemPedido, &s.tshItemPedido}, {&s.mnuCancelar, &s.sbtCancelar},
        {&s.mnuConfirmar, &s.sbtConfirmar},   {&s.mnuJustExcl, &s.tshJustExcl},
        {&s.mnuIncluir, &s.sbtIncluir},       {&s.mnuAlterar, &s.sbtAlterar},
        {&s.mnuExcluir, &s.sbtExcluir}};
    for (const auto& [menu, control] : pairs) EXPECT_EQ(menu->enabled(), control->enabled()) << menu->name();
  }
  // On the item page with the allocation grid in use, the current item of
  // status `itemStatus`, with `allocations` rows.
  void onAllocationGrid(const char* itemStatus, int allocations) {
    TfrmLiquidaItem& s = *s_;
    rows(s.cdsPedido, {"2"}, "IDSITPEDIDO");
    rows(s.cdsItemPedido, {itemStatus}, "IDSITITEMPED");
    loadAllocationRows(s.cdsEvolEst, std::vector<AllocationRow>(allocations, {{"QTEXP", 1.0}}));
    s.tshItemPedido.setEnabled(true);
    s.pgcPadrao.setActivePage(s.tshItemPedido);
    ASSERT_TRUE(s.setFocus(s.dbgLiqEst));
  }

  ScreenHarness h_;
  TfrmLiquidaItem* s_ = nullptr;
};

TEST_F(Habilita, OneMarkedOrderAllowsOnlyConfirmCancelAndTheJustification) {
  TfrmLiquidaItem& s = *s_;
  rows(s.cdsPedido, {"2", "6"}, "IDSITPEDIDO");
  marked(1, marking.markedItems());
  s.habilita("");
  expectEnabled({&s.sbtConfirmar, &s.sbtCancelar, &s.tshJustExcl},
                {&s.sbtFiltro, &s.sbtVerificar, &s.sbtProcurar, &s.tshItemPedido, &s.lblFilial,
                 &s.medCdFilial, &s.btnFilial, &s.dbnPadrao, &s.sbtIncluir, &s.sbtAlterar, &s.sbtExcluir});
  expectMenusFollow();
  EXPECT_TRUE(s.mnuPedido.checked());

  marked(0, marking.markedItems());
  s.habilita("");
  expectEnabled(
      {&s.sbtFiltro, &s.sbtVerificar, &s.sbtProcurar, &s.tshItemPedido, &s.medCdFilial, &s.dbnPadrao},
      {&s.sbtConfirmar, &s.sbtCancelar, &s.tshJustExcl});
  expectMenusFollow();
}

TEST_F(Habilita, AnEmptyOrderListBringsBackTheOrderPageWithOnlyTheFilter) {
  TfrmLiquidaItem& s = *s_;
  s.cdsPedido.open();
  s.tshItemPedido.setEnabled(true);
  s.pgcPadrao.setActivePage(s.tshItemPedido);
  marked(0, marking.markedItems());
  s.habilita("F");
  EXPECT_TRUE(s.pgcPadrao.isActive(s.tshPadrao));
  expectEnabled({&s.sbtFiltro}, {&s.sbtVerificar, &s.sbtProcurar, &s.tshItemPedido});
  expectMenusFollow();
  EXPECT_TRUE(s.mnuPedido.checked());
  EXPECT_FALSE(s.mnuItemPedido.checked());
}

TEST_F(Habilita, OnTheItemPageTheItemMarksDecideAndOrderOnlyStatesStay) {
  TfrmLiquidaItem& s = *s_;
  rows(s.cdsPedido, {"2"}, "IDSITPEDIDO");
  rows(s.cdsItemPedido, {"2", "3"}, "IDSITITEMPED");
  s.tshItemPedido.setEnabled(true);
  s.pgcPadrao.setActivePage(s.tshItemPedido);
  marked(marking.markedOrders(), 2);
  s.habilita("");
  expectEnabled({&s.sbtConfirmar, &s.sbtCancelar, &s.tshJustExcl, &s.tshItemPedido},
                {&s.sbtFiltro, &s.sbtVerificar, &s.sbtProcurar, &s.tshPadrao, &s.medCdFilial, &s.dbnPadrao});
  expectMenusFollow();
  EXPECT_TRUE(s.mnuItemPedido.checked());
  EXPECT_FALSE(s.mnuPedido.checked());
}

// "F" adds the order rules to any page, and the item rules still have the
// last word on the item page; the justification page has no rules of its own.
TEST_F(Habilita, TheArgumentFAndTheJustificationPage) {
  TfrmLiquidaItem& s = *s_;
  rows(s.cdsPedido, {"2"}, "IDSITPEDIDO");
  rows(s.cdsItemPedido, {"2"}, "IDSITITEMPED");
  s.tshItemPedido.setEnabled(true);
  s.pgcPadrao.setActivePage(s.tshItemPedido);
  marked(marking.markedOrders(), 1);
  s.habilita("F");
  EXPECT_TRUE(s.pgcPadrao.isActive(s.tshItemPedido));
  expectEnabled({&s.tshItemPedido, &s.sbtConfirmar, &s.tshJustExcl}, {&s.sbtFiltro, &s.tshPadrao});

  s.tshJustExcl.setEnabled(true);
  s.pgcPadrao.setActivePage(s.tshJustExcl);
  s.habilita("");  // nothing but the allocation buttons and the menus
  expectEnabled({&s.sbtConfirmar, &s.tshItemPedido}, {&s.sbtFiltro, &s.sbtIncluir});
  EXPECT_TRUE(s.mnuJustExcl.checked());
  marked(marking.markedOrders(), 0);
  marked(1, marking.markedItems());
  s.habilita("F");  // the order rules, and no item rules after them
  expectEnabled({&s.sbtConfirmar, &s.tshJustExcl}, {&s.sbtFiltro, &s.tshItemPedido, &s.sbtVerificar});
  expectMenusFollow();

  // Showing the items while marks wait for their justification fetches nothing.
  h_.host.take();
  s.pgcPadrao.setActivePage(s.tshItemPedido);
  s.pgcPadraoChange();
  EXPECT_EQ(s.dtsPadrao, &s.cdsPedido);
  EXPECT_TRUE(h_.host.take().empty());
}

TEST_F(Habilita, EditingAnAllocationRowLocksEverythingButConfirmAndCancel) {
  TfrmLiquidaItem& s = *s_;
  onAllocationGrid("2", 1);
  marked(marking.markedOrders(), 0);
  s.cdsEvolEst.edit();
  s.habilita("");
  expectEnabled({&s.sbtConfirmar, &s.sbtCancelar},
                {&s.sbtVerificar, &s.dbgItemPedido, &s.tshPadrao, &s.sbtIncluir, &s.sbtAlterar, &s.sbtExcluir,
                 &s.sbtFiltro, &s.sbtProcurar, &s.tshJustExcl, &s.medCdFilial});
  expectMenusFollow();
  s.cdsEvolEst.cancel();
  s.habilita("");
  expectEnabled({&s.dbgItemPedido, &s.tshPadrao, &s.sbtIncluir, &s.sbtAlterar, &s.sbtExcluir, &s.sbtProcurar},
                {&s.sbtConfirmar, &s.sbtCancelar});
}

TEST_F(Habilita, AllocationRowsCanBeAddedOnlyForOpenItems) {
  TfrmLiquidaItem& s = *s_;
  onAllocationGrid("4", 1);
  s.habilita("");
  expectEnabled({}, {&s.sbtIncluir, &s.sbtAlterar, &s.sbtExcluir});
  s.cdsItemPedido.edit();
  s.cdsItemPedido.field("IDSITITEMPED").setString("3");
  s.cdsItemPedido.post();
  s.habilita("");
  expectEnabled({&s.sbtIncluir, &s.sbtAlterar, &s.sbtExcluir}, {});
  expectMenusFollow();
  s.cdsEvolEst.emptyDataSet();
  s.habilita("");
  expectEnabled({&s.sbtIncluir}, {&s.sbtAlterar, &s.sbtExcluir, &s.sbtProcurar});
}

TEST(HabilitaBound, TheHostsBranchBindingKeepsTheBranchControlsLocked) {
  ScreenHarness bound(kGerente, true);
  bound.open();
  TfrmLiquidaItem& s = bound.screen();
  s.cdsPedido.open();
  for (int orders : {0, 1}) {
    marked(orders, marking.markedItems());
    s.habilita("F");
    for (const Control* c : {&s.lblFilial, &s.medCdFilial}) EXPECT_FALSE(c->enabled()) << c->name();
    EXPECT_FALSE(s.btnFilial.enabled());
  }
}

}  // namespace
}  // namespace ped::core::testing
