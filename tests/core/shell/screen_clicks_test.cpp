// The main screen's buttons and menu entries as the operator uses them:
// Procurar over the list of the page in use, and the page entries.

#include <gtest/gtest.h>

#include "core/filter_steps.h"

namespace ped::core::testing {
namespace {

using Lines = std::vector<std::string>;

class ScreenClicks : public ::testing::Test {
 protected:
  // Every order of `branch` listed, as after a confirmed filter.
  TfrmLiquidaItem& listed(const std::string& branch) {
    h_.toolkit.inFilter = [branch](TfrmFiltroLiquidaItem& f) { everyOrder(f, branch); };
    h_.open();
    h_.typeBranch(branch);
    h_.leaveBranchField();
    TfrmLiquidaItem& s = h_.screen();
    EXPECT_TRUE(s.handle([&] { s.sbtVerificarClick(); }));
    h_.host.take();
    return s;
  }
  Lines click(hostlib::Control& c) {
    h_.screen().handle([&] { h_.screen().click(c); });
    return h_.host.take();
  }
  static std::string at(const engine::DataSet& ds, std::size_t row, const char* field) {
    return ds.displayTextAt(row, ds.field(field).index());
  }
  ScreenHarness h_;
};

TEST_F(ScreenClicks, ProcurarMakesTheChosenRowOfThePageInUseCurrentAndLeavingChangesNothing) {
  TfrmLiquidaItem& s = listed("0003");
  ASSERT_GE(s.cdsPedido.recordCount(), 3u);
  ASSERT_TRUE(s.sbtProcurar.enabled() && s.mnuProcurar.enabled());
  h_.host.chooseRowNumber(3);
  EXPECT_EQ(click(s.sbtProcurar), Lines{"pesquisa: Pedidos -> 3"});
  EXPECT_EQ(s.cdsPedido.field("NRPEDIDO").asString(), at(s.cdsPedido, 2, "NRPEDIDO"));
  EXPECT_EQ(s.lblNome.caption(), at(s.cdsPedido, 2, "NMFANTCLIE"));
  h_.host.leaveSearch();
  EXPECT_EQ(click(s.mnuProcurar), Lines{"pesquisa: Pedidos -> saiu"});
  EXPECT_EQ(s.cdsPedido.recNo(), 3u);

  // On the item page it searches the current order's items.
  click(s.mnuItemPedido);
  const std::size_t items = s.cdsItemPedido.recordCount();
  ASSERT_GE(items, 2u);
  h_.host.chooseRowNumber(items);
  EXPECT_EQ(click(s.sbtProcurar), Lines{"pesquisa: Itens do Pedido -> " + std::to_string(items)});
  EXPECT_EQ(s.cdsItemPedido.recNo(), items);
  EXPECT_EQ(s.cdsPedido.recNo(), 3u);

  // Disabled, it asks nothing (an unexpected search would be an error).
  h_.enterBranchField();
  ASSERT_FALSE(s.sbtProcurar.enabled());
  EXPECT_TRUE(click(s.sbtProcurar).empty());
  EXPECT_TRUE(click(s.mnuProcurar).empty());
}

TEST_F(ScreenClicks, PageEntriesShowTheirPageAndTheOrderEntryFocusesTheOrderGrid) {
  TfrmLiquidaItem& s = listed("0003");
  // The order's items, then the unmarkable ones.
  EXPECT_EQ(click(s.mnuItemPedido), (Lines{"aguarde: 6", "aguarde: fim", "aguarde: 6", "aguarde: fim"}));
  EXPECT_TRUE(s.pgcPadrao.isActive(s.tshItemPedido));
  EXPECT_EQ(s.dtsPadrao, &s.cdsItemPedido);
  EXPECT_TRUE(click(s.mnuItemPedido).empty());  // already showing: nothing fetched again

  s.setFocus(s.dbgItemPedido);
  click(s.mnuPedido);
  EXPECT_TRUE(s.pgcPadrao.isActive(s.tshPadrao));
  EXPECT_EQ(s.dtsPadrao, &s.cdsPedido);
  EXPECT_EQ(s.focused(), &s.dbgPadrao);

  ASSERT_FALSE(s.mnuJustExcl.enabled());
  click(s.mnuJustExcl);
  EXPECT_TRUE(s.pgcPadrao.isActive(s.tshPadrao));
  s.tshJustExcl.setEnabled(true);  // as while orders are marked
  s.mnuJustExcl.setEnabled(true);
  click(s.mnuJustExcl);
  EXPECT_TRUE(s.pgcPadrao.isActive(s.tshJustExcl));
}

}  // namespace
}  // namespace ped::core::testing
