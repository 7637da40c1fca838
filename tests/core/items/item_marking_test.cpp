// Marking items in the item grid, and the item pop-up's entries, against the
// demo server: 0001 moves stock (each item is checked against its
// allocation rows), 0003 moves none.

#include "core/marking_steps.h"
#include "core/orders/marking_state.h"
#include "domain/status_codes.h"

namespace ped::core::testing {
namespace {

const char* const kTotalDiffers = "erro: Quantidade total a liquidar deve ser igual à quantidade pedida.";
const char* const kExpiredLot = "erro: O Lote informado está com a data de validade vencida.";

class ItemMarking : public MarkingTest {
 protected:
  // The item page of `order` on `branch`, showing its items of the given
  // statuses (IDSITITEMPED codes), the cursor on its first item.
  void openItems(const std::string& branch, const std::string& order,
                 const std::string& itemStatuses = "1234657") {
    listOrders(branch, "3526", itemStatuses);
    ASSERT_TRUE(toOrder(order));
    ASSERT_TRUE(toItem("1"));
    ASSERT_EQ(messages(), Lines{});
  }
  std::string state() const { return markingState() + " back=" + reposicionar; }
  HeadlessWindow& window() { return *h_.toolkit.window; }
};

TEST_F(ItemMarking, SettledAndCancelledItemsAreEmptiedAndCountedAndATitleOnThemAloneDoesNothing) {
  openItems("0001", "0000001019");
  EXPECT_EQ(itemMarks(), (Lines{"1 6 N", "2 5 -", "3 4 -"}));
  EXPECT_EQ(marking.unmarkableItems(), 2);

  ASSERT_TRUE(toOrder("0000001006"));
  ASSERT_EQ(itemMarks(), (Lines{"1 4 -", "2 4 -", "3 4 -", "4 5 -"}));
  EXPECT_TRUE(titleItems());
  EXPECT_EQ(itemMarks(), (Lines{"1 4 -", "2 4 -", "3 4 -", "4 5 -"}));
  EXPECT_EQ(state(), "pedidos=0/15/0 itens=0/0/4 op=nenhuma back=");
  EXPECT_EQ(window().popups, Lines{});
}

TEST_F(ItemMarking, AClickMarksOneKindAndUnmarkingTheLastFreesBoth) {
  openItems("0001", "0000001017");  // statuses 6, 4, 3, 1
  allocateWhole("0001", {"0000001017"});
  EXPECT_TRUE(clickItem());
  EXPECT_EQ(itemMarks(), (Lines{"1 6 S", "2 4 -", "3 3 -", "4 1 -"}));
  EXPECT_EQ(state(), "pedidos=0/15/0 itens=1/0/3 op=excluir itens back=1");
  EXPECT_EQ(currentItem(), "1");
  EXPECT_EQ(window().locks, 1);
  EXPECT_FALSE(window().locked);
  EXPECT_TRUE(s().sbtConfirmar.enabled());

  EXPECT_TRUE(clickItem());
  EXPECT_EQ(itemMarks(), (Lines{"1 6 N", "2 4 -", "3 3 N", "4 1 N"}));
  EXPECT_EQ(state(), "pedidos=0/15/0 itens=0/3/1 op=nenhuma back=1");
  EXPECT_FALSE(s().sbtConfirmar.enabled());

  // Settling: the justification typed for an exclusion goes.
  s().edtCdJust.setText("01");
  s().edtDsJust.setText("Erro de digitação");
  ASSERT_TRUE(toItem("3"));
  EXPECT_TRUE(clickItem("NMPRODUTO"));
  EXPECT_EQ(itemMarks(), (Lines{"1 6 N", "2 4 -", "3 3 N", "4 1 N"}));
  EXPECT_TRUE(clickItem());
  EXPECT_EQ(itemMarks(), (Lines{"1 6 -", "2 4 -", "3 3 S", "4 1 N"}));
  EXPECT_EQ(state(), "pedidos=0/15/0 itens=1/1/2 op=liquidar itens back=3");
  EXPECT_TRUE(s().tshJustExcl.enabled());
  EXPECT_EQ(s().edtCdJust.text() + s().edtDsJust.text(), "");
  EXPECT_EQ(messages(), Lines{});
}

TEST_F(ItemMarking, UnmarkingTheLastItemWhenTheServerRefusesKeepsSettledItemsUnmarkable) {
  openItems("0003", "0000001006");  // statuses 6, 4, 3, 1
  ASSERT_TRUE(clickItem());
  const std::string token = s().netLiquidaItem.token();
  s().netLiquidaItem.setToken("expirado");
  EXPECT_FALSE(clickItem());
  s().netLiquidaItem.setToken(token);
  EXPECT_EQ(messages().size(), 1u);
  EXPECT_EQ(itemMarks(), (Lines{"1 6 N", "2 4 -", "3 3 N", "4 1 N"}));
  EXPECT_EQ(state(), "pedidos=0/7/0 itens=0/3/1 op=nenhuma back=1");
  EXPECT_FALSE(s().sbtConfirmar.enabled());
}

TEST_F(ItemMarking, OpenItemsAndSettlementsToReverseAreNeverMarkedTogether) {
  openItems("0001", "0000001016", "16");  // statuses 6, 1
  allocateWhole("0001", {"0000001016"});
  ASSERT_EQ(itemMarks(), (Lines{"1 6 N", "3 1 N"}));
  EXPECT_TRUE(titleItems());
  EXPECT_EQ(window().popups, Lines{"ppmItemPedido"});
  EXPECT_TRUE(choose(s().mnuLiqu));
  EXPECT_EQ(itemMarks(), (Lines{"1 6 -", "3 1 N"}));
  // The reversible one out of reach, the title marks the pending one.
  EXPECT_TRUE(titleItems());
  EXPECT_EQ(itemMarks(), (Lines{"1 6 -", "3 1 S"}));
  EXPECT_EQ(state(), "pedidos=0/12/0 itens=1/0/1 op=liquidar itens back=");
}

TEST_F(ItemMarking, ARefusedStockCheckMarksNothingAndKeepsTheOtherMarks) {
  openItems("0001", "0000001002");  // three items of statuses 2, 2, 3
  auto extraRow = [](const char* item, double quantity, engine::Value validUntil) {
    return AllocationRow{{"CDFILIAL", "0001"}, {"NRPEDIDO", "0000001002"}, {"NRITEMPED", item},
                         {"NRLOTEESTQ", "LX"}, {"QTEXP", quantity},        {"DTVALILOTE", validUntil}};
  };
  const AllocationRow differs = extraRow("2", 1.0, {}), expired = extraRow("3", 0.0, h_.clock.today() - 1);

  for (const auto& [extra, message, refused] :
       {std::tuple{differs, kTotalDiffers, "2"}, std::tuple{expired, kExpiredLot, "3"}}) {
    SCOPED_TRACE(refused);
    allocateWhole("0001", {"0000001002"}, {extra});
    ASSERT_TRUE(toItem("1"));
    EXPECT_FALSE(titleItems());
    EXPECT_EQ(messages(), Lines{message});
    EXPECT_EQ(itemMarks(), (Lines{"1 2 N", "2 2 N", "3 3 N"}));
    EXPECT_EQ(currentItem(), refused);
    EXPECT_EQ(marking.markedItems(), 0);
    EXPECT_FALSE(s().sbtConfirmar.enabled());
    EXPECT_FALSE(s().cdsItemPedido.controlsDisabled());

    // One by one: the refused item stays unmarked, the first keeps its mark.
    ASSERT_TRUE(toItem("1"));
    EXPECT_TRUE(clickItem());
    ASSERT_TRUE(toItem(refused));
    EXPECT_FALSE(clickItem());
    EXPECT_EQ(messages(), Lines{message});
    EXPECT_EQ(itemMarks()[0], "1 2 S");
    EXPECT_EQ(marking.markedItems(), 1);
    EXPECT_EQ(s().cdsItemPedido.state(), engine::DataSetState::Browse);
    ASSERT_TRUE(toItem("1") && clickItem());  // the next round starts with nothing marked
  }

  allocateWhole("0001", {"0000001002"});
  EXPECT_TRUE(titleItems());
  EXPECT_EQ(itemMarks(), (Lines{"1 2 S", "2 2 S", "3 3 S"}));
  EXPECT_EQ(state(), "pedidos=0/15/0 itens=3/0/0 op=liquidar itens back=1");
  EXPECT_TRUE(s().sbtConfirmar.enabled());
}

TEST_F(ItemMarking, TheSpaceBarClicksTheMarkAndWithCtrlItsTitle) {
  openItems("0003", "0000001002");  // statuses 2, 2, 1, 1, 2; no stock moves
  ASSERT_TRUE(toItem("3"));
  EXPECT_TRUE(keyItems());
  EXPECT_EQ(itemMarks()[2], "3 1 S");
  EXPECT_TRUE(keyItems(true));
  EXPECT_EQ(itemMarks(), (Lines{"1 2 S", "2 2 S", "3 1 S", "4 1 S", "5 2 S"}));
  EXPECT_EQ(currentItem(), "3");
  EXPECT_TRUE(keyItems(true));
  EXPECT_EQ(itemMarks(), (Lines{"1 2 N", "2 2 N", "3 1 N", "4 1 N", "5 2 N"}));
  EXPECT_EQ(state(), "pedidos=0/7/0 itens=0/5/0 op=nenhuma back=3");
  EXPECT_FALSE(boTeclado);
}

TEST_F(ItemMarking, OnAMixedListTheOperatorChoosesTheOperationFromThePopUp) {
  openItems("0003", "0000001006");  // statuses 6, 4, 3, 1
  ASSERT_TRUE(toItem("4"));
  EXPECT_TRUE(titleItems());
  EXPECT_EQ(window().popups, Lines{"ppmItemPedido"});
  EXPECT_EQ(itemMarks(), (Lines{"1 6 N", "2 4 -", "3 3 N", "4 1 N"}));

  const int repaints = window().repaints;
  EXPECT_TRUE(choose(s().mnuExclLiqu));
  EXPECT_EQ(itemMarks(), (Lines{"1 6 S", "2 4 -", "3 3 -", "4 1 -"}));
  EXPECT_EQ(state(), "pedidos=0/7/0 itens=1/0/3 op=excluir itens back=");
  EXPECT_EQ(window().repaints, repaints + 1);
  EXPECT_EQ(currentItem(), "4");
  EXPECT_TRUE(s().sbtConfirmar.enabled());

  // Unmarked again, the other operation.
  ASSERT_TRUE(toItem("1"));
  EXPECT_TRUE(clickItem());
  ASSERT_TRUE(titleItems());
  EXPECT_EQ(window().popups, (Lines{"ppmItemPedido", "ppmItemPedido"}));
  EXPECT_TRUE(choose(s().mnuLiqu));
  EXPECT_EQ(itemMarks(), (Lines{"1 6 -", "2 4 -", "3 3 S", "4 1 N"}));
  EXPECT_EQ(state(), "pedidos=0/7/0 itens=1/1/2 op=liquidar itens back=1");
  EXPECT_EQ(currentItem(), "1");
}

TEST_F(ItemMarking, ConfirmingWithNothingMarkedIsRefusedOnTheGridOfThePageInUse) {
  openItems("0003", "0000001002");
  for (const auto& [page, grid, message] :
       {std::tuple{&s().tshPadrao, &s().dbgPadrao, "erro: Pedidos devem ser informados."},
        std::tuple{&s().tshItemPedido, &s().dbgItemPedido, "erro: Itens do pedido devem ser informados."}}) {
    s().pgcPadrao.setActivePage(*page);
    ASSERT_TRUE(s().setFocus(s().medCdFilial));
    EXPECT_FALSE(s().handle([&] { s().Vd_Check(); }));
    EXPECT_EQ(messages(), Lines{message});
    EXPECT_EQ(s().focused(), grid);
  }
}

}  // namespace
}  // namespace ped::core::testing
