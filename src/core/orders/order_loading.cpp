// Loading and reloading the orders of the last filter, the items of the
// current order, and the page changes between orders, items and the
// justification.

#include <cmath>
#include <optional>

#include "core/filter/Cli_ped00801.h"
#include "core/items/item_marks.h"
#include "core/orders/marking_state.h"
#include "core/orders/order_grid_painting.h"
#include "core/orders/order_keys_packet.h"
#include "core/orders/order_marks.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/parameters.h"
#include "core/shell/remote_call.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/scope_exit.h"
#include "hostlib/consiste.h"

namespace ped::core {

void TfrmLiquidaItem::AtualizaPedido(bool showBusy) {
  // Without a confirmed query there is nothing to repeat (the reload button
  // is never enabled then).
  if (frmFiltroLiquidaItem == nullptr) return;
  std::optional<hostlib::BusyGuard> busy;
  if (showBusy) busy.emplace(showavi, hostlib::BusyKind::Loading);
  // Rows the operator changed for orders still listed outlive the reload.
  std::unique_ptr<AllocationChanges::Held> changed = allocationChanges.hold(cdsEvolEst);
  callServer(*this, "GetPedidos", frmFiltroLiquidaItem->GetPedidosArgs(),
             {&cdsParamFilial, &cdsParamPedido, &cdsPedido});
  if (parameterSet(cdsParamPedido, "IDEVOLESTLIQMAN")) {
    callServer(*this, "GetEvolEstq", {netclient::Arg::packet(orderKeysPacket(cdsPedido))}, {&cdsEvolEst});
    allocationChanges.keepAfterReload(*this, std::move(changed));
  }
  cdsItemPedidoAfterScroll();
  Habilita_Evol_Estq();
}

void TfrmLiquidaItem::sbtVerificarClick() {
  if (pgcPadrao.isActive(tshPadrao)) {
    if (!allocationChangesMayGo()) return;
    allocationChanges.loaded();  // the operator let them go
    AtualizaPedido(true);
  } else if (pgcPadrao.isActive(tshItemPedido)) {
    reloadItemsOfCurrentOrder();
  } else {
    // The justification page shows the marks being confirmed: nothing is
    // reloaded, and recounting the unmarkable items there would forget the
    // ones the marking blocked.
    return;
  }
  habilita("");
  DesabilitacaoDefaultItemPed();
}

void TfrmLiquidaItem::reloadItemsOfCurrentOrder() {
  stSelNrPedido = cdsPedido.field("NRPEDIDO").asString();
  hostlib::BusyGuard busy(showavi, hostlib::BusyKind::Loading);
  // The order is found again whether or not its items came, before the
  // indicator goes down. The move fetches nothing more: the items were
  // just asked for, and a clean-up has no way to report a failure.
  engine::ScopeExit relocate{[this] {
    engine::DetachedHandler quiet(cdsPedido.events.afterScroll);
    cdsPedido.locate("NRPEDIDO", {engine::Value(stSelNrPedido)}, {.caseInsensitive = true});
  }};
  loadItems();
}

void TfrmLiquidaItem::loadItems() {
  callServer(*this, "GetItem",
             {cdsPedido.field("CDFILIAL").asString(), cdsPedido.field("NRPEDIDO").asString()},
             {&cdsItemPedido});
}

void TfrmLiquidaItem::cdsPedidoAfterOpen() {
  // The marks are the packet's: a count left from the last list would make
  // the mark title think every order blocked, or none.
  marking.ordersLoaded(cdsPedido);
  mnuHistorico.setEnabled(!cdsPedido.isEmpty());
  // No order, no client: the caption must not name the last list's.
  if (cdsPedido.isEmpty()) lblNome.setCaption("");
}

void TfrmLiquidaItem::cdsPedidoAfterScroll() {
  if (pgcPadrao.isActive(tshItemPedido) || boEvento) {
    loadItems();
    DesabilitacaoDefaultItemPed();
    habilita("");
    boEvento = false;
  }
  showCurrentClient();
}

void TfrmLiquidaItem::showCurrentClient() {
  if (!cdsPedido.active() || cdsPedido.isEmpty()) return;
  lblNome.setCaption(cdsPedido.field("NMFANTCLIE").asString());
  if (const auto colour = orderStatusColour(cdsPedido.field("IDSITPEDIDO").asString()))
    lblNome.setFontColor(colour->rgb);
}

void TfrmLiquidaItem::cdsPedidoCalcFields() {
  std::string text = cdsPedido.field("NRPEDIDO").asString();
  text += " - ";
  text += cdsPedido.field("NMFANTCLIE").asString();
  cdsPedido.field("DsPedido").setString(text);
}

void TfrmLiquidaItem::cdsItemPedidoCalcFields() {
  const engine::Field& qt = cdsItemPedido.field("QTITEMPED");
  const engine::Field& price = cdsItemPedido.field("VRPREUNITPED");
  const engine::Field& discount = cdsItemPedido.field("VRDESITPED");
  // The discount is cut to whole cents; the product is not rounded. The
  // nudge keeps a binary fraction just under a whole cent (0.29 * 100 is
  // 28.999...) from losing that cent.
  const double d = discount.isNull() ? 0.0 : discount.asFloat();
  const double cents = std::trunc(d * 100 + (d < 0 ? -1e-7 : 1e-7));
  const double total =
      (qt.isNull() ? 0.0 : qt.asFloat()) * (price.isNull() ? 0.0 : price.asFloat()) - cents / 100;
  cdsItemPedido.field("VrTotal").setFloat(total);
}

void TfrmLiquidaItem::DesabilitacaoDefaultItemPed() {
  if (!cdsItemPedido.active() || cdsItemPedido.isEmpty()) return;
  callServer(*this, "GetItSemFiltro",
             {cdsPedido.field("CDFILIAL").asString(), cdsPedido.field("NRPEDIDO").asString()},
             {&cdsItemPedidoSemFiltro});

  const std::string current = cdsItemPedido.field("NRITEMPED").asString();
  const engine::ControlsDisabled frozen(cdsItemPedido);
  // Back on the item the operator stood on, on every way out.
  const engine::ScopeExit back{
      [&] { cdsItemPedido.locate("NRITEMPED", {engine::Value(current)}, {.caseInsensitive = true}); }};
  for (cdsItemPedido.first(); !cdsItemPedido.eof(); cdsItemPedido.next())
    if (!domain::isMarkableItem(itemStatus(*this))) setItemMark(*this, domain::mark::Unmarkable);
}

void TfrmLiquidaItem::pgcPadraoChange() {
  if (pgcPadrao.isActive(tshPadrao)) dtsPadrao = &cdsPedido;
  if (pgcPadrao.isActive(tshItemPedido) && !tshJustExcl.enabled()) {
    if (cdsPedido.active() && !cdsPedido.isEmpty()) cdsPedidoAfterScroll();
    dtsPadrao = &cdsItemPedido;
  }
}

}  // namespace ped::core
