// A confirmation whose answer is lost after the server committed: the
// connection sends the very same call again with its request key and gets
// the stored answer, so the order is settled once and the operator sees the
// result. When the answer is lost twice, the operator is told the
// connection failed, and confirming again settles nothing twice.

#include <gtest/gtest.h>

#include "core/confirmation/settlement_steps.h"

namespace ped::core::testing {
namespace {

class LostAnswer : public SettlementTest {};
INSTANTIATE_TEST_SUITE_P(Bancos, LostAnswer,
                         ::testing::Values(ped::testing::Backend::Sqlite, ped::testing::Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(LostAnswer, TheSameCallIsSentAgainWithItsKeyAndTheOrderIsSettledOnce) {
  const std::string order = markCoveredOrder("0001");
  ASSERT_FALSE(order.empty()) << "no order of 0001 the stock covers";
  typeJustification("0004");
  messages();
  proxy().loseAnswer("SetLiquidaPed");

  ASSERT_TRUE(confirm(2));
  const Lines shown = messages();
  EXPECT_FALSE(anyLineHas(shown, "erro:")) << ::testing::PrintToString(shown);
  EXPECT_FALSE(anyLineHas(shown, "Pedidos não processados")) << ::testing::PrintToString(shown);
  const std::vector<std::string> keys = proxy().keysOf("SetLiquidaPed");
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0], keys[1]);

  const Lines history = settlementHistory("0001", order);
  EXPECT_EQ(history.size(), allocatedItems_);
  for (const std::string& row : history) EXPECT_TRUE(row.ends_with(" GERENTE 0004")) << row;
  const auto moved = stockMoved("0001", order);
  EXPECT_EQ(moved.first, allocatedRows_);
  EXPECT_NEAR(moved.second, -allocatedTotal_, 0.0005);
  // Reloaded with the last filter (liquidable orders): the order left the list.
  EXPECT_FALSE(s().cdsPedido.locate("NRPEDIDO", {engine::Value(order)}));
  EXPECT_EQ(inContPedidoCh, 0);
}

TEST_P(LostAnswer, AnAnswerLostTwiceIsAClearErrorAndConfirmingAgainSettlesNothingTwice) {
  const std::string order = markCoveredOrder("0001");
  ASSERT_FALSE(order.empty()) << "no order of 0001 the stock covers";
  typeJustification("0004");
  messages();
  proxy().loseAnswer("SetLiquidaPed", 2);

  EXPECT_FALSE(confirm(2));
  bool busyDown = false;
  Lines shown = shownSettling(&busyDown);
  EXPECT_TRUE(busyDown);
  EXPECT_TRUE(anyLineHas(shown, "erro: A conexão com o servidor de aplicação em"))
      << ::testing::PrintToString(shown);
  EXPECT_FALSE(h_.toolkit.window->locked);
  const Lines history = settlementHistory("0001", order);
  const auto moved = stockMoved("0001", order);
  EXPECT_EQ(moved.first, allocatedRows_);

  // The marks stayed; confirming again is a new action, refused for the order.
  EXPECT_EQ(s().cdsPedido.field("IDCHECK").asString(), "S");
  typeJustification("0004");
  ASSERT_TRUE(confirm(2));
  shown = messages();
  EXPECT_TRUE(anyLineHas(shown, "Pedidos não processados")) << ::testing::PrintToString(shown);
  EXPECT_EQ(settlementHistory("0001", order), history);
  EXPECT_EQ(stockMoved("0001", order), moved);
}

}  // namespace
}  // namespace ped::core::testing
