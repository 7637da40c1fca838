// The filter's checks on Confirma and on leaving a field: which message, in
// which order, where the focus goes, and that a refusal writes nothing.

#include <gtest/gtest.h>

#include "core/filter_steps.h"

namespace ped::core::testing {
namespace {

using Lines = std::vector<std::string>;

struct Refusal {
  const char* name;
  std::function<void(TfrmFiltroLiquidaItem&)> setUp;
  const char* message;
  const char* focus;
};

TEST(FilterValidation, EachRuleShowsItsMessageAndFocusesItsControlAndWritesNothing) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  auto dates = [](TfrmFiltroLiquidaItem& f, const char* de, const char* ate, const char* deEnt,
                  const char* ateEnt) {
    f.depDeEmissao.setTyped(de);
    f.depAteEmissao.setTyped(ate);
    f.depDeEntrega.setTyped(deEnt);
    f.depAteEntrega.setTyped(ateEnt);
  };
  auto range = [](TfrmFiltroLiquidaItem& f, const char* de, const char* ate) {
    f.click(f.rbtIntervalo);
    f.typeRange(f.medDeIntervalo, de);
    f.typeRange(f.medAteIntervalo, ate);
  };
  const Refusal cases[] = {
      {"data inválida", [&](auto& f) { dates(f, "31/02/2024", "", "", ""); },
       "'31/02/2024' não é uma data válida.", "depDeEmissao"},
      {"entrega inválida", [&](auto& f) { dates(f, "", "", "", "99/99/2024"); },
       "'99/99/2024' não é uma data válida.", "depAteEntrega"},
      {"só a última", [&](auto& f) { dates(f, "", "10/05/2024", "", ""); },
       "Data do pedido inicial deve ser informada.", "depDeEmissao"},
      {"só a primeira", [&](auto& f) { dates(f, "10/05/2024", "", "", ""); },
       "Data do pedido final deve ser informada.", "depAteEmissao"},
      {"invertidas", [&](auto& f) { dates(f, "11/05/2024", "10/05/2024", "", ""); },
       "Data do pedido inicial deve ser menor ou igual a data do pedido final.", "depDeEmissao"},
      {"entrega sem fim", [&](auto& f) { dates(f, "", "", "10/05/2024", ""); },
       "Data de entrega final deve ser informada.", "depAteEntrega"},
      {"entrega sem início", [&](auto& f) { dates(f, "", "", "", "10/05/2024"); },
       "Data de entrega inicial deve ser informada.", "depDeEntrega"},
      {"entrega invertida", [&](auto& f) { dates(f, "", "", "11/05/2024", "10/05/2024"); },
       "Data de entrega inicial deve ser menor ou igual a data de entrega final.", "depDeEntrega"},
      {"intervalo vazio", [&](auto& f) { range(f, "", ""); }, "Intervalo inicial deve ser informado.",
       "medDeIntervalo"},
      {"só o último número", [&](auto& f) { range(f, "", "7"); }, "Intervalo inicial deve ser informado.",
       "medDeIntervalo"},
      {"só o primeiro número", [&](auto& f) { range(f, "7", ""); }, "Intervalo final deve ser informado.",
       "medAteIntervalo"},
      // As texts "12" > "9"; brought to width 10 they compare as numbers.
      {"números invertidos", [&](auto& f) { range(f, "12", "9"); },
       "Número pedido inicial deve ser menor ou igual ao número pedido final.", "medDeIntervalo"},
      {"sem situação do pedido",
       [](auto& f) {
         for (auto* c : {&f.chbPAndamento, &f.chbPLiquidado, &f.chbPParcialmente}) f.click(*c);
       },
       "Situação do pedido deve ser informada.", "chbPAndamento"},
      {"sem situação do item",
       [](auto& f) {
         for (const auto& c : f.grbItemPedido.children()) f.click(*c);
       },
       "Situação do item deve ser informada.", "chbIPendente"},
      {"sem prioridade",
       [](auto& f) {
         for (const auto& c : f.grbPrioridade.children()) f.click(*c);
       },
       "Prioridade deve ser informada.", "chbNormal"},
      {"lista de pedidos vazia", [](auto& f) { f.click(f.rbtLNrPedido); },
       "Número pedido deve ser informado.", "rbtLNrPedido"},
      {"clientes antes de produtos",
       [](auto& f) {
         f.click(f.rbtLProduto);
         f.click(f.rbtLCliente);
       },
       "Cliente deve ser informado.", "rbtLCliente"},
      {"lista de vendedores vazia", [](auto& f) { f.click(f.rbtLVendedor); }, "Vendedor deve ser informado.",
       "rbtLVendedor"},
      // A reversed delivery range and an order range without its first day:
      // the field the operator is in decides which he hears of.
      {"entrega primeiro",
       [&](auto& f) {
         dates(f, "", "10/05/2024", "11/05/2024", "10/05/2024");
         f.setFocus(f.depAteEntrega);
       },
       "Data de entrega inicial deve ser menor ou igual a data de entrega final.", "depDeEntrega"},
      {"pedido primeiro",
       [&](auto& f) {
         dates(f, "", "10/05/2024", "11/05/2024", "10/05/2024");
         f.setFocus(f.chbAlta);
       },
       "Data do pedido inicial deve ser informada.", "depDeEmissao"},
  };
  for (const Refusal& c : cases) {
    d.sbtLimpaClick();
    d.setFocus(d.chbBaixa);
    c.setUp(d);
    const TFiltro before = Filtro;
    const std::string statuses = d.stStatusPedido;
    EXPECT_FALSE(act(h, [&] { d.sbtConfirmaClick(); })) << c.name;
    EXPECT_EQ(h.host.take(), Lines{std::string("erro: ") + c.message}) << c.name;
    ASSERT_NE(d.focused(), nullptr) << c.name;
    EXPECT_EQ(d.focused()->name(), c.focus) << c.name;
    EXPECT_EQ(h.toolkit.filterCloseRequests, 0) << c.name;
    EXPECT_EQ(Filtro.dtAteEmissao, before.dtAteEmissao) << c.name;
    EXPECT_EQ(Filtro.Cliente.boTodos, before.Cliente.boTodos) << c.name;
    EXPECT_EQ(d.stStatusPedido, statuses) << c.name;
  }
}

TEST(FilterValidation, RangesThatHoldTogetherPassAndRangeRulesWaitForIntervalo) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  d.depDeEmissao.setTyped("10/05/2024");
  d.depAteEmissao.setTyped("10/05/2024");
  d.click(d.rbtIntervalo);
  d.typeRange(d.medDeIntervalo, "1001");
  d.typeRange(d.medAteIntervalo, "1001");
  EXPECT_TRUE(act(h, [&] { d.sbtConfirmaClick(); })) << h.host.shown().back();
  EXPECT_EQ(d.stDeIntervalo, "0000001001");

  // Under "Todos" or "Lista" no range rule runs, whatever the edits hold
  // (not reachable by typing, which selects "Intervalo").
  stNrPedido = "0000001001";
  for (RadioButton* mode : {&d.rbtTNrPedido, &d.rbtLNrPedido}) {
    d.click(*mode);
    d.medDeIntervalo.setText("9");
    d.medAteIntervalo.setText("1");
    d.depDeEmissao.setTyped("");
    d.depAteEmissao.setTyped("");
    EXPECT_TRUE(act(h, [&] { d.sbtConfirmaClick(); })) << mode->name() << " " << h.host.shown().back();
    EXPECT_EQ(d.stTEmissao, "T");
  }

  // The disabled order-status boxes never count.
  for (hostlib::Control* box : {&d.chbPAndamento, &d.chbPLiquidado, &d.chbPParcialmente})
    box->setChecked(false);
  d.chbPPendente.setChecked(true);
  d.chbPCancelado.setChecked(true);
  h.host.take();
  EXPECT_FALSE(act(h, [&] { d.sbtConfirmaClick(); }));
  EXPECT_EQ(h.host.take(), Lines{"erro: Situação do pedido deve ser informada."});
  EXPECT_EQ(d.focused(), &d.chbPAndamento);
}

TEST(FilterValidation, AProductListEmptiedByABranchEditIsReportedAtConfirma) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  Filtro.Produto = {.boTodos = false, .stLista = "0102003"};
  h.typeBranch("0002");  // the operator edits the branch code: the product list goes
  h.typeBranch("0001");
  EXPECT_EQ(Filtro.Produto.stLista, "");
  reopen(h, [&](TfrmFiltroLiquidaItem&) { EXPECT_FALSE(act(h, [&] { d.click(d.sbtConfirma); })); });
  EXPECT_EQ(h.host.take(), Lines{"erro: Produto deve ser informado."});
  EXPECT_EQ(d.focused(), &d.rbtLProduto);
}

TEST(FilterValidation, LeavingAFieldAdjustsARangeOrRefusesABadDateInPlace) {
  ScreenHarness h;
  TfrmFiltroLiquidaItem& d = showFilter(h);
  d.click(d.rbtIntervalo);
  d.typeRange(d.medDeIntervalo, "12");
  d.medDeIntervaloExit();
  d.medAteIntervaloExit();
  EXPECT_EQ(d.medDeIntervalo.text(), "0000000012");
  EXPECT_EQ(d.medAteIntervalo.text(), "");  // an empty number stays empty

  d.depAteEntrega.setTyped("30/02/2025");
  d.setFocus(d.depAteEntrega);
  EXPECT_FALSE(act(h, [&] { d.depAteEntregaExit(); }));
  EXPECT_EQ(h.host.take(), Lines{"erro: '30/02/2025' não é uma data válida."});
  EXPECT_EQ(d.focused(), &d.depAteEntrega);
  d.depAteEntrega.setTyped("28/02/2025");
  EXPECT_TRUE(act(h, [&] { d.depAteEntregaExit(); }));
  EXPECT_TRUE(h.host.take().empty());
}

}  // namespace
}  // namespace ped::core::testing
