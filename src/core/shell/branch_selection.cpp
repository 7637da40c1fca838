// The branch panel: choosing the branch, reading its order parameters and
// the operator's seller, and refusing operators without one where the
// parameters tie operators to their seller.

#include "core/filter/Cli_ped00801.h"
#include "core/orders/marking_state.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/parameters.h"
#include "core/shell/remote_call.h"
#include "engine/scope_exit.h"
#include "hostlib/consiste.h"

namespace ped::core {

namespace consiste = hostlib::consiste;

void TfrmLiquidaItem::setCdFilial(std::string text) {
  if (text == medCdFilial.text()) return;
  medCdFilial.setText(std::move(text));
  medCdFilialChange();
}

void TfrmLiquidaItem::panFilialEnter() { lblNome.setCaption(""); }

void TfrmLiquidaItem::medCdFilialEnter() {
  // The page changes below run no handler.
  const engine::DetachedHandler quiet(pgcPadrao.onChange);
  tshPadrao.setEnabled(true);
  mnuPedido.setEnabled(true);
  sbtFiltro.setEnabled(false);
  mnuFiltrar.setEnabled(sbtFiltro.enabled());
  if (!pgcPadrao.isActive(tshPadrao)) pgcPadrao.setActivePage(tshPadrao);
  tshItemPedido.setEnabled(false);
  tshJustExcl.setEnabled(false);
  mnuItemPedido.setEnabled(false);
  mnuItemPedido.setChecked(false);
  mnuJustExcl.setChecked(false);
  mnuJustExcl.setEnabled(false);
  cdsItemPedido.close();
  cdsPedido.close();
  marking.itemsLoaded(cdsItemPedido);
  marking.ordersLoaded(cdsPedido);
  mnuHistorico.setEnabled(false);
  enableAction(sbtVerificar, false);
  enableAction(sbtProcurar, false);
  // With the lists closed there is no row to add, propose or move to; the
  // next load enables them again.
  for (hostlib::Control* c : {&sbtIncluir, &sbtAlterar, &sbtExcluir}) enableAction(*c, false);
  sbtProporLotes.setEnabled(false);
  mnuProporLotes.setEnabled(false);
  dbnPadrao.setEnabled(false);
}

void TfrmLiquidaItem::medCdFilialChange() {
  // Products are picked among the branch's orders.
  Filtro.Produto.stLista.clear();
  edtNmFilial.setText("");
}

void TfrmLiquidaItem::btnFilialBeforePesq() {
  qryFilial.Close();
  qryFilial.Open();
}

void TfrmLiquidaItem::btnFilialAfterPesq() {
  // The code first: its change handler empties the name, which then shows
  // the chosen branch's.
  setCdFilial(qryFilial.rows().field("CDFILIAL").asString());
  edtNmFilial.setText(qryFilial.rows().field("NMFILIAL").asString());
  pgcPadrao.setActivePage(tshPadrao);
  mnuPedido.setChecked(true);
  mnuItemPedido.setChecked(false);
  tshPadrao.setEnabled(true);
  mnuPedido.setEnabled(true);
  tshJustExcl.setEnabled(false);
  mnuJustExcl.setEnabled(false);
  mnuJustExcl.setChecked(false);
}

void TfrmLiquidaItem::Vd_Filial() {
  // On any failure the focus goes back to the field (when the operator may
  // change it) before the failure ends the operation.
  const engine::OnFailure focusBack{[this] {
    if (!vantora.ModuFili()) setFocus(medCdFilial);
  }};

  if (consiste::EmptyString(medCdFilial.text()))
    consiste::MensErro(dialogs, msgLiquidaItem.Msg("FILIAL"), true);
  setCdFilial(consiste::Ajusta(medCdFilial.text(), domain::kBranchCodeWidth));
  qryPesqFilial.Close();
  qryPesqFilial.setParam("P_CDFILIAL", engine::Value(medCdFilial.text()));
  qryPesqFilial.Open();
  if (qryPesqFilial.rows().isEmpty()) consiste::MensErro(dialogs, msgLiquidaItem.Msg("FILIAL_NAO_CAD"), true);
  edtNmFilial.setText(qryPesqFilial.rows().field("NMFILIAL").asString());
}

void TfrmLiquidaItem::medCdFilialExit() {
  Vd_Filial();
  vantora.SetFiliProc(medCdFilial.text(), edtNmFilial.text());
  openFilterForBranch();
}

void TfrmLiquidaItem::openFilterForBranch() {
  callServer(*this, "GetParam", {medCdFilial.text(), vantora.Operador()},
             {&cdsParamPedido, &cdsOperTPed, &cdsVendLog});
  if (ExibeVendedorLogado() && parameterText(cdsVendLog, "CDVENDEDOR").empty()) {
    consiste::MensErro(dialogs, msgLiquidaItem.Msg("Vend_n_relac"), false);
    PostClose();
    return;
  }
  // The allocation panel follows the branch now, not when its orders come.
  Habilita_Evol_Estq();
  CriaFiltroLiquidaItem();
  sbtFiltro.setEnabled(true);
  mnuFiltrar.setEnabled(sbtFiltro.enabled());
}

bool TfrmLiquidaItem::ExibeVendedorLogado() const {
  return parameterText(cdsParamPedido, "IDEXIBPEDIDO") == "2" && cdsOperTPed.active() &&
         cdsOperTPed.isEmpty();
}

}  // namespace ped::core
