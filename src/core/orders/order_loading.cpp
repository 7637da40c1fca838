// Loading and reloading the orders of the last filter, the items of the
// current order, and the page changes between orders, items and the
// justification.

#include <cmath>
#include <optional>

#include "core/filter/Cli_ped00801.h"
#include "core/orders/order_grid_painting.h"
#include "core/orders/order_query.h"
#include "core/shell/Cli_ped00800.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "hostlib/consiste.h"

namespace ped::core {

namespace consiste = hostlib::consiste;

namespace {

bool parameterIs(const engine::DataSet& ds, const char* field, std::string_view value) {
  return ds.active() && !ds.isEmpty() && ds.field(field).asString() == value;
}

}  // namespace

void TfrmLiquidaItem::AtualizaPedido(bool showBusy) {
  if (frmFiltroLiquidaItem == nullptr) return;  // no query was ever confirmed
  std::optional<hostlib::BusyGuard> busy;
  if (showBusy) busy.emplace(showavi, 6);
  // The indicator goes down before a failure is shown.
  auto check = [&](const hostlib::RemoteResult& r) -> const hostlib::RemoteResult& {
    if (!r.ok && busy) busy.reset();
    return consiste::CheckResultServ(dialogs, r, true);
  };
  loadOrderQuery(*this, check(netLiquidaItem.call("GetPedidos", frmFiltroLiquidaItem->GetPedidosArgs())));
  if (parameterIs(cdsParamPedido, "IDEVOLESTLIQMAN", "S")) {
    const hostlib::RemoteResult result =
        netLiquidaItem.call("GetEvolEstq", {netclient::Arg::packet(cdsPedido.toPacket())});
    loadPayload(*this, cdsEvolEst, check(result), "GetEvolEstq");
  }
  Habilita_Evol_Estq();
}

void TfrmLiquidaItem::sbtVerificarClick() {
  if (pgcPadrao.isActive(tshPadrao)) {
    AtualizaPedido(true);
  } else if (pgcPadrao.isActive(tshItemPedido)) {
    stSelNrPedido = cdsPedido.field("NRPEDIDO").asString();
    {
      hostlib::BusyGuard busy(showavi, 6);
      // The order is found again whether or not the items came, before the
      // indicator goes down.
      struct Relocate {
        TfrmLiquidaItem& s;
        ~Relocate() {
          s.cdsPedido.locate("NRPEDIDO", {engine::Value(stSelNrPedido)}, {.caseInsensitive = true});
        }
      } relocate{*this};
      loadItems();
    }
  } else {
    return;
  }
  habilita("");
  DesabilitacaoDefaultItemPed();
}

void TfrmLiquidaItem::loadItems() {
  hostlib::RemoteResult r = netLiquidaItem.call(
      "GetItem", {cdsPedido.field("CDFILIAL").asString(), cdsPedido.field("NRPEDIDO").asString()});
  if (!r.ok) showavi.DeactiveShowAvi();
  loadPayload(*this, cdsItemPedido, consiste::CheckResultServ(dialogs, r, true), "GetItem");
}

void TfrmLiquidaItem::cdsPedidoAfterScroll() {
  lblNome.setCaption(cdsPedido.field("NMFANTCLIE").asString());
  if (pgcPadrao.isActive(tshItemPedido) || boEvento) {
    {
      hostlib::BusyGuard busy(showavi, 6);
      loadItems();
    }
    DesabilitacaoDefaultItemPed();
    habilita("");
    boEvento = false;
  }
  const std::string status = cdsPedido.field("IDSITPEDIDO").asString();
  if (const auto colour = orderStatusColour(status)) lblNome.setFontColor(colour->rgb);
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
  const double total = (qt.isNull() ? 0.0 : qt.asFloat()) * (price.isNull() ? 0.0 : price.asFloat()) - cents / 100;
  cdsItemPedido.field("VrTotal").setFloat(total);
}

void TfrmLiquidaItem::DesabilitacaoDefaultItemPed() {
  inContDesabilitadosIPed = 0;
  if (!cdsItemPedido.active() || cdsItemPedido.isEmpty()) return;
  hostlib::RemoteResult r = netLiquidaItem.call(
      "GetItSemFiltro", {cdsPedido.field("CDFILIAL").asString(), cdsPedido.field("NRPEDIDO").asString()});
  loadPayload(*this, cdsItemPedidoSemFiltro, consiste::CheckResultServ(dialogs, r, true), "GetItSemFiltro");

  const std::string current = cdsItemPedido.field("NRITEMPED").asString();
  struct Back {
    engine::DataSet& items;
    const std::string& item;
    ~Back() {
      items.locate("NRITEMPED", {engine::Value(item)}, {.caseInsensitive = true});
      items.enableControls();
    }
  } back{cdsItemPedido, current};
  cdsItemPedido.disableControls();
  engine::Field& mark = cdsItemPedido.field("IDCHECK");
  for (cdsItemPedido.first(); !cdsItemPedido.eof(); cdsItemPedido.next()) {
    const std::string status = cdsItemPedido.field("IDSITITEMPED").asString();
    if (!domain::isMarkableItem(status)) {
      cdsItemPedido.edit();
      mark.setString(domain::mark::Unmarkable);
      cdsItemPedido.post();
      ++inContDesabilitadosIPed;
    }
  }
}

void TfrmLiquidaItem::pgcPadraoChange() {
  if (pgcPadrao.isActive(tshItemPedido)) sttshUltimate = domain::marking_level::Item;
  if (pgcPadrao.isActive(tshPadrao)) {
    sttshUltimate = domain::marking_level::Order;
    dtsPadrao = &cdsPedido;
  }
  if (pgcPadrao.isActive(tshItemPedido) && !tshJustExcl.enabled()) {
    if (cdsPedido.active() && !cdsPedido.isEmpty()) cdsPedidoAfterScroll();
    dtsPadrao = &cdsItemPedido;
  }
}

}  // namespace ped::core
