// Two operators on one order. One test process holds one screen module (its
// screen and counters are the module's), so the other screen is a second
// session making the calls a screen makes: it settles the order first, and
// this screen's confirmation is then refused for it; the operator is shown
// which order and why, and the database holds one settlement.

#include "core/confirmation/confirmation_steps.h"
#include "core/orders/marking_state.h"
#include "netclient/net_connection.h"

namespace ped::core::testing {
namespace {

using netclient::Arg;
using ped::testing::Backend;

class TwoScreens : public ConfirmationOnEachDatabase {};
INSTANTIATE_TEST_SUITE_P(Databases, TwoScreens, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

constexpr const char* kSettlements =
    "SELECT NRITEMPED, IDOPERACAO, CDJUSTEXCHIS FROM HISTLIQMAN WHERE CDFILIAL = '0001' AND NRPEDIDO = "
    "'0000001002' ORDER BY NRITEMPED";
constexpr const char* kStockMoved =
    "SELECT NRITEMPED, SUM(QTMOVIMENTO), COUNT(*) FROM MOVESTOQUE WHERE CDFILIAL = '0001' AND NRPEDIDO = "
    "'0000001002' GROUP BY NRITEMPED ORDER BY NRITEMPED";

TEST_P(TwoScreens, TheLaterConfirmationIsShownTheOrderNotProcessedAndTheOrderIsSettledOnce) {
  if (postgres) PED_REQUIRE_DATABASE(*postgres);
  listOrders("0001");
  allocateFromStock("0001", {"0000001002"});
  ASSERT_TRUE(toOrder("0000001002"));
  ASSERT_TRUE(clickOrder());
  justify("0004");

  // The other screen (the same operator at another desk) marked the same order with the same rows and
  // confirms first.
  netclient::TNetConnection other;
  other.Port = server.info().port;
  other.Open();
  ASSERT_TRUE(other.Login("GERENTE", "gerente123").ok);
  const hostlib::RemoteResult staged =
      other.call("AtualizaEstoque", {"0001", "GERENTE", "Liquidação Manual",
                                     Arg::packet(s().cdsEvolEst.toPacket()), "NRPEDIDO IN ('0000001002')"});
  ASSERT_TRUE(staged.ok) << staged.error;
  const hostlib::RemoteResult first =
      other.call("SetLiquidaPed", {Arg::packet(s().cdsPedido.toPacket()), "GERENTE", "0002"});
  ASSERT_TRUE(first.ok) << first.error;
  ASSERT_FALSE(first.at(1)) << *first.at(1);
  const Lines settled = {"1 L 0002", "2 L 0002", "3 L 0002"};
  const Lines moved = {"1 -4 1", "2 -5 1", "3 -11 1"};
  ASSERT_EQ(rows(kSettlements), settled);
  ASSERT_EQ(rows(kStockMoved), moved);
  h_.host.take();

  ASSERT_TRUE(confirm({true, true}));
  const Lines shown = messages();
  ASSERT_FALSE(shown.empty());
  // Told who settled it and when, counted apart: not "not processed".
  EXPECT_TRUE(
      shown.back().starts_with("janela: Pedidos não processados [Filial; Pedido; Situação; Mensagem] | "
                               "0001; 0000001002; LQ; Pedido 0000001002 já liquidado por GERENTE em "))
      << shown.back();
  EXPECT_TRUE(
      shown.back().ends_with(" | 0 pedido(s) processado(s), 0 não processado(s), 1 já processado(s) "
                             "antes."))
      << shown.back();
  expectReleased();
  EXPECT_EQ(rows(kSettlements), settled);
  EXPECT_EQ(rows(kStockMoved), moved);
  EXPECT_EQ(rows("SELECT CDJUSTEXCHIS FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000001002'"),
            (Lines{"0002", "0002", "0002"}));
  // The lists came again: the order as the other screen left it, unmarked.
  const Lines orders = orderMarks();
  EXPECT_NE(std::find(orders.begin(), orders.end(), "0000001002 5 N"), orders.end());
  EXPECT_EQ(marking.markedOrders(), 0);
}

}  // namespace
}  // namespace ped::core::testing
