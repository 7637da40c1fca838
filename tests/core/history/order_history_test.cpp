// The order's settlement history as the operator opens it from the
// operations menu, after settling two items and excluding one of them.

#include "core/confirmation/confirmation_steps.h"

namespace ped::core::testing {
namespace {

class History : public ConfirmationTest {
 protected:
  // Items 1 and 2 of order 1006 (branch 0002, warehouse only) settled with
  // justification 0001, then item 1 excluded with 0002.
  void settleAndExcludeOne() {
    listOrders("0002");
    allocateFromStock("0002", {"0000001006"});
    ASSERT_TRUE(toOrder("0000001006"));
    for (const char* item : {"1", "2"}) {
      ASSERT_TRUE(toItem(item));
      ASSERT_TRUE(clickItem());
    }
    justify("0001");
    ASSERT_TRUE(confirm({true, true}));
    ASSERT_TRUE(toItem("1"));
    ASSERT_TRUE(clickItem());
    justify("0002");
    ASSERT_TRUE(confirm({true}));
    ASSERT_TRUE(choose(s().mnuPedido));
    ASSERT_TRUE(toOrder("0000001006"));
    h_.host.take();
  }
};

TEST_F(History, ListsThePairNewestFirstWithTheStockEachSettlementTook) {
  settleAndExcludeOne();
  ASSERT_TRUE(s().mnuHistorico.enabled());
  const std::string lot = one(
      "SELECT CDALMOXARIFE || '; ' || CDLOCALESTOQ || '; ' || NRLOTEESTQ || '; ' || NRSUBLOTE FROM MOVESTOQUE"
      " WHERE NRPEDIDO = '0000001006' AND NRITEMPED = '2'");
  watchMessages();

  ASSERT_TRUE(choose(s().mnuHistorico));
  const Lines shown = messages();
  ASSERT_EQ(shown.size(), 1u) << ::testing::PrintToString(shown);
  // Rows split on " | ": the title and headings, three rows, the summary.
  std::vector<std::string> parts;
  for (std::size_t at = 0, next; at != std::string::npos; at = next == std::string::npos ? next : next + 3) {
    next = shown[0].find(" | ", at);
    parts.push_back(shown[0].substr(at, next == std::string::npos ? next : next - at));
  }
  ASSERT_EQ(parts.size(), 5u) << shown[0];
  EXPECT_EQ(
      parts[0],
      "janela: Histórico do Pedido 0000001006 [Data/Hora; Operador; Operação; Item; Produto; Quantidade; "
      "Situação Anterior; Situação Nova; Justificativa; Vínculo]");
  EXPECT_NE(parts[1].find("; GERENTE - "), std::string::npos) << parts[1];
  EXPECT_NE(parts[1].find("; Exclusão da Liquidação; 1; "), std::string::npos) << parts[1];
  EXPECT_NE(parts[1].find("; 6 - Liquidado manualmente; 1 - Pendente; 0002 - "), std::string::npos)
      << parts[1];
  EXPECT_NE(parts[1].find("; Estorna a liquidação de "), std::string::npos) << parts[1];
  EXPECT_EQ(parts[1].find('{'), std::string::npos) << "an exclusion gives no stock back: " << parts[1];
  // The two settlements, the excluded one naming its exclusion, each with its stock.
  for (const std::string& row : {parts[2], parts[3]}) {
    EXPECT_NE(row.find("; Liquidação; "), std::string::npos) << row;
    EXPECT_NE(row.find("; 0001 - "), std::string::npos) << row;
    EXPECT_NE(row.find(" {"), std::string::npos) << row;
  }
  const std::string& excluded = parts[2].find("; Liquidação; 1; ") != std::string::npos ? parts[2] : parts[3];
  const std::string& kept = &excluded == &parts[2] ? parts[3] : parts[2];
  EXPECT_NE(excluded.find("; Excluída em "), std::string::npos) << excluded;
  EXPECT_NE(kept.find("; Liquidação; 2; "), std::string::npos) << kept;
  EXPECT_NE(kept.find("{" + lot + "; 9,000}"), std::string::npos) << kept;
  EXPECT_EQ(parts[4], "2 liquidação(ões), 1 exclusão(ões).");
}

TEST_F(History, AServerFailureIsToldAndNothingIsShown) {
  listOrders("0001");
  ASSERT_TRUE(s().mnuHistorico.enabled());
  proxy.fail("GetHistorico", "Falha simulada no servidor.");
  watchMessages();
  EXPECT_FALSE(choose(s().mnuHistorico));
  EXPECT_EQ(messages(), (Lines{"erro: Falha simulada no servidor."}));
  EXPECT_EQ(s().showavi.depth(), 0);
}

}  // namespace
}  // namespace ped::core::testing
