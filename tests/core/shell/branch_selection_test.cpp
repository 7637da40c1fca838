// Choosing the branch: typing, searching, refusals, and the operator's
// seller under the branch's order parameters, against the demo server.

#include <gtest/gtest.h>

#include "core/filter_steps.h"
#include "core/screen_harness.h"
#include "support/demo_server.h"
#include "support/fault_proxy.h"

namespace ped::core::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(BranchSelection, AShortCodeIsAdjustedCheckedAndOpensTheFilter) {
  ScreenHarness h(kGerente, false, "0002");
  h.open();
  TfrmLiquidaItem& s = h.screen();
  h.enterBranchField();
  Filtro.Produto.stLista = "0000000001";
  Filtro.boAlta = false;
  h.typeBranch("1");
  EXPECT_EQ(Filtro.Produto.stLista, "");  // products are the branch's
  EXPECT_FALSE(Filtro.boAlta);            // the rest of the filter stays
  EXPECT_EQ(s.edtNmFilial.text(), "");
  h.leaveBranchField();
  EXPECT_EQ(s.medCdFilial.text(), "0001");
  EXPECT_EQ(s.edtNmFilial.text(), "Matriz São Paulo");
  EXPECT_EQ(h.vantora.FiliProc() + " " + h.vantora.NomeFiliProc(),
            "0001 Matriz São Paulo");  // the host's too
  EXPECT_EQ(s.cdsParamPedido.field("IDEXIBPEDIDO").asString(), "2");
  EXPECT_EQ(h.toolkit.filterShowings, 1);
  EXPECT_TRUE(s.sbtFiltro.enabled());
  EXPECT_TRUE(s.mnuFiltrar.enabled());
  EXPECT_EQ(h.host.take(), (Lines{"aguarde: 6", "aguarde: fim"}));
}

TEST(BranchSelection, AMissingOrUnknownCodeIsRefusedWithTheFocusBackInTheField) {
  ScreenHarness h;
  h.open();
  TfrmLiquidaItem& s = h.screen();
  const std::pair<const char*, const char*> cases[] = {{"", "erro: Filial deve ser informada."},
                                                       {"9", "erro: Filial não cadastrada."}};
  for (const auto& [code, shown] : cases) {
    h.enterBranchField();
    h.typeBranch(code);
    s.setFocus(s.dbgPadrao);
    h.leaveBranchField();
    EXPECT_EQ(h.host.take(), Lines{shown});
    EXPECT_EQ(s.focused(), &s.medCdFilial) << code;
    EXPECT_EQ(h.toolkit.filterShowings, 0);
    EXPECT_FALSE(s.sbtFiltro.enabled());
    EXPECT_FALSE(s.cdsParamPedido.active());
  }
  EXPECT_EQ(s.medCdFilial.text(), "0009");
}

TEST(BranchSelection, BoundToTheHostsBranchAFailedCheckLeavesTheFocusWhereItWas) {
  ScreenHarness h(kGerente, true);
  h.open();
  h.host.take();
  TfrmLiquidaItem& s = h.screen();
  s.setFocus(s.dbgPadrao);
  s.medCdFilial.setText("XYZ");
  EXPECT_FALSE(s.handle([&] { s.Vd_Filial(); }));
  EXPECT_EQ(h.host.take(), Lines{"erro: Filial não cadastrada."});
  EXPECT_EQ(s.focused(), &s.dbgPadrao);
}

TEST(BranchSelection, SearchingFillsCodeAndNameButReadsNoParameters) {
  ScreenHarness h;
  h.open();
  TfrmLiquidaItem& s = h.screen();
  h.enterBranchField();
  Filtro.Produto.stLista = "0000000001";
  h.host.chooseRowNumber(3);
  h.clickBranchSearch();
  EXPECT_EQ(h.host.take(), Lines{"pesquisa: Filial -> 3"});
  EXPECT_EQ(s.medCdFilial.text(), "0003");
  EXPECT_EQ(s.edtNmFilial.text(), "Filial Belo Horizonte");
  EXPECT_EQ(Filtro.Produto.stLista, "");
  EXPECT_FALSE(s.cdsParamPedido.active());
  EXPECT_EQ(h.toolkit.filterShowings, 0);
  EXPECT_TRUE(s.pgcPadrao.isActive(s.tshPadrao));
  EXPECT_TRUE(s.mnuPedido.checked());
  EXPECT_FALSE(s.tshJustExcl.enabled());

  h.host.leaveSearch();
  h.clickBranchSearch();
  EXPECT_EQ(s.medCdFilial.text(), "0003");
}

TEST(BranchSelection, TheSearchButtonUsedFromElsewhereEntersAndLeavesTheFieldLikeTyping) {
  ScreenHarness h;
  std::vector<std::string> filteredFor;
  h.toolkit.inFilter = [&](TfrmFiltroLiquidaItem& f) {
    filteredFor.push_back(frmLiquidaItem->medCdFilial.text());
    everyOrder(f, filteredFor.back());
  };
  h.open();
  TfrmLiquidaItem& s = h.screen();
  h.leaveBranchField();
  ASSERT_TRUE(s.handle([&] { s.sbtVerificarClick(); }));
  ASSERT_FALSE(s.cdsPedido.isEmpty());
  EXPECT_EQ(s.cdsParamPedido.field("IDEVOLESTLIQMAN").asString(), "S");
  s.setFocus(s.dbgPadrao);  // the operator works in branch 0001's orders
  h.host.take();

  h.host.chooseRowNumber(3);
  h.clickBranchSearch();
  EXPECT_EQ(h.host.take(), (Lines{"pesquisa: Filial -> 3", "aguarde: 6", "aguarde: fim"}));
  EXPECT_EQ(filteredFor, (std::vector<std::string>{"0001", "0003"}));
  EXPECT_FALSE(s.cdsPedido.active());                                    // 0001's orders are gone
  EXPECT_EQ(s.cdsParamPedido.field("IDEVOLESTLIQMAN").asString(), "N");  // 0003's parameters
  EXPECT_TRUE(s.sbtFiltro.enabled());
  EXPECT_EQ(s.focused(), &s.dbgPadrao);
  EXPECT_FALSE(s.inBranchField());
  ASSERT_TRUE(s.handle([&] { s.sbtVerificarClick(); }));
  EXPECT_EQ(s.cdsPedido.field("CDFILIAL").asString(), "0003");
  h.host.take();

  // Leaving the search has entered the field: nothing is read until it is left.
  h.host.leaveSearch();
  h.clickBranchSearch();
  EXPECT_EQ(h.host.take(), Lines{"pesquisa: Filial -> saiu"});
  EXPECT_TRUE(s.inBranchField());
  EXPECT_FALSE(s.cdsPedido.active() || s.sbtFiltro.enabled());
  EXPECT_EQ(filteredFor.size(), 2u);
}

TEST(BranchSelection, ReenteringTheBranchFieldEmptiesBothListsAndLocksTheFilter) {
  ScreenHarness h;
  h.open();
  TfrmLiquidaItem& s = h.screen();
  h.enterBranchField();
  h.leaveBranchField();
  ASSERT_TRUE(s.sbtFiltro.enabled());
  // As after a query, with the item page showing.
  for (engine::DataSet* ds : {&s.cdsPedido, &s.cdsItemPedido}) {
    ds->open();
    ds->append();
    ds->field("NRPEDIDO").setString("0000001001");
    ds->post();
  }
  s.tshItemPedido.setEnabled(true);
  s.tshJustExcl.setEnabled(true);
  s.mnuItemPedido.setEnabled(true);
  s.pgcPadrao.setActivePage(s.tshItemPedido);
  for (hostlib::Control* c : std::initializer_list<hostlib::Control*>{
           &s.sbtVerificar, &s.sbtIncluir, &s.sbtProporLotes, &s.mnuProporLotes, &s.dbnPadrao})
    c->setEnabled(true);
  s.dtsPadrao = &s.cdsItemPedido;
  s.lblNome.setCaption("Padaria Pão Quente");

  h.enterBranchField();
  EXPECT_FALSE(s.cdsPedido.active());
  EXPECT_FALSE(s.cdsItemPedido.active());
  EXPECT_EQ(s.lblNome.caption(), "");
  EXPECT_TRUE(s.pgcPadrao.isActive(s.tshPadrao));
  EXPECT_EQ(s.dtsPadrao, &s.cdsItemPedido);  // no page-change handling ran
  EXPECT_TRUE(s.pgcPadrao.onChange != nullptr);
  for (const hostlib::Control* c : std::initializer_list<const hostlib::Control*>{
           &s.sbtFiltro, &s.mnuFiltrar, &s.tshItemPedido, &s.tshJustExcl, &s.mnuItemPedido, &s.mnuJustExcl,
           &s.sbtVerificar, &s.mnuVerificar, &s.sbtProcurar, &s.mnuProcurar, &s.sbtIncluir, &s.sbtProporLotes,
           &s.mnuProporLotes, &s.dbnPadrao})
    EXPECT_FALSE(c->enabled()) << c->name();
  EXPECT_FALSE(s.mnuItemPedido.checked());

  h.leaveBranchField();
  EXPECT_TRUE(s.sbtFiltro.enabled());
  EXPECT_EQ(h.toolkit.filterShowings, 2);
}

TEST(BranchSelection, UnderSellerBindingOnlyOperatorsWithASellerGoOn) {
  {
    ScreenHarness h(kGerente);  // listed among those who see every seller
    h.open();
    h.enterBranchField();
    h.leaveBranchField();
    EXPECT_FALSE(h.screen().ExibeVendedorLogado());
    EXPECT_EQ(h.toolkit.filterShowings, 1);
  }
  {
    ScreenHarness h(kVendedor);
    h.open();
    h.enterBranchField();
    h.leaveBranchField();
    EXPECT_TRUE(h.screen().ExibeVendedorLogado());
    EXPECT_EQ(h.screen().cdsVendLog.field("CDVENDEDOR").asString(), "0001");
    EXPECT_EQ(h.toolkit.filterShowings, 1);
  }
  ScreenHarness h(kSemVendedor);
  h.open();
  h.enterBranchField();
  h.typeBranch("0003");  // every seller's orders are shown there
  h.leaveBranchField();
  EXPECT_EQ(h.toolkit.filterShowings, 1);
  h.enterBranchField();
  h.typeBranch("0001");
  h.leaveBranchField();
  EXPECT_EQ(h.host.take(), (Lines{"aguarde: 6", "aguarde: fim", "aguarde: 6", "aguarde: fim",
                                  "erro: Não há vendedor parametrizado para o operador logado."}));
  EXPECT_EQ(h.toolkit.filterShowings, 1);
  EXPECT_EQ(frmLiquidaItem, nullptr);  // closed once the event was done
  EXPECT_FALSE(boIdCriado);
}

TEST(BranchSelection, AServerThatCannotBeReachedLeavesTheFilterLocked) {
  ScreenHarness h;
  h.vantora.context().webPort = 1;  // nothing listens there
  h.open();
  TfrmLiquidaItem& s = h.screen();
  h.enterBranchField();
  h.leaveBranchField();
  const Lines shown = h.host.take();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[1], "aguarde: fim");  // down before the message shows
  EXPECT_EQ(shown[2].rfind("erro: ", 0), 0u);
  EXPECT_NE(shown[2].find("127.0.0.1:1"), std::string::npos) << shown[2];
  EXPECT_FALSE(s.sbtFiltro.enabled());
  EXPECT_EQ(h.toolkit.filterShowings, 0);
  EXPECT_FALSE(s.cdsParamPedido.active());
}

TEST(BranchSelection, AParameterAnswerLackingAFieldLoadsNoneOfItsThreePackets) {
  ped::testing::FaultProxy proxy(ped::testing::demoServer().port);
  ScreenHarness h;
  h.vantora.context().webPort = proxy.port();
  // Only the last packet, the operator's seller, lacks it.
  proxy.rewrite("GetParam",
                [](std::string body) { return ped::testing::replaced(body, "NMFANVEN", "NMFANTASIA"); });
  h.open();
  h.enterBranchField();
  h.leaveBranchField();
  EXPECT_EQ(h.host.take(), (Lines{"aguarde: 6", "aguarde: fim",
                                  "erro: Resposta inválida do servidor de aplicação para GetParam."}));
  TfrmLiquidaItem& s = h.screen();
  for (const engine::DataSet* ds : {&s.cdsParamPedido, &s.cdsOperTPed, &s.cdsVendLog})
    EXPECT_FALSE(ds->active()) << ds->name();
  EXPECT_FALSE(s.sbtFiltro.enabled());
  EXPECT_EQ(h.toolkit.filterShowings, 0);
}

}  // namespace
}  // namespace ped::core::testing
