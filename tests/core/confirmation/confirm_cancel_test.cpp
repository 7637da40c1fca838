// Confirm and cancel while the allocation grid has the focus: the pending
// row is posted or dropped, and nothing is settled.

#include <gtest/gtest.h>

#include "core/allocation_steps.h"
#include "core/items/item_marks.h"
#include "core/marking_steps.h"
#include "core/orders/marking_state.h"
#include "core/shell/remote_call.h"
#include "core/stock/lot_validity.h"
#include "domain/status_codes.h"

namespace ped::core::testing {
namespace {

constexpr const char* kKeys[] = {"CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE"};
constexpr const char* kKeyList = "CDALMOXARIFE;CDLOCALESTOQ;NRLOTEESTQ;NRSUBLOTE";

class ConfirmCancelOnGrid : public AllocationTest {
 protected:
  void SetUp() override {
    onBranch("0001");
    ASSERT_TRUE(onItem([&] { return itemHasRows(); }));
  }
  // An item's mark, set as the marking leaves it.
  void markItem() { setItemMark(s(), domain::mark::Marked); }
};

// A position of the current item's product that its rows do not use yet,
// with stock to spare on a lot still valid: a row the post checks accept.
std::vector<std::string> freePosition(TfrmLiquidaItem& s) {
  engine::DataSet& positions = s.cdsPesqEvolEst;
  engine::DataSet& item = s.cdsItemPedido;
  callServer(s, "GetPosEstq",
             {item.field("CDFILIAL").asString(), item.field("NRPEDIDO").asString(),
              item.field("CDPRODUTO").asString(), "", "", item.field("NRITEMPED").asString(), "N", "", ""},
             {&positions});
  for (positions.first(); !positions.eof(); positions.next()) {
    std::vector<engine::Value> keys;
    for (const char* key : kKeys) keys.emplace_back(positions.field(key).asString());
    if (positions.field("QTDISPONIVEL").asFloat() >= 1 && !s.cdsEvolEst.locate(kKeyList, keys) &&
        !lotExpired(positions.field("DTVALILOTE"), clockOf(screenEnvironment()).today())) {
      std::vector<std::string> texts;
      for (const engine::Value& key : keys) texts.push_back(key.text());
      return texts;
    }
  }
  return {};
}

TEST_F(ConfirmCancelOnGrid, ConfirmPostsANewRowKeepsTheMarksAndSettlesNothing) {
  std::vector<std::string> position;
  ASSERT_TRUE(onItem([&] { return !(position = freePosition(s())).empty(); }));
  const std::string item = s().cdsItemPedido.field("NRITEMPED").asString();
  const std::string status = s().cdsItemPedido.field("IDSITITEMPED").asString();
  const std::size_t rows = s().cdsEvolEst.recordCount();
  markItem();

  // Key by key, each checked as its cell is left, then the quantity.
  ASSERT_TRUE(include());
  for (std::size_t k = 0; k < 4; ++k) ASSERT_TRUE(type(kKeys[k], position[k])) << h_.host.shown().back();
  ASSERT_TRUE(type("QTEXP", "1")) << h_.host.shown().back();
  h_.host.take();

  ASSERT_TRUE(s().handle([&] { s().click(s().sbtConfirmar); })) << h_.host.shown().back();
  EXPECT_EQ(s().cdsEvolEst.state(), engine::DataSetState::Browse);
  for (const std::string& line : h_.host.take())
    EXPECT_TRUE(line == "aguarde: 6" || line == "aguarde: fim") << line;  // its look-ups only
  // As after Cancelar: the same item current, its mark kept.
  EXPECT_EQ(s().cdsItemPedido.field("NRITEMPED").asString(), item);
  EXPECT_EQ(s().cdsItemPedido.field("IDCHECK").asString(), "S");
  EXPECT_EQ(s().cdsItemPedido.field("IDSITITEMPED").asString(), status);
  EXPECT_EQ(marking.markedItems(), 1);
  EXPECT_EQ(s().cdsEvolEst.recordCount(), rows + 1);
  ASSERT_TRUE(s().cdsEvolEst.locate(kKeyList, {position.begin(), position.end()}));
  EXPECT_EQ(s().cdsEvolEst.field("QTEXP").asFloat(), 1);
}

TEST_F(ConfirmCancelOnGrid, CancelDropsThePendingRowKeepsTheMarksAndAsksFirst) {
  const std::size_t rows = s().cdsEvolEst.recordCount();
  markItem();
  ASSERT_TRUE(include());
  ASSERT_TRUE(type("QTEXP", "4"));
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
  EXPECT_EQ(focus(), "QTEXP");  // where the cursor was
  EXPECT_FALSE(s().dbgLiqEst.editing());
  EXPECT_EQ(s().edtCdJust.text(), "");
  EXPECT_EQ(s().cdsItemPedido.field("IDCHECK").asString(), "S");
  EXPECT_EQ(marking.markedItems(), 1);
}

class CancelMarks : public MarkingTest {};

// Away from the allocation grid, Cancelar drops every mark with what the
// marks kept out of reach; "Não" keeps them all.
TEST_F(CancelMarks, CancelDropsTheMarksAndReleasesWhatTheyBlocked) {
  listOrders("0003");
  ASSERT_TRUE(toOrder("0000001002"));  // in progress: blocks the reversible order
  ASSERT_TRUE(clickOrder());
  const Lines marked = orderMarks();
  ASSERT_NE(std::count(marked.begin(), marked.end(), "0000001007 5 B"), 0);
  ASSERT_TRUE(s().sbtCancelar.enabled());

  h_.host.answer(false);
  ASSERT_TRUE(choose(s().sbtCancelar));
  EXPECT_EQ(orderMarks(), marked);
  EXPECT_EQ(marking.markedOrders(), 1);

  h_.host.answer(true);
  ASSERT_TRUE(choose(s().sbtCancelar));
  EXPECT_EQ(marking.summary(), "pedidos=0/7/0 itens=0/1/2");  // the settled orders inert
  EXPECT_EQ(currentOrder(), "0000001002");
  EXPECT_EQ(s().lblNome.caption(), s().cdsPedido.field("NMFANTCLIE").asString());
  EXPECT_FALSE(s().sbtCancelar.enabled());
  EXPECT_TRUE(s().sbtFiltro.enabled());

  // On the item page: a reversible item marked empties the others; after
  // Cancelar every item but the liquidated and cancelled ones takes a mark.
  ASSERT_TRUE(toOrder("0000001006"));  // items 6, 4, 3, 1
  ASSERT_TRUE(toItem("1"));
  ASSERT_EQ(s().cdsItemPedido.field("IDSITITEMPED").asString(), "6");
  ASSERT_TRUE(clickItem());
  h_.host.answer(true);
  ASSERT_TRUE(choose(s().sbtCancelar));
  for (const std::string& row : itemMarks())
    EXPECT_EQ(row.back(),
              row.find(" 4 ") != std::string::npos || row.find(" 5 ") != std::string::npos ? '-' : 'N')
        << row;
  EXPECT_EQ(marking.markedItems(), 0);
}

}  // namespace
}  // namespace ped::core::testing
