// Confirm and cancel while the allocation grid has the focus: the pending
// row is posted or dropped, and nothing is settled.

#include <gtest/gtest.h>

#include "core/allocation_steps.h"

namespace ped::core::testing {
namespace {

using Lines = std::vector<std::string>;

class ConfirmCancelOnGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    showItemsOf(h_, "0001");
    ASSERT_TRUE(goToOpenItemWithRows(s(), 1));
    enterAllocationGrid(h_);
  }
  TfrmLiquidaItem& s() { return h_.screen(); }
  // An item's mark, set as the marking leaves it.
  void markItem() {
    s().cdsItemPedido.edit();
    s().cdsItemPedido.field("IDCHECK").setString("S");
    s().cdsItemPedido.post();
    inContItemPedidoCh = 1;
  }
  ScreenHarness h_;
};

TEST_F(ConfirmCancelOnGrid, ConfirmPostsTheRowAndReloadsTheItemsWithoutSettlingAnything) {
  const std::string order = s().cdsPedido.field("NRPEDIDO").asString();
  const std::string item = s().cdsItemPedido.field("NRITEMPED").asString();
  const std::string status = s().cdsItemPedido.field("IDSITITEMPED").asString();
  s().cdsEvolEst.first();
  const std::string rows = s().cdsEvolEst.dump();
  markItem();
  s().click(s().sbtAlterar);
  ASSERT_EQ(s().cdsEvolEst.state(), engine::DataSetState::Edit);
  s().habilita("");
  h_.host.take();

  s().click(s().sbtConfirmar);
  EXPECT_EQ(s().cdsEvolEst.state(), engine::DataSetState::Browse);
  for (const std::string& line : h_.host.take())
    EXPECT_TRUE(line.starts_with("aguarde: 6") || line == "aguarde: fim") << line;  // loads, no confirmation
  // The items came again from the server: the mark is gone, the status is the same.
  EXPECT_EQ(s().cdsPedido.field("NRPEDIDO").asString(), order);
  ASSERT_TRUE(s().cdsItemPedido.locate("NRITEMPED", {engine::Value(item)}));
  EXPECT_NE(s().cdsItemPedido.field("IDCHECK").asString(), "S");
  EXPECT_EQ(s().cdsItemPedido.field("IDSITITEMPED").asString(), status);
  EXPECT_EQ(inContItemPedidoCh, 0);
  s().cdsEvolEst.first();
  EXPECT_EQ(s().cdsEvolEst.dump(), rows);  // the item's rows, as they were posted
}

TEST_F(ConfirmCancelOnGrid, CancelDropsThePendingRowKeepsTheMarksAndAsksFirst) {
  const std::size_t rows = s().cdsEvolEst.recordCount();
  markItem();
  s().click(s().sbtIncluir);
  ASSERT_TRUE(act(h_, [&] { s().typeLiqEstCell(columnOf(s(), "QTEXP"), "4"); }));
  s().edtCdJust.setText("01");
  h_.host.take();

  h_.host.answer(false);
  s().click(s().sbtCancelar);
  EXPECT_EQ(h_.host.take(), (Lines{"pergunta: Cancelar operação? -> Não"}));
  EXPECT_EQ(s().cdsEvolEst.state(), engine::DataSetState::Insert);

  h_.host.answer(true);
  s().click(s().mnuCancelar);
  EXPECT_EQ(s().cdsEvolEst.state(), engine::DataSetState::Browse);
  EXPECT_EQ(s().cdsEvolEst.recordCount(), rows);
  EXPECT_EQ(s().dbgLiqEst.selectedField(), "CDALMOXARIFE");  // where the cursor was
  EXPECT_FALSE(s().dbgLiqEst.editing());
  EXPECT_EQ(s().edtCdJust.text(), "");
  EXPECT_EQ(s().cdsItemPedido.field("IDCHECK").asString(), "S");
  EXPECT_EQ(inContItemPedidoCh, 1);
  EXPECT_TRUE(s().tshPadrao.enabled() && s().tshItemPedido.enabled());
  EXPECT_FALSE(s().tshJustExcl.enabled());
}

}  // namespace
}  // namespace ped::core::testing
