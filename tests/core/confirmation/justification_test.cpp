// The exclusion justification as the operator enters it: typing and leaving
// the code, the search list, and the check every confirmation makes, against
// the demo register (0001 to 0007).

#include "core/marking_steps.h"

namespace ped::core::testing {
namespace {

class Justification : public MarkingTest {
 protected:
  // An order of branch 0003 marked: the justification page is open to the
  // operator, who is on it with the focus in the code.
  Justification() {
    listOrders("0003");
    EXPECT_TRUE(toOrder("0000001002") && clickOrder());
    EXPECT_TRUE(choose(s().mnuJustExcl));
    EXPECT_TRUE(s().setFocus(s().edtCdJust));
    messages();
  }

  bool type(const std::string& code) {
    return s().handle([&] { s().typeCdJust(code); });
  }
  bool leave() {
    return s().handle([&] { s().leaveCdJust(); });
  }
  // The check a confirmation makes, the operator on the order page.
  bool checkFromOrders() {
    EXPECT_TRUE(choose(s().mnuPedido));
    return s().handle([&] { s().Vd_JustExcl(true); });
  }
  // The page in front and the focus in the code.
  void backOnThePage() const {
    EXPECT_TRUE(s().pgcPadrao.isActive(s().tshJustExcl));
    EXPECT_EQ(s().focused(), &s().edtCdJust);
  }
};

TEST_F(Justification, AnEmptyCodeMayBeLeftButNotConfirmed) {
  for (const char* empty : {"", "   "}) {
    EXPECT_TRUE(type(empty));
    EXPECT_TRUE(leave());
    EXPECT_EQ(messages(), Lines{});
  }
  // Even with the page shut, the refusal opens it to put the focus there.
  s().tshJustExcl.setEnabled(false);
  EXPECT_FALSE(checkFromOrders());
  EXPECT_EQ(messages(), Lines{"erro: Justificativa deve ser informada."});
  EXPECT_TRUE(s().tshJustExcl.enabled());
  backOnThePage();
}

TEST_F(Justification, AShortCodeIsCompletedAndLookedUpAnUnknownOneRefused) {
  EXPECT_TRUE(type("3"));
  EXPECT_TRUE(leave());
  EXPECT_EQ(s().edtCdJust.text(), "0003");
  EXPECT_EQ(s().edtDsJust.text(), "ERRO DE DIGITAÇÃO");
  EXPECT_EQ(messages(), Lines{});

  // One character changed: the description goes at once, before any look-up.
  EXPECT_TRUE(type("0004"));
  EXPECT_EQ(s().edtDsJust.text(), "");

  // Not in the register, or text that would change the query's meaning if it
  // were pasted into it: refused, the code kept as completed.
  for (const auto& [code, kept] : {std::pair{"99", "0099"}, std::pair{"1' OR '1'='1", "1' OR '1'='1"}}) {
    EXPECT_TRUE(type(code));
    s().setFocus(s().dbgPadrao);  // where the operator went
    EXPECT_FALSE(leave()) << code;
    EXPECT_EQ(messages(), Lines{"erro: Justificativa de exclusão do histórico não cadastrada."});
    EXPECT_EQ(s().edtCdJust.text(), kept);
    EXPECT_EQ(s().edtDsJust.text(), "");
    backOnThePage();
  }
  EXPECT_FALSE(checkFromOrders());
  EXPECT_EQ(messages(), Lines{"erro: Justificativa de exclusão do histórico não cadastrada."});
  backOnThePage();

  // Left for the branch field, which shuts the page first: nothing to refuse there.
  h_.enterBranchField();
  EXPECT_TRUE(leave());
  EXPECT_EQ(messages(), Lines{});
  EXPECT_FALSE(s().pgcPadrao.isActive(s().tshJustExcl));
}

TEST_F(Justification, PickingFromTheListFillsBothTheConfirmationStillLooksItUp) {
  h_.host.chooseRowNumber(2);
  EXPECT_TRUE(choose(s().btnJust));
  EXPECT_EQ(messages(), Lines{"pesquisa: Justificativa de Exclusão hitórica -> 2"});
  EXPECT_EQ(s().edtCdJust.text(), "0002");
  EXPECT_EQ(s().edtDsJust.text(), "CLIENTE DESISTIU DA COMPRA");
  EXPECT_FALSE(s().qryPesqJust.active());

  // Each search reads the register again.
  engine::DataSet& listed = s().qryJustExcl.rows();
  const std::size_t registered = listed.recordCount();
  listed.first();
  listed.remove();
  h_.host.leaveSearch();
  EXPECT_TRUE(choose(s().btnJust));
  EXPECT_EQ(listed.recordCount(), registered);
  EXPECT_EQ(messages(), Lines{"pesquisa: Justificativa de Exclusão hitórica -> saiu"});
  EXPECT_EQ(s().edtCdJust.text(), "0002");  // leaving the list changes nothing

  EXPECT_TRUE(checkFromOrders());
  EXPECT_TRUE(s().qryPesqJust.active());
  EXPECT_EQ(s().edtDsJust.text(), "CLIENTE DESISTIU DA COMPRA");

  s().qryJustExcl.setSQL(s().qryJustExcl.sql() + " LIMIT 0");
  EXPECT_TRUE(choose(s().btnJust));
  EXPECT_EQ(messages(), Lines{"erro: Justificativa de exclusão do historico não cadastrada."});
}

TEST_F(Justification, ADatabaseFailureIsShownAndHandledLikeARefusal) {
  EXPECT_TRUE(type("0005"));
  s().qryPesqJust.setSQL(
      "SELECT CDJUSTEXCHIS, DSJUSTEXCHIS FROM JUSTEXCHIS_X WHERE CDJUSTEXCHIS = :P_CDJUSTEXCHIS");
  EXPECT_FALSE(checkFromOrders());
  Lines shown = messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(
      shown[0].starts_with("erro: Não foi possível consultar a justificativa de exclusão no banco de dados."))
      << shown[0];
  EXPECT_EQ(s().edtCdJust.text(), "0005");
  EXPECT_EQ(s().edtDsJust.text(), "");
  backOnThePage();

  s().qryJustExcl.setSQL("SELECT CDJUSTEXCHIS, DSJUSTEXCHIS FROM JUSTEXCHIS_X");
  EXPECT_FALSE(choose(s().btnJust));
  shown = messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(
      shown[0].starts_with("erro: Não foi possível ler as justificativas de exclusão do banco de dados."))
      << shown[0];
  EXPECT_EQ(s().edtCdJust.text(), "0005");
}

}  // namespace
}  // namespace ped::core::testing
