// The filter dialog's showing and restoring, its modes, clearing, keys and
// saved options.

#include <gtest/gtest.h>

#include "core/filter_steps.h"

namespace ped::core::testing {
namespace {

using Lines = std::vector<std::string>;

std::vector<bool> checks(const TfrmFiltroLiquidaItem& d) {
  std::vector<bool> out;
  for (const hostlib::Control* c : d.filterCheckBoxes()) out.push_back(c->checked());
  return out;
}

TEST(FilterDialog, FirstShowingHasEveryGroupOnTodosAndTheLastSevenOrderDays) {
  ScreenHarness h;
  bool seen = false;
  h.toolkit.inFilter = [&](TfrmFiltroLiquidaItem& d) {
    seen = true;
    EXPECT_EQ(d.caption(), "Filtro de Liquidação Manual");
    EXPECT_EQ(d.lblCodTela.caption(), "PED00801");
    ASSERT_EQ(d.msgPadrao.entries().size(), 35u);
    EXPECT_EQ(d.msgPadrao.entries().front().first, "DTINI>DTFIN_ENTREGA");
    EXPECT_EQ(d.msgPadrao.entries()[23].first, "PRODUTO");
    EXPECT_EQ(d.msgPadrao.entries().back().second, "Não há produto cadastrado.");
    for (const RadioButton* all : {&d.rbtTNrPedido, &d.rbtTCliente, &d.rbtTProduto, &d.rbtTVendedor})
      EXPECT_TRUE(all->checked()) << all->name();
    for (const RadioButton* list : {&d.rbtIntervalo, &d.rbtLNrPedido, &d.rbtLCliente, &d.rbtLVendedor})
      EXPECT_FALSE(list->checked()) << list->name();
    EXPECT_FALSE(d.medDeIntervalo.enabled() || d.lblAteNrPedido.enabled());
    for (const hostlib::Control* search : {&d.sbtNrPedido, &d.sbtCliente, &d.sbtProduto, &d.sbtVendedor})
      EXPECT_FALSE(search->enabled()) << search->name();
    EXPECT_EQ(checks(d), std::vector<bool>(14, true));  // Parc. Atendido too
    EXPECT_FALSE(d.chbPPendente.enabled() || d.chbPPendente.checked() || d.chbPCancelado.enabled());
    EXPECT_EQ(d.medDeIntervalo.color(), edit_colour::clWindow);
    EXPECT_EQ(d.depDeEmissao.GetDate(), h.clock.today() - 7);
    EXPECT_EQ(d.depAteEmissao.GetDate(), h.clock.today());
    EXPECT_EQ(d.depAteEmissao.fontColor(), hostlib::TDateEditPlus::kValidColor);
    EXPECT_TRUE(d.depDeEntrega.text().empty() && d.depAteEntrega.text().empty());
    EXPECT_TRUE(d.grbVendedor.enabled());
  };
  showFilter(h);
  EXPECT_TRUE(seen);
  EXPECT_EQ(Filtro.dtDeEmissao, h.clock.today() - 7);
  EXPECT_EQ(Filtro.dtAteEmissao, h.clock.today());
}

TEST(FilterDialog, ShowingAgainAfterACancelRestoresTheRecordNotTheDefaults) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  h.clock.set(h.clock.today() + 30);  // the seven-day default is applied once per dialog
  reopen(h, [&](TfrmFiltroLiquidaItem&) {
    d.click(d.rbtLCliente);
    stCliente = "0000001";
    d.click(d.chbAlta);
    d.depDeEntrega.setTyped("01/01/2024");
  });
  Filtro.NrPedido = {.boIntervalo = true, .stDeIntervalo = "0000000010", .stAteIntervalo = "0000000020"};
  Filtro.Produto = {.boTodos = false, .stLista = ""};  // as after the branch was edited
  reopen(h, [&](TfrmFiltroLiquidaItem&) {
    EXPECT_TRUE(d.rbtTCliente.checked());
    EXPECT_EQ(stCliente, "");
    EXPECT_TRUE(d.chbAlta.checked());
    EXPECT_TRUE(d.depDeEntrega.text().empty());
    EXPECT_EQ(d.depAteEmissao.GetDate(), Filtro.dtAteEmissao);
    EXPECT_NE(d.depAteEmissao.GetDate(), h.clock.today());
    EXPECT_TRUE(d.rbtIntervalo.checked() && d.medDeIntervalo.enabled() && d.lblAteNrPedido.enabled());
    EXPECT_EQ(d.medAteIntervalo.text(), "0000000020");
    EXPECT_EQ(d.medDeIntervalo.color(), edit_colour::clInfoBk);
    EXPECT_EQ(d.focused(), &d.medDeIntervalo);
    EXPECT_TRUE(d.rbtLProduto.checked() && d.sbtProduto.enabled());
  });
  Filtro.NrPedido = {.boIntervalo = false, .stDeIntervalo = "0000000010"};
  reopen(h, [&](TfrmFiltroLiquidaItem&) {
    EXPECT_TRUE(d.rbtTNrPedido.checked());
    EXPECT_EQ(d.medDeIntervalo.text(), "");
    EXPECT_FALSE(d.medDeIntervalo.enabled());
  });
}

TEST(FilterDialog, ShowingAgainRestoresTheFourPickedListsOfTheRecord) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  Filtro.NrPedido = {.boLista = true, .stLista = "0000001001"};
  Filtro.Cliente = {.boTodos = false, .stLista = "000003"};
  Filtro.Produto = {.boTodos = false, .stLista = "0102003"};
  Filtro.Vendedor = {.boTodos = false, .stLista = "0001_0002"};
  stNrPedido = stCliente = stProduto = stVendedor = "antes";
  reopen(h, [&](TfrmFiltroLiquidaItem&) {
    EXPECT_EQ(stNrPedido, "0000001001");
    EXPECT_EQ(stCliente, "000003");
    EXPECT_EQ(stProduto, "0102003");
    EXPECT_EQ(stVendedor, "0001_0002");
    EXPECT_TRUE(d.rbtLNrPedido.checked() && d.sbtNrPedido.enabled());
    EXPECT_EQ(d.focused(), &d.rbtLNrPedido);  // the dialog opens in its first field
    for (const hostlib::Control* search : {&d.sbtCliente, &d.sbtProduto, &d.sbtVendedor})
      EXPECT_TRUE(search->enabled()) << search->name();
  });
}

TEST(FilterDialog, ModesSwitchTheRangeEditsAndSearchButtonsAndKeepPickedLists) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  d.click(d.rbtLNrPedido);
  EXPECT_TRUE(d.sbtNrPedido.enabled());
  EXPECT_FALSE(d.rbtTNrPedido.checked());
  // Typing a number selects "Intervalo", as clicking it does.
  d.typeRange(d.medAteIntervalo, "5");
  EXPECT_TRUE(d.rbtIntervalo.checked());
  EXPECT_FALSE(d.rbtLNrPedido.checked() || d.sbtNrPedido.enabled());
  EXPECT_TRUE(d.medDeIntervalo.enabled());
  EXPECT_EQ(d.medAteIntervalo.color(), edit_colour::clInfoBk);
  EXPECT_EQ(d.focused(), &d.medDeIntervalo);
  for (RadioButton* leave : {&d.rbtTNrPedido, &d.rbtLNrPedido}) {
    d.click(d.rbtIntervalo);
    d.typeRange(d.medDeIntervalo, "1");
    d.click(*leave);
    EXPECT_TRUE(leave->checked()) << leave->name();
    EXPECT_FALSE(d.rbtIntervalo.checked());
    EXPECT_EQ(d.medDeIntervalo.text() + d.medAteIntervalo.text(), "");
    EXPECT_FALSE(d.medDeIntervalo.enabled() || d.lblDeNrPedido.enabled());
    EXPECT_EQ(d.medDeIntervalo.color(), edit_colour::clWindow);
  }

  const std::tuple<RadioButton*, RadioButton*, hostlib::Control*, std::string*> groups[] = {
      {&d.rbtTCliente, &d.rbtLCliente, &d.sbtCliente, &stCliente},
      {&d.rbtTProduto, &d.rbtLProduto, &d.sbtProduto, &stProduto},
      {&d.rbtTVendedor, &d.rbtLVendedor, &d.sbtVendedor, &stVendedor}};
  for (const auto& [all, list, search, picked] : groups) {
    d.click(*list);
    EXPECT_TRUE(search->enabled() && !all->checked()) << search->name();
    *picked = "A_B";
    d.click(*all);
    EXPECT_FALSE(search->enabled() || list->checked()) << search->name();
    EXPECT_EQ(*picked, "A_B");
  }
}

TEST(FilterDialog, CtrlDClearsToEmptyDatesAndF9OnAListButtonSearches) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  auto dirty = [&] {
    d.click(d.rbtIntervalo);
    d.typeRange(d.medAteIntervalo, "7");
    d.click(d.rbtLCliente);
    d.click(d.rbtLProduto);
    d.click(d.rbtLVendedor);
    d.click(d.chbNormal);
    d.click(d.chbIAprovado);
    stNrPedido = stCliente = stProduto = stVendedor = "X";
    d.depDeEntrega.setTyped("01/02/2024");
    d.depAteEntrega.setTyped("02/02/2024");
  };
  dirty();
  d.keyDown(&d.rbtLCliente, kKeyD, 0);
  EXPECT_FALSE(d.rbtTNrPedido.checked());
  for (unsigned shift : {unsigned(ssCtrl), unsigned(ssCtrl | ssShift)}) {
    dirty();
    const TFiltro before = Filtro;
    d.keyDown(nullptr, kKeyD, shift);
    EXPECT_TRUE(d.rbtTNrPedido.checked() && d.rbtTCliente.checked() && d.rbtTVendedor.checked() &&
                d.rbtTProduto.checked());
    EXPECT_FALSE(d.rbtIntervalo.checked() || d.rbtLProduto.checked());
    for (const hostlib::Control* off : std::initializer_list<const hostlib::Control*>{
             &d.sbtNrPedido, &d.sbtCliente, &d.sbtProduto, &d.sbtVendedor, &d.medDeIntervalo,
             &d.medAteIntervalo, &d.lblDeNrPedido, &d.lblAteNrPedido})
      EXPECT_FALSE(off->enabled()) << off->name();
    EXPECT_EQ(d.medAteIntervalo.text(), "");
    EXPECT_EQ(checks(d), std::vector<bool>(14, true));
    EXPECT_EQ(stNrPedido + stCliente + stProduto + stVendedor, "");
    for (const hostlib::TDateEditPlus* date :
         {&d.depDeEmissao, &d.depAteEmissao, &d.depDeEntrega, &d.depAteEntrega})
      EXPECT_EQ(date->text(), "") << date->name();
    EXPECT_EQ(Filtro.dtDeEmissao, before.dtDeEmissao);  // the record stays
  }

  ASSERT_FALSE(d.sbtCliente.enabled());
  h.host.checkKeys({"000003"});
  act(h, [&] { d.keyDown(&d.rbtLCliente, kKeyF9, 0); });
  const Lines shown = h.host.take();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "lista: Cliente (CDCLIENTE) [] -> 000003");
  EXPECT_EQ(stCliente, "000003");
  d.keyDown(&d.rbtTCliente, kKeyF9, 0);  // only on the "Lista" buttons
  EXPECT_TRUE(h.host.take().empty());
}

TEST(FilterDialog, SavedOptionsCarryTheFourListsAndNothingElse) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  d.options.set("outra", "1");
  Filtro.Cliente.stLista = "C9";
  stNrPedido = "0000000001_0000000002";
  stCliente = "C1";
  stProduto = "";
  stVendedor = "0001";
  ASSERT_TRUE(act(h, [&] { d.btfSaveOpcClick(); }));
  const std::vector<std::pair<std::string, std::string>> saved = {
      {"outra", "1"}, {"stNrPedido", "0000000001_0000000002"}, {"stCliente", "C1"}, {"stVendedor", "0001"}};
  EXPECT_EQ(d.options.entries(), saved);
  stCliente = "";
  ASSERT_TRUE(act(h, [&] { d.btfSaveOpcClick(); }));  // an emptied list drops its entry
  stNrPedido = stProduto = stVendedor = "outro";
  d.options.clear();
  ASSERT_TRUE(act(h, [&] { d.btfLoadOpcClick(); }));
  EXPECT_EQ(stNrPedido, "0000000001_0000000002");
  EXPECT_EQ(stCliente + stProduto, "");
  EXPECT_EQ(stVendedor, "0001");
  EXPECT_EQ(d.options.get("outra"), "1");
  EXPECT_EQ(Filtro.Cliente.stLista, "C9");  // saving and loading leave the record alone
}

TEST(FilterDialog, AnOperatorTiedToHisSellerFindsTheSellerGroupLocked) {
  ScreenHarness h(kVendedor);
  TfrmFiltroLiquidaItem& d = showFilter(h);
  for (const hostlib::Control* c : std::initializer_list<const hostlib::Control*>{
           &d.grbVendedor, &d.rbtTVendedor, &d.rbtLVendedor, &d.sbtVendedor})
    EXPECT_FALSE(c->enabled()) << c->name();
  d.click(d.rbtTVendedor);
  EXPECT_TRUE(d.rbtLVendedor.checked());  // his seller, named, not "Todos"
  EXPECT_TRUE(d.grbVendedor.caption().starts_with("Vendedor: 0001 - ")) << d.grbVendedor.caption();

  // The list he cannot fill is not asked of him.
  Filtro.Vendedor = {.boTodos = true, .stLista = ""};
  reopen(h, [&](TfrmFiltroLiquidaItem&) { EXPECT_TRUE(act(h, [&] { d.click(d.sbtConfirma); })); });
  EXPECT_EQ(h.host.take(), (Lines{"aguarde: 6", "aguarde: fim"}));

  // A branch whose orders show every seller leaves the group locked.
  Filtro.Vendedor = {};
  h.toolkit.inFilter = [&](TfrmFiltroLiquidaItem&) {
    EXPECT_FALSE(h.screen().ExibeVendedorLogado());
    EXPECT_FALSE(d.grbVendedor.enabled() || d.rbtTVendedor.enabled() || d.sbtVendedor.enabled());
  };
  h.enterBranchField();
  h.typeBranch("0003");
  h.leaveBranchField();
  EXPECT_EQ(h.toolkit.filterShowings, 3);
}

}  // namespace
}  // namespace ped::core::testing
