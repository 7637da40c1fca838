// Confirmations that do not go through, and orders the server refuses: the
// operator is told, nothing is half done, nothing stays frozen or busy.

#include "core/confirmation/confirmation_steps.h"
#include "core/orders/marking_state.h"
#include "support/fault_proxy.h"

namespace ped::core::testing {
namespace {

class Refusals : public ConfirmationTest {
 protected:
  // Order 0000001002 of branch 0001, its stock allocated, marked and
  // justified, the order page showing.
  void markOrderOn0001() {
    allocateFromStock("0001", {"0000001002"});
    ASSERT_TRUE(toOrder("0000001002"));
    ASSERT_TRUE(clickOrder());
    justify("0003");
    h_.host.take();
  }
  // The order's items, untouched.
  void expectNothingSettled() const {
    EXPECT_EQ(rows("SELECT IDSITITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000001002' "
                   "ORDER BY NRITEMPED"),
              (Lines{"2", "2", "3"}));
    EXPECT_EQ(one("SELECT COUNT(*) FROM MOVESTOQUE WHERE NRPEDIDO = '0000001002' AND CDFILIAL = '0001'"),
              "0");
    EXPECT_EQ(one("SELECT COUNT(*) FROM HISTLIQMAN WHERE NRPEDIDO = '0000001002' AND CDFILIAL = '0001'"),
              "0");
  }
};

TEST_F(Refusals, NothingMarkedIsRefusedBeforeAnyQuestion) {
  listOrders("0001");
  s().sbtConfirmar.setEnabled(true);  // as the mark count left it, wrongly
  EXPECT_FALSE(confirm({}));
  EXPECT_EQ(h_.host.take(), (Lines{"erro: Pedidos devem ser informados."}));  // no closing steps either
  expectReleased();
}

// A "Não" sends nothing; the closing steps still reload the list, which
// drops the marks, also after a "Não" to an exclusion.
TEST_F(Refusals, ANoToEachQuestionSendsNothing) {
  listOrders("0001");
  for (const std::initializer_list<bool> answers : {std::initializer_list<bool>{false}, {true, false}}) {
    markOrderOn0001();
    ASSERT_TRUE(confirm(answers));
    EXPECT_EQ(messages().size(), answers.size());
    EXPECT_TRUE(marked("0000001002 2 N"));
    EXPECT_EQ(marking.markedOrders(), 0);
    EXPECT_EQ(s().edtCdJust.text(), "");
    expectReleased();
  }
  EXPECT_TRUE(calls("AtualizaEstoque").empty());
  EXPECT_TRUE(calls("SetLiquidaPed").empty());
  expectNothingSettled();

  ASSERT_TRUE(toOrder("0000001007"));
  ASSERT_TRUE(clickOrder());
  justify("0003");
  h_.host.take();
  ASSERT_TRUE(s().handle([&] { s().pgcPadrao.choosePage(s().tshPadrao); }));
  ASSERT_TRUE(confirm({false}));
  EXPECT_TRUE(calls("SetDesfazLiq").empty());
  // Not the item page, unusable while orders are marked: the order page,
  // reloaded, as after a "Não" to a liquidation.
  EXPECT_TRUE(s().pgcPadrao.isActive(s().tshPadrao));
  EXPECT_TRUE(marked("0000001007 5 N"));
  EXPECT_EQ(s().edtCdJust.text(), "");
  expectReleased();
}

// A justification missing or not in the register is refused before any
// question: its page in front, the focus in the code, the marks kept.
TEST_F(Refusals, AJustificationMissingOrNotInTheRegisterSettlesNothing) {
  listOrders("0001");
  markOrderOn0001();
  for (const auto& [code, refusal] :
       {std::pair<const char*, const char*>{"", "Justificativa deve ser informada."},
        {"9999", "Justificativa de exclusão do histórico não cadastrada."}}) {
    justify(code);
    watchMessages();
    h_.host.take();
    EXPECT_FALSE(confirm({}));
    EXPECT_EQ(messages(), (Lines{std::string("erro: ") + refusal}));
    EXPECT_TRUE(s().pgcPadrao.isActive(s().tshJustExcl));
    EXPECT_EQ(s().focused(), &s().edtCdJust);
    expectReleased();
    EXPECT_TRUE(marked("0000001002 2 S"));
  }
  EXPECT_TRUE(calls("SetLiquidaPed").empty());
  expectNothingSettled();
}

TEST_F(Refusals, IrregularStockStopsBeforeTheSettlementAndKeepsTheMarks) {
  listOrders("0001");
  markOrderOn0001();
  bool rewritten = false;
  proxy.rewrite("AtualizaEstoque", [&](std::string body) {
    const std::string irregular =
        R"([null,{"fields":[{"name":"CDPRODUTO","type":"string","size":10},{"name":"QTFINAL","type":"float"}],)"
        R"("rows":[["000054",-3]]}])";
    std::string out = ped::testing::replaced(body, "[null,null]", irregular);
    rewritten = out != body;
    return out;
  });
  watchMessages();

  EXPECT_FALSE(confirm({true, true}));
  ASSERT_TRUE(rewritten);
  const Lines shown = messages();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(
      shown.back(),
      "erro: Operação cancelada. A atualização de estoque de alguns produtos faria com que a posição de "
      "estoque se tornasse irregular.");
  expectReleased();
  EXPECT_TRUE(calls("SetLiquidaPed").empty());
  expectNothingSettled();
  EXPECT_TRUE(marked("0000001002 2 S"));
  EXPECT_EQ(marking.markedOrders(), 1);
}

TEST_F(Refusals, AServerFailureInTheMiddleLeavesNothingHalfDone) {
  listOrders("0001");
  markOrderOn0001();
  proxy.fail("SetLiquidaPed", "Falha simulada no servidor.");
  watchMessages();

  EXPECT_FALSE(confirm({true, true}));
  const Lines shown = messages();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(), "erro: Falha simulada no servidor.");
  expectReleased();
  expectNothingSettled();
  EXPECT_TRUE(marked("0000001002 2 S"));
}

// Orders changed by someone else meanwhile are refused one by one; the
// operator sees which and why once the lists show the server's state.
TEST_F(Refusals, OrdersTheServerRefusedAreListedAfterTheOthersWentThrough) {
  listOrders("0003");
  for (const char* order : {"0000001002", "0000001004"}) {
    ASSERT_TRUE(toOrder(order));
    ASSERT_TRUE(clickOrder());
  }
  justify("0005");
  sql::open(server.info().database)
      ->execute("UPDATE PEDIDO SET IDSITPEDIDO = '6' WHERE CDFILIAL = '0003' AND NRPEDIDO = '0000001004'");
  h_.host.take();

  ASSERT_TRUE(confirm({true}));
  const Lines shown = messages();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(
      shown.back(),
      "janela: Pedidos não processados [Filial; Pedido; Situação; Mensagem] | 0003; 0000001004; PA; Esta "
      "operação não pode ser realizada. Atualize os dados. | 1 pedido(s) processado(s), 1 não "
      "processado(s).");
  expectReleased();
  EXPECT_EQ(
      rows("SELECT NRPEDIDO, IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = '0003' AND NRPEDIDO IN ('0000001002', "
           "'0000001004') ORDER BY 1"),
      (Lines{"0000001002 5", "0000001004 6"}));
  EXPECT_EQ(s().cdsErro.recordCount(), 1u);
}

// Shown before the lists are read again: a reload that fails cannot hide
// them, and its error comes after them.
TEST_F(Refusals, RefusalsComeBeforeTheErrorOfAFailingReload) {
  listOrders("0003");
  ASSERT_TRUE(toOrder("0000001002"));
  ASSERT_TRUE(clickOrder());
  justify("0005");
  sql::open(server.info().database)
      ->execute("UPDATE PEDIDO SET IDSITPEDIDO = '6' WHERE CDFILIAL = '0003' AND NRPEDIDO = '0000001002'");
  proxy.fail("GetPedidos", "Falha simulada no servidor.");
  watchMessages();
  h_.host.take();

  EXPECT_FALSE(confirm({true}));
  const Lines shown = messages();
  ASSERT_GE(shown.size(), 2u);
  EXPECT_TRUE(shown[shown.size() - 2].starts_with(
      "janela: Pedidos não processados [Filial; Pedido; Situação; Mensagem] | 0003; 0000001002; PA; "))
      << shown[shown.size() - 2];
  EXPECT_EQ(shown.back(), "erro: Falha simulada no servidor.");
  expectReleased();
}

}  // namespace
}  // namespace ped::core::testing
