// The busy indicator, the search and the pick list as a screen uses them,
// answered by the scripted host.

#include "hostlib/searches.h"

#include <gtest/gtest.h>

#include "hostlib/busy.h"
#include "hostlib/consiste.h"
#include "support/scripted_host.h"

namespace ped::hostlib {
namespace {

using Shown = std::vector<std::string>;

void fillBranches(engine::DataSet& ds) {
  ds.addField({.name = "CDFILIAL", .size = 4, .label = "Código"});
  ds.addField({.name = "NMFILIAL", .size = 40, .label = "Filial"});
  ds.open();
  for (auto [code, name] : {std::pair{"0001", "Matriz"}, {"0002", "Filial Norte"}, {"0003", "Filial Sul"}}) {
    ds.append();
    ds.field("CDFILIAL").setString(code);
    ds.field("NMFILIAL").setString(name);
    ds.post();
  }
  ds.first();
}

TEST(Showavi, NestedActivationsShowOnceAndAGuardAlwaysTakesItDown) {
  ScriptedHost host;
  Showavi showavi(host);
  try {
    BusyGuard outer(showavi, BusyKind::Loading);
    {
      BusyGuard inner(showavi, BusyKind::Confirmation);
      EXPECT_EQ(showavi.depth(), 2);
    }
    consiste::MensErro(host, "Falha na consulta.", true);
  } catch (const Abort&) {
  }
  showavi.DeactiveShowAvi();  // an extra deactivation changes nothing
  EXPECT_EQ(showavi.depth(), 0);
  EXPECT_EQ(host.take(), (Shown{"aguarde: 6", "erro: Falha na consulta.", "aguarde: fim"}));

  // Taken down whole for a message: the guards raised before stay quiet, one
  // raised afterwards inside them still counts.
  {
    BusyGuard outer(showavi, BusyKind::Loading);
    {
      BusyGuard inner(showavi, BusyKind::Loading);
      showavi.DeactiveAll();
      host.showError("Resposta inválida.");
    }
    {
      BusyGuard again(showavi, BusyKind::Confirmation);
      EXPECT_EQ(showavi.depth(), 1);
    }
    EXPECT_EQ(showavi.depth(), 0);
  }
  EXPECT_EQ(showavi.depth(), 0);
  EXPECT_EQ(host.take(),
            (Shown{"aguarde: 6", "aguarde: fim", "erro: Resposta inválida.", "aguarde: 1", "aguarde: fim"}));
}

TEST(Pesquisa, EmptyListsAreRefusedAndAChoiceMovesTheDataSet) {
  ScriptedHost host;
  engine::DataSet ds("qryPesqFilial");
  fillBranches(ds);
  int scrolls = 0;
  ds.events.afterScroll = [&](engine::DataSet&) { ++scrolls; };

  host.chooseRowNumber(3);
  EXPECT_TRUE(Pesquisa::Pesquisar(host, host, ds, "Filiais|Não há filiais cadastradas."));
  EXPECT_EQ(ds.field("CDFILIAL").asString(), "0003");
  EXPECT_EQ(scrolls, 1);  // straight to the row, not through the others

  host.leaveSearch();
  EXPECT_FALSE(Pesquisa::Pesquisar(host, host, ds, "Filiais|Não há filiais cadastradas."));
  EXPECT_EQ(ds.field("CDFILIAL").asString(), "0003");  // leaving keeps the row

  ds.emptyDataSet();
  EXPECT_FALSE(Pesquisa::Pesquisar(host, host, ds, "Filiais|Não há filiais cadastradas."));
  EXPECT_EQ(host.take(), (Shown{"pesquisa: Filiais -> 3", "pesquisa: Filiais -> saiu",
                                "erro: Não há filiais cadastradas."}));
}

TEST(Pesqlista, KeysGoInCheckedAndComeOutJoinedOrStayWhenTheOperatorLeaves) {
  ScriptedHost host;
  engine::DataSet ds("qryPesqFilial");
  fillBranches(ds);
  std::string list = "0001_0003";
  host.checkKeys({"0002", "0003"});
  Pesqlista::PesquisaLista(host, ds, "CDFILIAL", "Filiais", false, list);
  EXPECT_EQ(list, "0002_0003");

  host.leavePickList();
  Pesqlista::PesquisaLista(host, ds, "CDFILIAL", "Filiais", false, list);
  EXPECT_EQ(list, "0002_0003");

  host.checkKeys({});
  Pesqlista::PesquisaLista(host, ds, "CDFILIAL", "Filiais", false, list);
  EXPECT_EQ(list, "");
  EXPECT_EQ(host.take(), (Shown{"lista: Filiais (CDFILIAL) [0001_0003] -> 0002_0003",
                                "lista: Filiais (CDFILIAL) [0002_0003] -> saiu",
                                "lista: Filiais (CDFILIAL) [0002_0003] -> "}));
}

TEST(ScriptedHost, AQuestionTheScriptDidNotExpectIsAFaultOfTheTest) {
  ScriptedHost host;
  EXPECT_THROW(host.askYesNo("Confirma?"), std::logic_error);
  engine::DataSet ds("qryPesqFilial");
  fillBranches(ds);
  host.chooseRowNumber(9);
  EXPECT_THROW(Pesquisa::Pesquisar(host, host, ds, "Filiais|vazio"), std::logic_error);
  // A pick list hands back only keys of its rows, in the field it was given.
  std::string list;
  host.checkKeys({"0002", "0009"});
  EXPECT_THROW(Pesqlista::PesquisaLista(host, ds, "CDFILIAL", "Filiais", false, list), std::logic_error);
  host.checkKeys({"0002"});
  EXPECT_THROW(Pesqlista::PesquisaLista(host, ds, "NRPEDIDO", "Filiais", false, list), std::logic_error);
  EXPECT_EQ(list, "");
}

}  // namespace
}  // namespace ped::hostlib
