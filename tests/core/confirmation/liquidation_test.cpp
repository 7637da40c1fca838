// Liquidation confirmed by the operator: what the server then holds (item
// statuses, stock moved once, history) and what the screen shows after.

#include "core/confirmation/confirmation_steps.h"
#include "core/confirmation/stock_update.h"
#include "core/orders/marking_state.h"
#include "support/test_database.h"

namespace ped::core::testing {
namespace {

class Liquidation : public ConfirmationTest {};

using ped::testing::Backend;

class OrderLiquidation : public ConfirmationOnEachDatabase {};

INSTANTIATE_TEST_SUITE_P(Databases, OrderLiquidation, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(OrderLiquidation, OrdersOnABranchThatMovesStockAreSettledWithTheirStockMovedOnce) {
  if (postgres) PED_REQUIRE_DATABASE(*postgres);
  listOrders("0001");
  allocateFromStock("0001", {"0000001002"});
  const std::string stockBefore = one("SELECT SUM(QTESTOQUE) FROM POSESTOQUE WHERE CDFILIAL = '0001'");
  ASSERT_TRUE(toOrder("0000001002"));
  ASSERT_TRUE(clickOrder());
  justify("0003");
  watchMessages();
  h_.host.take();
  const std::size_t listed = s().cdsPedido.recordCount(), reads = calls("GetPedidos").size();

  ASSERT_TRUE(confirm({true, true}));
  // Only the marked order goes, and the list is read once after.
  const std::vector<std::string> sent = proxy.bodiesOf("SetLiquidaPed");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].find("0000001002"), std::string::npos);
  EXPECT_EQ(sent[0].find("0000001001"), std::string::npos);
  EXPECT_GT(listed, 10u);
  EXPECT_EQ(calls("GetPedidos").size(), reads + 1);
  const Lines shown = h_.host.take();
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(
      Lines(shown.begin(), shown.begin() + 3),
      (Lines{"pergunta: Confirma liquidação dos itens dos pedidos informados? -> Sim",
             "pergunta: A liquidação manual do pedido implicará na baixa de estoque, sem possibilidade de "
             "devolução. Deseja continuar? -> Sim",
             "aguarde: 1"}));
  for (auto line = shown.begin() + 3; line != shown.end(); ++line)
    EXPECT_TRUE(line->starts_with("aguarde")) << *line;  // no window of refusals
  expectReleased();

  EXPECT_EQ(rows("SELECT NRITEMPED, IDSITITEMPED, CDOPERADOR, CDJUSTEXCHIS FROM ITEMPEDIDO WHERE CDFILIAL = "
                 "'0001' AND NRPEDIDO = '0000001002' ORDER BY NRITEMPED"),
            (Lines{"1 6 GERENTE 0003", "2 6 GERENTE 0003", "3 6 GERENTE 0003"}));
  EXPECT_EQ(
      rows("SELECT NRITEMPED, IDOPERACAO, CDOPERADOR, CDJUSTEXCHIS, IDSITANTERIOR, IDSITNOVA FROM HISTLIQMAN "
           "WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000001002' ORDER BY NRITEMPED"),
      (Lines{"1 L GERENTE 0003 2 6", "2 L GERENTE 0003 2 6", "3 L GERENTE 0003 3 6"}));
  // The allocated quantities (4, 5 and 11), moved once each.
  EXPECT_EQ(rows("SELECT NRITEMPED, SUM(QTMOVIMENTO), COUNT(*) FROM MOVESTOQUE WHERE CDFILIAL = '0001' AND "
                 "NRPEDIDO = '0000001002' GROUP BY NRITEMPED ORDER BY NRITEMPED"),
            (Lines{"1 -4 1", "2 -5 1", "3 -11 1"}));
  EXPECT_EQ(std::stod(stockBefore) - 20,
            std::stod(one("SELECT SUM(QTESTOQUE) FROM POSESTOQUE WHERE CDFILIAL = '0001'")));

  // The list came again from the server, on the order settled, nothing marked.
  const Lines orders = orderMarks();
  EXPECT_NE(std::find(orders.begin(), orders.end(), "0000001002 5 N"), orders.end());
  for (const std::string& row : orders) EXPECT_FALSE(row.ends_with(" S") || row.ends_with(" B")) << row;
  EXPECT_EQ(currentOrder(), "0000001002");
  EXPECT_TRUE(s().pgcPadrao.isActive(s().tshPadrao));
  EXPECT_EQ(marking.markedOrders(), 0);
  EXPECT_EQ(marking.markedItems(), 0);
  EXPECT_EQ(s().edtCdJust.text(), "");
}

// Rows the operator changed for an order he did not settle are there after
// the list is reloaded from the server.
TEST_F(Liquidation, RowsChangedForAnotherOrderOutliveTheReload) {
  listOrders("0001");
  std::string other;
  for (const std::string& row : orderMarks())
    if (row.ends_with(" 2 N") && !row.starts_with("0000001002")) other = row.substr(0, 10);
  ASSERT_FALSE(other.empty());
  allocateFromStock("0001", {"0000001002", other});
  ASSERT_TRUE(toOrder(other));
  ASSERT_TRUE(toItem("1"));
  ASSERT_TRUE(s().handle([&] { s().enterGrid(s().dbgLiqEst); }));
  h_.host.answer(true);
  ASSERT_TRUE(choose(s().sbtExcluir));
  auto rowsOfOther = [&] {
    engine::DataSet copy;
    copy.copyFrom(s().cdsEvolEst);
    copy.setFilter("NRPEDIDO = '" + other + "'");
    copy.setFiltered(true);
    return copy.dump("NRITEMPED;CDALMOXARIFE;NRLOTEESTQ;QTEXP");
  };
  const std::string changed = rowsOfOther();

  ASSERT_TRUE(s().handle([&] { s().pgcPadrao.choosePage(s().tshPadrao); }));
  ASSERT_TRUE(toOrder("0000001002"));
  ASSERT_TRUE(clickOrder());
  justify("0003");
  ASSERT_TRUE(confirm({true, true}));
  EXPECT_TRUE(marked("0000001002 5 N"));
  EXPECT_EQ(rowsOfOther(), changed);
}

TEST_F(Liquidation, ItemsOnAWarehouseOnlyBranchAreSettledAndTheOthersStayOpen) {
  listOrders("0002");
  allocateFromStock("0002", {"0000001006"});
  ASSERT_TRUE(toOrder("0000001006"));
  for (const char* item : {"1", "2"}) {
    ASSERT_TRUE(toItem(item));
    ASSERT_TRUE(clickItem()) << h_.host.shown().back();
  }
  justify("0001");
  watchMessages();
  h_.host.take();

  ASSERT_TRUE(confirm({true, true}));
  EXPECT_EQ(messages(), (Lines{"pergunta: Confirma liquidação dos itens informados? -> Sim",
                               "pergunta: A liquidação manual do pedido implicará na baixa de estoque, sem "
                               "possibilidade de devolução. Deseja continuar? -> Sim"}));
  expectReleased();
  EXPECT_EQ(rows("SELECT NRITEMPED, IDSITITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = '0002' AND NRPEDIDO = "
                 "'0000001006' ORDER BY NRITEMPED"),
            (Lines{"1 6", "2 6", "3 3", "4 7"}));
  EXPECT_EQ(rows("SELECT NRITEMPED, SUM(QTMOVIMENTO), COUNT(*) FROM MOVESTOQUE WHERE CDFILIAL = '0002' AND "
                 "NRPEDIDO = '0000001006' GROUP BY NRITEMPED ORDER BY NRITEMPED"),
            (Lines{"1 -1 1", "2 -9 1"}));
  EXPECT_EQ(rows("SELECT COUNT(*) FROM HISTLIQMAN WHERE CDFILIAL = '0002' AND NRPEDIDO = '0000001006'"),
            (Lines{"2"}));
  // The item list shows the server's statuses, with its marks taken off.
  EXPECT_TRUE(s().pgcPadrao.isActive(s().tshItemPedido));
  EXPECT_EQ(itemMarks(), (Lines{"1 6 N", "2 6 N", "3 3 N", "4 7 N"}));
  EXPECT_EQ(marking.markedItems(), 0);
}

// The stock filter names the marked rows in list order, each value quoted
// and a quote inside one doubled, so the server never misreads the list.
TEST(StockFilter, NamesTheMarkedRowsInListOrderWithQuotesDoubled) {
  engine::DataSet rows;
  for (const char* field : {"IDCHECK", "NRPEDIDO", "NRITEMPED"})
    rows.addField({field, engine::FieldType::Text, 12});
  rows.open();
  for (const auto& [mark, order, item] : std::vector<std::array<const char*, 3>>{
           {"S", "15", "2"}, {"N", "13", "3"}, {"S", "O'12", "1"}, {"B", "16", "4"}}) {
    rows.append();
    rows.field("IDCHECK").setString(mark);
    rows.field("NRPEDIDO").setString(order);
    rows.field("NRITEMPED").setString(item);
    rows.post();
  }
  EXPECT_EQ(orderStockFilter(rows), "NRPEDIDO IN ('15','O''12')");
  rows.first();
  EXPECT_EQ(itemStockFilter(rows), "(NRPEDIDO = '15') AND (NRITEMPED IN ('2','1'))");
  rows.next();
  rows.next();
  EXPECT_EQ(itemStockFilter(rows), "(NRPEDIDO = 'O''12') AND (NRITEMPED IN ('2','1'))");
}

}  // namespace
}  // namespace ped::core::testing
