// Confirma: the 20 arguments the server receives, the record, the counters,
// the order query into the main screen and its failures.

#include <gtest/gtest.h>

#include "core/allocation_packet.h"
#include "core/filter_steps.h"
#include "core/orders/marking_state.h"

namespace ped::core::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(FilterApply, TheDefaultFilterOnAFixedDaySendsTheTwentyArgumentsAndLoadsTheOrders) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  const double today = h.clock.today();
  ASSERT_TRUE(act(h, [&] { d.sbtConfirmaClick(); })) << h.host.shown().back();
  const Lines expected = {"0001",     "3526", "",     "",     "",  "T",    "1234657",
                          "",         "T",    "",     "T",    "",  "T",    iso(today - 7),
                          iso(today), "",     "null", "null", "T", "32140"};
  EXPECT_EQ(wire(d.GetPedidosArgs()), expected);
  EXPECT_EQ(h.host.take(), (Lines{"aguarde: 6", "aguarde: fim"}));
  EXPECT_EQ(h.toolkit.filterCloseRequests, 1);
  EXPECT_EQ(marking.markedOrders() + marking.markedItems(), 0);

  // What came back is what the server made of those arguments.
  TfrmLiquidaItem& s = h.screen();
  ASSERT_TRUE(s.cdsPedido.active());
  ASSERT_FALSE(s.cdsPedido.isEmpty());
  for (s.cdsPedido.first(); !s.cdsPedido.eof(); s.cdsPedido.next()) {
    const double issued = s.cdsPedido.field("DTPEDIDO").asDateTime();
    EXPECT_TRUE(issued >= today - 7 && issued < today + 1) << s.cdsPedido.field("NRPEDIDO").asString();
  }
  EXPECT_TRUE(s.cdsParamFilial.active());
  EXPECT_EQ(s.cdsParamPedido.field("IDEVOLESTLIQMAN").asString(), "S");
  EXPECT_TRUE(s.cdsEvolEst.active());
  EXPECT_TRUE(s.panEvolEstq.visible());
  EXPECT_TRUE(s.tshItemPedido.enabled() && s.sbtVerificar.enabled());  // habilita("F") with orders listed
  EXPECT_TRUE(Filtro.Vendedor.boTodos);
  EXPECT_EQ(Filtro.dtDeEmissao, today - 7);
}

TEST(FilterApply, CodeStringsListsAndDatesFollowTheControls) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  d.depDeEntrega.setTyped("01/01/2020");
  d.depAteEntrega.setTyped("31/12/2030");
  d.click(d.chbPLiquidado);
  d.click(d.chbPParcialmente);
  for (hostlib::Control* c : {&d.chbIPendente, &d.chbIConfirmado, &d.chbIAprovado, &d.chbIParcialmente})
    d.click(*c);
  d.click(d.chbNormal);
  d.click(d.rbtLCliente);
  stCliente = "C 1_C'2";
  d.click(d.rbtLNrPedido);
  stNrPedido = "0000001001";
  ASSERT_TRUE(act(h, [&] { d.sbtConfirmaClick(); })) << h.host.shown().back();
  Lines args = wire(d.GetPedidosArgs());
  EXPECT_EQ(args[1], "2");
  EXPECT_EQ(args[6], "465");
  EXPECT_EQ(args[19], "2140");
  EXPECT_EQ(args[7], "C 1_C'2");
  EXPECT_EQ(args[8], "");
  EXPECT_EQ(args[2], "0000001001");
  EXPECT_EQ(args[5], "");
  EXPECT_EQ(args[16], "2020-01-01");
  EXPECT_EQ(args[17], "2030-12-31");
  EXPECT_EQ(args[18], "");
  EXPECT_FALSE(Filtro.boNormal || Filtro.boPLiquidado || Filtro.Cliente.boTodos);
  EXPECT_TRUE(Filtro.NrPedido.boLista);
  EXPECT_EQ(Filtro.Cliente.stLista, "C 1_C'2");

  d.sbtLimpaClick();
  d.click(d.chbPAndamento);
  d.click(d.chbPParcialmente);
  ASSERT_TRUE(act(h, [&] { d.sbtConfirmaClick(); }));
  args = wire(d.GetPedidosArgs());
  EXPECT_EQ(args[1], "35");
  EXPECT_EQ(args[13], iso(h.clock.today() - 7));  // no order range now: the former dates stay
  EXPECT_EQ(args[15], "T");
  EXPECT_EQ(args[16], "2020-01-01");
  EXPECT_EQ(args[18], "T");
  EXPECT_EQ(Filtro.dtDeEntrega, 0);
}

TEST(FilterApply, ASellerTiedOperatorSendsHisOwnSellerWhateverTheButtonsShow) {
  ScreenHarness h(kVendedor);
  TfrmFiltroLiquidaItem& d = showFilter(h);
  ASSERT_TRUE(act(h, [&] { d.sbtConfirmaClick(); })) << h.host.shown().back();
  const Lines args = wire(d.GetPedidosArgs());
  EXPECT_EQ(args[11], "0001");
  EXPECT_EQ(args[12], "");
}

TEST(FilterApply, AFailedQueryKeepsTheDialogOpenButTheNewFilterStays) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  ASSERT_TRUE(act(h, [&] { d.sbtConfirmaClick(); }));
  TfrmLiquidaItem& s = h.screen();
  const std::size_t orders = s.cdsPedido.recordCount();
  h.host.take();
  h.vantora.context().webPort = 1;  // the server is gone
  s.netLiquidaItem.Close();
  d.click(d.chbAlta);
  EXPECT_FALSE(act(h, [&] { d.sbtConfirmaClick(); }));
  const Lines shown = h.host.take();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[1], "aguarde: fim");  // down before the message
  EXPECT_NE(shown[2].find("127.0.0.1:1"), std::string::npos) << shown[2];
  EXPECT_EQ(h.toolkit.filterCloseRequests, 1);  // only the first
  EXPECT_EQ(s.cdsPedido.recordCount(), orders);
  EXPECT_EQ(d.stPrioridade, "3140");
  EXPECT_FALSE(Filtro.boAlta);
  EXPECT_EQ(marking.markedOrders(), 0);
}

TEST(FilterApply, AllocationRowsAreAskedForOnlyWhereTheParametersMoveStock) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h, "0003");
  TfrmLiquidaItem& s = h.screen();
  loadAllocationRows(s.cdsEvolEst, {{{"NRPEDIDO", "antes"}}});
  ASSERT_TRUE(act(h, [&] { d.sbtConfirmaClick(); })) << h.host.shown().back();
  EXPECT_NE(s.cdsParamPedido.field("IDEVOLESTLIQMAN").asString(), "S");
  s.cdsEvolEst.setFiltered(false);  // the view of the current item's rows
  ASSERT_EQ(s.cdsEvolEst.recordCount(), 1u);
  EXPECT_EQ(s.cdsEvolEst.field("NRPEDIDO").asString(), "antes");
  EXPECT_FALSE(s.panEvolEstq.visible());  // Habilita_Evol_Estq ran
}

}  // namespace
}  // namespace ped::core::testing
