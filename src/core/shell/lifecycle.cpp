// Creation, first activation and closing of the main screen, its server
// connection and the print button.

#include "core/filter/Cli_ped00801.h"
#include "core/shell/Cli_ped00800.h"

namespace ped::core {

void TfrmLiquidaItem::FormCreate() {
  netLiquidaItem.Open();
  boPrimeiraAtivacao = true;
  pgcPadrao.setActivePage(tshPadrao);
  mnuPedido.setChecked(true);
  mnuItemPedido.setChecked(false);
  cdArvProdMask = vantora.DBPict(0);
  Filtro = TFiltro{};
  setCdFilial(vantora.FiliProc());
  edtNmFilial.setText(vantora.NomeFiliProc());
}

void TfrmLiquidaItem::netLiquidaItemBeforeConnect() {
  netLiquidaItem.Host = vantora.WebURL();
  netLiquidaItem.Port = vantora.WebPort();
  netLiquidaItem.UseTls = vantora.WebTls();
  netLiquidaItem.CaFile = vantora.WebCaFile();
  netLiquidaItem.InsecurePlainHttp = vantora.WebInsecurePlainHttp();
  netLiquidaItem.setToken(vantora.SessionToken());
}

void TfrmLiquidaItem::FormActivate() {
  if (window_) window_->repaint();
  if (!boPrimeiraAtivacao) return;
  // Cleared first: the filter dialog opened below must not find the screen
  // still on its first activation if it is activated again meanwhile.
  boPrimeiraAtivacao = false;
  const bool bound = vantora.ModuFili();
  for (hostlib::Control* c : {&lblFilial, &medCdFilial, static_cast<hostlib::Control*>(&btnFilial)}) {
    c->setEnabled(!bound);
    c->setTag(bound ? 99 : 0);
  }
  if (bound)
    openFilterForBranch();  // the host's branch, taken as leaving the branch field takes one
  else
    enterBranchField();  // the first stop of the window, where the operator may change the branch
}

void TfrmLiquidaItem::FormClose() {
  netLiquidaItem.Close();
  boIdCriado = false;
}

void TfrmLiquidaItem::sbtImprimirClick() { vantora.LoadBPL("PED01100", "M"); }

void TfrmLiquidaItem::sbtFiltroClick() {
  // A new query loads the allocation rows anew.
  if (!allocationChangesMayGo()) return;
  stNrItemPed = cdsItemPedido.active() && !cdsItemPedido.isEmpty()
                    ? cdsItemPedido.field("NRITEMPED").displayText()
                    : std::string();
  stSelNrPedido =
      cdsPedido.active() && !cdsPedido.isEmpty() ? cdsPedido.field("NRPEDIDO").displayText() : std::string();
  CriaFiltroLiquidaItem();
}

void TfrmLiquidaItem::mnuFiltrarClick() {
  if (sbtFiltro.usable()) sbtFiltroClick();
}

}  // namespace ped::core
