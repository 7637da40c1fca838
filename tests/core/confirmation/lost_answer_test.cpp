// A confirmation whose answer is lost after the server committed. The
// connection sends the very same call again with its request key and gets
// the kept answer: the order is settled once and the operator sees the
// result. Lost twice, the operator is told the connection failed and that
// the outcome must be checked, and the list is read again.

#include "core/confirmation/confirmation_steps.h"
#include "core/orders/marking_state.h"

namespace ped::core::testing {
namespace {

using ped::testing::Backend;

class LostAnswer : public ConfirmationOnEachDatabase {
 protected:
  void markTheOrder() {
    listOrders("0001");
    allocateFromStock("0001", {"0000001002"});
    ASSERT_TRUE(toOrder("0000001002"));
    ASSERT_TRUE(clickOrder());
    justify("0004");
    watchMessages();
    h_.host.take();
  }
  Lines settlements() const {
    return rows(
        "SELECT NRITEMPED, IDOPERACAO, CDOPERADOR, CDJUSTEXCHIS FROM HISTLIQMAN WHERE CDFILIAL = '0001' AND "
        "NRPEDIDO = '0000001002' ORDER BY NRITEMPED");
  }
  Lines stockMoved() const {
    return rows(
        "SELECT NRITEMPED, SUM(QTMOVIMENTO), COUNT(*) FROM MOVESTOQUE WHERE CDFILIAL = '0001' AND NRPEDIDO = "
        "'0000001002' GROUP BY NRITEMPED ORDER BY NRITEMPED");
  }
  const Lines settledOnce = {"1 L GERENTE 0004", "2 L GERENTE 0004", "3 L GERENTE 0004"};
  const Lines movedOnce = {"1 -4 1", "2 -5 1", "3 -11 1"};
};
INSTANTIATE_TEST_SUITE_P(Databases, LostAnswer, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(LostAnswer, TheSameCallIsSentAgainWithItsKeyAndTheOrderIsSettledOnce) {
  if (postgres) PED_REQUIRE_DATABASE(*postgres);
  markTheOrder();
  proxy.loseAnswer("SetLiquidaPed");

  ASSERT_TRUE(confirm({true, true}));
  for (const std::string& line : messages()) EXPECT_TRUE(line.starts_with("pergunta: ")) << line;
  expectReleased();
  const std::vector<std::string> keys = proxy.keysOf("SetLiquidaPed");
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0], keys[1]);
  EXPECT_EQ(settlements(), settledOnce);
  EXPECT_EQ(stockMoved(), movedOnce);
  const Lines orders = orderMarks();
  EXPECT_NE(std::find(orders.begin(), orders.end(), "0000001002 5 N"), orders.end());
  EXPECT_EQ(marking.markedOrders(), 0);
}

// Lost twice, the outcome is unknown to the screen: the operator is told so
// and the list is read again, showing the order settled, nothing marked.
TEST_P(LostAnswer, LostTwiceTheOperatorIsToldToCheckAndTheListIsReadAgain) {
  if (postgres) PED_REQUIRE_DATABASE(*postgres);
  markTheOrder();
  proxy.loseAnswer("SetLiquidaPed", 2);

  EXPECT_FALSE(confirm({true, true}));
  const Lines shown = messages();
  ASSERT_GE(shown.size(), 2u);
  EXPECT_TRUE(
      shown[shown.size() - 2].starts_with("erro: A conexão com o servidor de aplicação em 127.0.0.1:"))
      << shown[shown.size() - 2];
  EXPECT_TRUE(shown.back().starts_with("erro: A resposta do servidor de aplicação não chegou"))
      << shown.back();
  expectReleased();
  EXPECT_EQ(settlements(), settledOnce);
  EXPECT_EQ(stockMoved(), movedOnce);
  EXPECT_TRUE(marked("0000001002 5 N"));
  EXPECT_EQ(marking.markedOrders(), 0);
}

}  // namespace
}  // namespace ped::core::testing
