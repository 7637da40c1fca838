// Two operators on one order. The other screen (a second session making the
// same calls a screen makes: one test process holds one screen module)
// settles it first; this screen's confirmation is then refused for that
// order, and the operator is shown which order and why. One settlement.

#include <gtest/gtest.h>

#include "core/confirmation/settlement_steps.h"
#include "netclient/net_connection.h"

namespace ped::core::testing {
namespace {

using netclient::Arg;

class TwoScreens : public SettlementTest {};
INSTANTIATE_TEST_SUITE_P(Bancos, TwoScreens,
                         ::testing::Values(ped::testing::Backend::Sqlite, ped::testing::Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(TwoScreens, TheLaterConfirmationShowsTheOrderNotProcessedAndTheOrderIsSettledOnce) {
  const std::string order = markCoveredOrder("0001");
  ASSERT_FALSE(order.empty()) << "no order of 0001 the stock covers";
  typeJustification("0004");
  messages();

  // The other screen marked the same order with the same rows and confirms first.
  netclient::TNetConnection other;
  other.Port = demo().port;
  other.Open();
  ASSERT_TRUE(other.Login("GERENTE", "gerente123").ok);
  const hostlib::RemoteResult staged = other.call(
      "AtualizaEstoque", {"0001", "GERENTE", "Liquidação Manual", Arg::packet(s().cdsEvolEst.toPacket()),
                          "NRPEDIDO IN ('" + order + "')"});
  ASSERT_TRUE(staged.ok) << staged.error;
  const hostlib::RemoteResult first =
      other.call("SetLiquidaPed", {Arg::packet(s().cdsPedido.toPacket()), "GERENTE", "0004"});
  ASSERT_TRUE(first.ok) << first.error;
  ASSERT_FALSE(first.at(1)) << *first.at(1);
  const Lines history = settlementHistory("0001", order);
  const auto moved = stockMoved("0001", order);
  const std::string settled = orderStatusInDatabase("0001", order);
  ASSERT_FALSE(history.empty());
  EXPECT_EQ(moved.first, allocatedRows_);
  EXPECT_NEAR(moved.second, -allocatedTotal_, 0.0005);

  ASSERT_TRUE(confirm(2));  // liquidation, then the stock movement
  const Lines shown = messages();
  EXPECT_FALSE(anyLineHas(shown, "erro:")) << ::testing::PrintToString(shown);
  EXPECT_TRUE(anyLineHas(shown, "Pedidos não processados")) << ::testing::PrintToString(shown);
  EXPECT_TRUE(anyLineHas(shown, order)) << ::testing::PrintToString(shown);
  EXPECT_TRUE(anyLineHas(shown, "Atualize os dados")) << ::testing::PrintToString(shown);
  EXPECT_TRUE(anyLineHas(shown, "0 processado")) << ::testing::PrintToString(shown);

  // The per-order error stays in cdsErro; the marks are gone.
  ASSERT_TRUE(s().cdsErro.active());
  EXPECT_TRUE(s().cdsErro.locate("NRPEDIDO", {engine::Value(order)}));
  EXPECT_EQ(inContPedidoCh, 0);
  EXPECT_EQ(settlementHistory("0001", order), history);
  EXPECT_EQ(stockMoved("0001", order), moved);
  EXPECT_EQ(orderStatusInDatabase("0001", order), settled);
}

}  // namespace
}  // namespace ped::core::testing
