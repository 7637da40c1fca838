// The checks of a posted allocation row and the booking of its quantity.

#include <optional>

#include "core/shell/Cli_ped00800.h"
#include "core/shell/parameters.h"
#include "core/stock/available_quantity.h"
#include "core/stock/key_cascade_off.h"
#include "core/stock/lot_validity.h"
#include "engine/filter_expression.h"
#include "hostlib/consiste.h"

namespace ped::core {
namespace {

// A quantity as last posted; an empty one is none.
double quantity(const engine::Value& v) {
  if (v.isFloat()) return v.number();
  return v.isInteger() ? static_cast<double>(v.integer()) : 0.0;
}

}  // namespace

// The shadow copy is taken before the row changes: it holds the other rows
// of an insert, and an edited row as last posted.
void TfrmLiquidaItem::cdsEvolEstBeforeInsert() { cdsEvolEstAux.copyFrom(cdsEvolEst); }

void TfrmLiquidaItem::cdsEvolEstBeforeEdit() { cdsEvolEstAux.copyFrom(cdsEvolEst); }

void TfrmLiquidaItem::cdsEvolEstBeforePost() {
  Vd_Almoxarifado();
  Vd_LocalEstoque();
  Vd_Lote();
  Vd_SubLote(true);
  Valida_Repetido(true);

  KeyCascadeOff off(*this);
  auto refuse = [&](const char* key) {
    focusLiqEstField("QTEXP");
    hostlib::consiste::MensErro(dialogs, msgLiquidaItem.Msg(key), true);
  };
  // Refused here rather than only when the item is marked: the sub-lot
  // check has just filled the validity.
  if (lotExpired(cdsEvolEst.field("DTVALILOTE"), clockOf(screenEnvironment()).today())) {
    focusLiqEstField("NRLOTEESTQ");
    hostlib::consiste::MensErro(dialogs, msgLiquidaItem.Msg("Lote_Vencido"), true);
  }
  engine::Field& qtexp = cdsEvolEst.field("QTEXP");
  engine::Field& available = cdsEvolEst.field("QTDISPONIVEL");
  // An empty quantity is no quantity: refused like zero.
  if (qtexp.isNull() || !domain::moreQuantity(qtexp.asFloat(), 0)) refuse("QTEXP_Inv");
  const double wanted = qtexp.asFloat();

  // An edited row whose availability was looked up again holds the whole
  // figure for it: booked as an insert is.
  if (cdsEvolEst.state() == engine::DataSetState::Edit &&
      domain::sameQuantity(available.asFloat(), quantity(available.oldValue()))) {
    const double before = quantity(qtexp.oldValue());
    if (domain::sameQuantity(wanted, before)) return;
    const double left = quantity(available.oldValue()) - (wanted - before);
    if (domain::lessQuantity(left, 0)) refuse("QTEXP_Isuficiente");
    available.setFloat(storedAvailable(left));
    return;
  }
  const double free = available.asFloat();
  if (domain::lessQuantity(free, wanted)) refuse("QTEXP_Isuficiente");
  available.setFloat(storedAvailable(free - wanted));
}

void TfrmLiquidaItem::Valida_Repetido(bool switchCascade) {
  // Several rows may name the same place when lots are not in use: nothing to count.
  if (!parameterSet(cdsParamFilial, "IDUTILLOTE")) return;
  std::optional<KeyCascadeOff> off;
  if (switchCascade) off.emplace(*this);

  auto key = [&](const char* field) { return engine::quoteFilterValue(cdsEvolEst.field(field).asString()); };
  const std::string& itemFilter = cdsEvolEst.filter();
  cdsEvolEstAux.setFilter(itemFilter + (itemFilter.empty() ? "" : "AND ") + "CDALMOXARIFE = " +
                          key("CDALMOXARIFE") + " AND CDLOCALESTOQ = " + key("CDLOCALESTOQ") +
                          " AND NRLOTEESTQ = " + key("NRLOTEESTQ") + " AND NRSUBLOTE = " + key("NRSUBLOTE"));
  cdsEvolEstAux.setFiltered(true);
  const std::size_t same = cdsEvolEstAux.recordCount();
  // An edited row is in the copy itself, with its keys as last posted.
  const bool duplicate = cdsEvolEst.state() == engine::DataSetState::Insert ? same > 0 : same >= 2;
  if (!duplicate) return;
  focusLiqEstField("NRLOTEESTQ");
  hostlib::consiste::MensErro(dialogs, msgLiquidaItem.Msg("NRLOTEESTQ_Ja_Inf"), true);
}

// What was accepted becomes the value before the next edit.
void TfrmLiquidaItem::cdsEvolEstAfterPost() {
  allocationChanges.changed(cdsItemPedido);
  cdsEvolEstAfterCancel();
}

// A deleted row's quantity is not given back to the other rows of its
// position; new rows find it free again.
void TfrmLiquidaItem::cdsEvolEstAfterDelete() { cdsEvolEstAfterPost(); }

void TfrmLiquidaItem::cdsEvolEstAfterCancel() {
  cdsEvolEst.mergeChangeLog();
  Habilita_Botao_Grid_EstLiq();
  habilita("");
}

}  // namespace ped::core
