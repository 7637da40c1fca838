// The check of an item's allocation rows as a whole before it is marked.

#include "core/allocation_packet.h"
#include "core/allocation_steps.h"

namespace ped::core::testing {
namespace {

class ItemAllocationCheck : public AllocationTest {
 protected:
  // The first open item on 0001, its rows replaced by rows of
  // the given quantities and lot validity dates (0: none), each on a lot of its own.
  void SetUp() override {
    onBranch("0001");
    ASSERT_TRUE(onItem());
    const engine::DataSet& item = h_.screen().cdsItemPedido;
    for (const char* field : {"CDFILIAL", "NRPEDIDO", "NRITEMPED"})
      key_.push_back(item.field(field).asString());
  }
  void rowsOfItem(std::vector<std::pair<double, double>> quantityAndValidity) {
    std::vector<AllocationRow> packet;
    int lot = 0;
    for (const auto& [quantity, validUntil] : quantityAndValidity)
      packet.push_back({{"CDFILIAL", key_[0]},
                        {"NRPEDIDO", key_[1]},
                        {"NRITEMPED", key_[2]},
                        {"CDALMOXARIFE", "ALM01"},
                        {"NRLOTEESTQ", std::string("L").append(std::to_string(++lot))},
                        {"QTEXP", quantity},
                        {"DTVALILOTE", validUntil ? engine::Value(validUntil) : engine::Value()}});
    loadAllocationRows(rows(), packet);
  }
  // The marking's check of the item for `ordered`; whether it passed.
  bool check(double ordered) {
    TfrmLiquidaItem& s = h_.screen();
    return s.handle([&] { s.Vd_EvolEstq(key_[0], key_[1], key_[2], ordered); });
  }
  double today() const { return h_.clock.today(); }

  std::vector<std::string> key_;
};

const char* const kTotalDiffers = "erro: Quantidade total a liquidar deve ser igual à quantidade pedida.";

TEST_F(ItemAllocationCheck, TheRowsMustAddUpToTheOrderedQuantity) {
  rowsOfItem({{2, 0}, {3, 0}});
  EXPECT_TRUE(check(5));
  rowsOfItem({{0.1, 0}, {0.2, 0}});
  EXPECT_TRUE(check(0.3));
  EXPECT_EQ(messages(), Lines{});

  // Refused, the operator is taken to the item, wherever the lists stood.
  TfrmLiquidaItem& s = h_.screen();
  for (const auto& rowsNow : {std::vector<std::pair<double, double>>{{2.5, 0}, {2.4, 0}}, {}}) {
    ASSERT_TRUE(s.handle([&] { s.cdsPedido.next(); }));
    s.pgcPadrao.setActivePage(s.tshPadrao);
    rowsOfItem(rowsNow);
    EXPECT_FALSE(check(5));
    EXPECT_EQ(messages(), Lines{kTotalDiffers});
    EXPECT_TRUE(s.pgcPadrao.isActive(s.tshItemPedido));
    EXPECT_EQ(s.cdsPedido.field("NRPEDIDO").asString(), key_[1]);
    EXPECT_EQ(s.cdsItemPedido.field("NRITEMPED").asString(), key_[2]);
  }
  // Rows that never came are no rows.
  rows().close();
  EXPECT_FALSE(check(5));
  EXPECT_EQ(messages(), Lines{kTotalDiffers});
}

TEST_F(ItemAllocationCheck, AnExpiredLotIsRefusedOnItsRowALotValidTodayIsNot) {
  rowsOfItem({{2, today()}, {3, 0}});
  EXPECT_TRUE(check(5));

  TfrmLiquidaItem& s = h_.screen();
  rowsOfItem({{2, today() + 30}, {3, today() - 1}});
  s.pgcPadrao.setActivePage(s.tshPadrao);
  ASSERT_TRUE(s.setFocus(s.dbgPadrao));
  EXPECT_FALSE(check(5));
  EXPECT_EQ(messages(), Lines{"erro: O Lote informado está com a data de validade vencida."});
  EXPECT_TRUE(s.pgcPadrao.isActive(s.tshItemPedido));
  EXPECT_EQ(text("NRLOTEESTQ"), "L2");
  EXPECT_EQ(focus(), "NRLOTEESTQ");
  EXPECT_TRUE(s.sbtAlterar.enabled() && s.sbtExcluir.enabled());  // the row can be fixed from there
}

// Only posted rows are checked.
TEST_F(ItemAllocationCheck, NothingIsCheckedWhileARowIsPending) {
  rowsOfItem({{3, today() - 1}});
  // The rows came after the grid was entered: the operator comes back to it.
  TfrmLiquidaItem& s = h_.screen();
  ASSERT_TRUE(s.handle([&] { s.enterGrid(s.dbgItemPedido); }));
  ASSERT_TRUE(enterAllocationGrid());
  ASSERT_TRUE(alter());
  EXPECT_TRUE(check(5));
  EXPECT_EQ(messages(), Lines{});
}

TEST_F(AllocationTest, OnABranchThatMovesNoStockTheItemCheckPassesWithoutRows) {
  TfrmLiquidaItem& s = onBranch("0003");
  const engine::DataSet& item = s.cdsItemPedido;
  ASSERT_FALSE(item.isEmpty());
  EXPECT_TRUE(s.handle([&] {
    s.Vd_EvolEstq(item.field("CDFILIAL").asString(), item.field("NRPEDIDO").asString(),
                  item.field("NRITEMPED").asString(), 5);
  }));
  EXPECT_EQ(messages(), Lines{});
}

}  // namespace
}  // namespace ped::core::testing
