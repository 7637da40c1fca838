// Controls as state, the base windows built from them, and the helpers that
// work on them.

#include "hostlib/controls.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "hostlib/base_screens.h"
#include "hostlib/consiste.h"

namespace ped::hostlib {
namespace {

TEST(Controls, ChangesReachTheViewOnlyWhenSomethingChanged) {
  Form form("frmTeste");
  Control& panel = form.add<Control>("panFilial");
  Control& edit = panel.add<Control>("medCdFilial");
  int changes = 0;
  edit.listen([&](Control&) { ++changes; });
  edit.listen([&](Control&) { ++changes; });
  edit.setText("0001");
  edit.setText("0001");
  edit.setEnabled(true);  // already enabled
  edit.setColor(0x0000FF);
  EXPECT_EQ(changes, 4);  // both listeners, twice

  EXPECT_EQ(form.find("medCdFilial"), &edit);
  EXPECT_EQ(form.find("nada"), nullptr);
  EXPECT_TRUE(form.setFocus(edit));
  panel.setEnabled(false);  // a disabled container makes its controls unusable
  EXPECT_TRUE(edit.enabled());
  EXPECT_FALSE(edit.usable());
  EXPECT_FALSE(form.setFocus(edit));
  EXPECT_EQ(form.focused(), &edit);  // a refused focus leaves it where it was
  Form other("frmOutra");
  EXPECT_FALSE(other.setFocus(edit));  // not one of its controls
}

TEST(Controls, ConsisteHelpersOnGridsContainersAndDocuments) {
  Form form("frm");
  Control& box = form.add<Control>("grbFiltro");
  Control& a = box.add<Control>("edtA");
  Control& b = box.add<Control>("edtB");
  consiste::SetChildEnabled(box, false);
  EXPECT_FALSE(a.enabled());
  EXPECT_FALSE(b.enabled());
  EXPECT_TRUE(box.enabled());
  consiste::SetChildEnabled(box, true);
  EXPECT_TRUE(a.enabled() && b.enabled());

  Grid& grid = form.add<Grid>("dbgPadrao");
  grid.columns = {{.fieldName = "IDCHECK"}, {.fieldName = "NRPEDIDO", .title = "Nº Pedido"}};
  EXPECT_EQ(consiste::IndiceCol(grid, "nrpedido"), 1);
  EXPECT_EQ(consiste::IndiceCol(grid, "NMFANTCLIE"), -1);

  EXPECT_EQ(consiste::PictPess("F"), "999.999.999-99;0;_");
  EXPECT_EQ(consiste::PictPess("J"), "99.999.999/9999-99;0;_");
  EXPECT_EQ(consiste::PictPess("X"), "");
}

TEST(BaseScreens, TheGridScreenHasItsNamedControlsMessagesAndMenuPairs) {
  TfrmPadraoGrid screen("frmLiquidaItem", "PED00800", 12200800);
  for (const char* name :
       {"sbtIncluir", "sbtAlterar", "sbtExcluir", "sbtVerificar", "sbtConfirmar", "sbtCancelar",
        "sbtProcurar", "sbtImprimir", "mnuIncluir", "mnuConfirmar", "mnuCancelar", "lblCodTela"})
    EXPECT_NE(screen.find(name), nullptr) << name;
  EXPECT_EQ(screen.lblCodTela.caption(), "PED00800");
  EXPECT_EQ(screen.helpContext, 12200800);
  EXPECT_EQ(screen.msgPadrao.Msg("Excl"), "Confirma exclusão?");

  screen.enableAction(screen.sbtConfirmar, false);
  EXPECT_FALSE(screen.sbtConfirmar.enabled());
  EXPECT_FALSE(screen.mnuConfirmar.enabled());
  EXPECT_TRUE(screen.mnuCancelar.enabled());
  EXPECT_EQ(screen.menuFor(screen.lblCodTela), nullptr);
}

TEST(BaseScreens, TheFilterDialogKeepsItsOptionsPerOperator) {
  const auto root =
      std::filesystem::temp_directory_path() / ("ped-filtro-" + std::to_string(std::random_device{}()));
  const OptionsStore store(root);
  TfrmFiltroPadrao dialog("frmFiltroLiquidaItem", "PED00801", 12200801);
  EXPECT_EQ(dialog.sbtConfirma.caption(), "Confirma");
  EXPECT_EQ(dialog.sbtCancel.caption(), "Cancela");
  EXPECT_EQ(dialog.sbtHelp.caption(), "Ajuda");
  dialog.options.set("stNrPedido", "0000000012_0000000015");
  dialog.SaveOptions(store, "ANA");

  TfrmFiltroPadrao again("frmFiltroLiquidaItem", "PED00801", 12200801);
  again.LoadOptions(store, "ANA");
  EXPECT_EQ(again.options.get("stNrPedido"), "0000000012_0000000015");
  again.LoadOptions(store, "BETO");
  EXPECT_FALSE(again.options.get("stNrPedido").has_value());
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace ped::hostlib
