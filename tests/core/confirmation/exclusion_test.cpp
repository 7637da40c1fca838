// Exclusion of a liquidation by hand: the items go back to their status
// before it, no stock comes back, and the screen shows the item page.

#include "core/confirmation/confirmation_steps.h"
#include "core/orders/marking_state.h"

namespace ped::core::testing {
namespace {

class Exclusion : public ConfirmationTest {};

TEST_F(Exclusion, TwoMarkedOrdersMakeOneCallEachAndGiveNoStockBack) {
  listOrders("0001");
  const std::string stock = one("SELECT SUM(QTESTOQUE) || ' ' || COUNT(*) FROM POSESTOQUE");
  const std::string moves = one("SELECT COUNT(*) FROM MOVESTOQUE");
  for (const char* order : {"0000001004", "0000001007"}) {
    ASSERT_TRUE(toOrder(order));
    ASSERT_TRUE(clickOrder());
  }
  // A click that changes no mark leaves the operation as the marks say.
  ASSERT_TRUE(toOrder("0000001004") && clickOrder("NMFANTCLIE"));
  justify("0007");
  watchMessages();
  h_.host.take();

  ASSERT_TRUE(confirm({true}));
  EXPECT_EQ(messages(),
            (Lines{"pergunta: Esta operação excluirá a liquidação do(s) pedido(s) selecionado(s). "
                   "Deseja continuar? -> Sim"}));
  expectReleased();
  EXPECT_EQ(calls("SetDesfazLiq").size(), 2u);
  // Only the items liquidated by hand go back, each to its status before.
  EXPECT_EQ(
      rows("SELECT NRPEDIDO, NRITEMPED, IDSITITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO "
           "IN ('0000001004', '0000001007') ORDER BY NRPEDIDO, NRITEMPED"),
      (Lines{"0000001004 1 1", "0000001004 2 5", "0000001007 1 1", "0000001007 2 4"}));
  EXPECT_EQ(
      rows("SELECT NRPEDIDO, CDOPERADOR, CDJUSTEXCHIS FROM HISTLIQMAN WHERE IDOPERACAO = 'E' ORDER BY 1"),
      (Lines{"0000001004 GERENTE 0007", "0000001007 GERENTE 0007"}));
  EXPECT_EQ(one("SELECT SUM(QTESTOQUE) || ' ' || COUNT(*) FROM POSESTOQUE"), stock);
  EXPECT_EQ(one("SELECT COUNT(*) FROM MOVESTOQUE"), moves);

  // The item page of the order the operator was on, usable; the orders
  // read again with their new statuses and no mark.
  EXPECT_TRUE(s().pgcPadrao.isActive(s().tshItemPedido));
  EXPECT_TRUE(s().tshItemPedido.enabled());
  EXPECT_EQ(currentOrder(), "0000001004");
  EXPECT_EQ(itemMarks(), (Lines{"1 1 N", "2 5 -"}));
  EXPECT_TRUE(marked("0000001004 2 N"));
  EXPECT_TRUE(marked("0000001007 6 N"));
  EXPECT_EQ(marking.markedOrders(), 0);
  EXPECT_EQ(s().edtCdJust.text(), "");
}

// A liquidated item marked on a branch without stock and on one that moves
// it: it goes back, its order's other items stay, no stock comes back.
struct ExcludedItem {
  const char* branch;
  const char* order;
  const char* item;
  std::vector<std::string> others;  // NRITEMPED and status of the order's other items, unchanged
};

class ItemExclusion : public ConfirmationTest, public ::testing::WithParamInterface<ExcludedItem> {};

INSTANTIATE_TEST_SUITE_P(
    Branches, ItemExclusion,
    ::testing::Values(ExcludedItem{"0003", "0000001003", "3", {"1 4", "2 3", "4 1", "5 1"}},
                      ExcludedItem{"0001", "0000001017", "1", {"2 4", "3 3", "4 1"}}),
    [](const auto& info) { return std::string("Filial") + info.param.branch; });

TEST_P(ItemExclusion, TheMarkedItemGoesBackAndTheOthersStayAsTheyWere) {
  const ExcludedItem& p = GetParam();
  listOrders(p.branch);
  const std::string stock = one("SELECT SUM(QTESTOQUE) FROM POSESTOQUE");
  const std::string moves = one("SELECT COUNT(*) FROM MOVESTOQUE");
  ASSERT_TRUE(toOrder(p.order));
  ASSERT_TRUE(toItem(p.item));
  ASSERT_TRUE(clickItem());
  justify("0002");
  watchMessages();
  h_.host.take();

  ASSERT_TRUE(confirm({true}));
  EXPECT_EQ(messages(), (Lines{"pergunta: Esta operação excluirá a liquidação do(s) item(s) selecionado(s). "
                               "Deseja continuar? -> Sim"}));
  expectReleased();
  const std::string order = std::string("CDFILIAL = '") + p.branch + "' AND NRPEDIDO = '" + p.order + "'";
  EXPECT_EQ(rows("SELECT NRITEMPED, IDSITITEMPED FROM ITEMPEDIDO WHERE " + order + " AND NRITEMPED <> '" +
                 p.item + "' ORDER BY NRITEMPED"),
            p.others);
  EXPECT_NE(one("SELECT IDSITITEMPED FROM ITEMPEDIDO WHERE " + order + " AND NRITEMPED = '" + p.item + "'"),
            "6");
  EXPECT_EQ(one("SELECT SUM(QTESTOQUE) FROM POSESTOQUE"), stock);
  EXPECT_EQ(one("SELECT COUNT(*) FROM MOVESTOQUE"), moves);
  EXPECT_TRUE(s().pgcPadrao.isActive(s().tshItemPedido));
  for (const std::string& row : itemMarks()) EXPECT_FALSE(row.ends_with(" S")) << row;
  EXPECT_EQ(marking.markedItems(), 0);
  EXPECT_EQ(s().edtCdJust.text(), "");
}

}  // namespace
}  // namespace ped::core::testing
