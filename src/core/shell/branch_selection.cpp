// The branch panel: choosing the branch, reading its order parameters and
// the operator's seller, and refusing operators without one where the
// parameters tie operators to their seller.

#include "core/filter/Cli_ped00801.h"
#include "core/shell/Cli_ped00800.h"
#include "engine/error.h"
#include "hostlib/consiste.h"
#include "hostlib/remote_result.h"

namespace ped::core {

namespace consiste = hostlib::consiste;

void TfrmLiquidaItem::setCdFilial(std::string text) {
  if (text == medCdFilial.text()) return;
  medCdFilial.setText(std::move(text));
  medCdFilialChange();
}

void TfrmLiquidaItem::panFilialEnter() { lblNome.setCaption(""); }

void TfrmLiquidaItem::medCdFilialEnter() {
  auto pageChange = std::move(pgcPadrao.onChange);
  pgcPadrao.onChange = nullptr;
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
  enableAction(sbtVerificar, false);
  enableAction(sbtProcurar, false);
  pgcPadrao.onChange = std::move(pageChange);
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
  struct FocusBack {
    TfrmLiquidaItem& screen;
    bool done = false;
    ~FocusBack() {
      if (!done && !screen.vantora.ModuFili()) screen.setFocus(screen.medCdFilial);
    }
  } focusBack{*this};

  if (consiste::EmptyString(medCdFilial.text()))
    consiste::MensErro(dialogs, msgLiquidaItem.Msg("FILIAL"), true);
  setCdFilial(consiste::Ajusta(medCdFilial.text(), domain::kBranchCodeWidth));
  qryPesqFilial.Close();
  qryPesqFilial.setParam("P_CDFILIAL", engine::Value(medCdFilial.text()));
  qryPesqFilial.Open();
  if (qryPesqFilial.rows().isEmpty()) consiste::MensErro(dialogs, msgLiquidaItem.Msg("FILIAL_NAO_CAD"), true);
  edtNmFilial.setText(qryPesqFilial.rows().field("NMFILIAL").asString());
  focusBack.done = true;
}

void TfrmLiquidaItem::medCdFilialExit() {
  Vd_Filial();
  hostlib::RemoteResult result;
  {
    hostlib::BusyGuard busy(showavi, 6);
    result = netLiquidaItem.call("GetParam", {medCdFilial.text(), vantora.Operador()});
  }
  const hostlib::RemoteResult& payload = consiste::CheckResultServ(dialogs, result, true);
  // Each packet is read apart first, so a bad one changes none of the three.
  try {
    for (std::size_t i = 0; i < 3; ++i) {
      if (!payload.at(i)) throw engine::PacketError("pacote ausente");
      engine::DataSet("verificacao").loadPacket(*payload.at(i));
    }
  } catch (const engine::PacketError&) {
    consiste::MensErro(dialogs, "Resposta inválida do servidor de aplicação para GetParam.", true);
  }
  cdsParamPedido.loadPacket(*payload.at(0));
  cdsOperTPed.loadPacket(*payload.at(1));
  cdsVendLog.loadPacket(*payload.at(2));
  if (ExibeVendedorLogado() && cdsVendLog.field("CDVENDEDOR").asString().empty()) {
    consiste::MensErro(dialogs, msgLiquidaItem.Msg("Vend_n_relac"), false);
    PostClose();
    return;
  }
  CriaFiltroLiquidaItem();
  sbtFiltro.setEnabled(true);
  mnuFiltrar.setEnabled(sbtFiltro.enabled());
}

bool TfrmLiquidaItem::ExibeVendedorLogado() const {
  return cdsParamPedido.active() && !cdsParamPedido.isEmpty() &&
         cdsParamPedido.field("IDEXIBPEDIDO").asString() == "2" && cdsOperTPed.active() && cdsOperTPed.isEmpty();
}

}  // namespace ped::core
