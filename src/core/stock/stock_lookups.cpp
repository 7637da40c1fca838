// The server checks of an allocation row's keys, on leaving a key's cell and
// at post.

#include "core/shell/Cli_ped00800.h"
#include "core/shell/parameters.h"
#include "core/stock/available_quantity.h"
#include "core/stock/key_cascade_off.h"
#include "core/stock/screen_bookings.h"
#include "core/stock/stock_position_lookup.h"
#include "hostlib/consiste.h"

namespace ped::core {
namespace {

// A key sent from a field: a single blank when the field is empty, so the
// server looks for positions without that key instead of any position.
std::string sentKey(const engine::Field& field) {
  std::string text = field.asString();
  return text.empty() ? std::string(" ") : text;
}

// Asks the server for `keys`; with no position found, the focus goes back to
// `field`'s cell and the message `notFound` ends the operation. The cascade
// stays off until the caller's guard ends.
void confirmPosition(TfrmLiquidaItem& s, const PositionKeys& keys, const char* field, const char* notFound) {
  loadStockPositions(s, keys);
  if (!s.cdsPesqEvolEst.isEmpty()) return;
  s.focusLiqEstField(field);
  hostlib::consiste::MensErro(s.dialogs, s.msgLiquidaItem.Msg(notFound), true);
}

// The warehouse and location the lot checks send: the row's where the branch
// uses them, a blank otherwise.
PositionKeys lotPlace(const TfrmLiquidaItem& s) {
  const bool warehouses = parameterSet(s.cdsParamFilial, "IDUTILALMOX");
  const bool locations = warehouses && parameterSet(s.cdsParamFilial, "IDUTILLCESTQ");
  PositionKeys keys;
  keys.warehouse = warehouses ? sentKey(s.cdsEvolEst.field("CDALMOXARIFE")) : " ";
  keys.location = locations ? sentKey(s.cdsEvolEst.field("CDLOCALESTOQ")) : " ";
  return keys;
}

bool stockMoves(const TfrmLiquidaItem& s) { return parameterSet(s.cdsParamPedido, "IDEVOLESTLIQMAN"); }

bool keyChanged(const engine::DataSet& rows) {
  for (const char* key : {"CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE"})
    if (rows.field(key).value() != rows.field(key).oldValue()) return true;
  return false;
}

}  // namespace

void TfrmLiquidaItem::Vd_Almoxarifado() {
  engine::Field& warehouse = cdsEvolEst.field("CDALMOXARIFE");
  if (!stockMoves(*this) || !parameterSet(cdsParamFilial, "IDUTILALMOX") ||
      hostlib::consiste::EmptyString(warehouse.asString()) || !allocationPending(*this))
    return;
  KeyCascadeOff off(*this);
  confirmPosition(*this, {sentKey(warehouse), "", "", ""}, "CDALMOXARIFE", "CDALMOXARIFE_N_cad");
  warehouse.setValue(cdsPesqEvolEst.field("CDALMOXARIFE").value());
  cdsEvolEst.field("DSALMOXARIFE").setValue(cdsPesqEvolEst.field("DSALMOXARIFE").value());
}

// Checked whatever the warehouse parameter says: a location the pick list
// filled is checked even where its column is hidden.
void TfrmLiquidaItem::Vd_LocalEstoque() {
  engine::Field& location = cdsEvolEst.field("CDLOCALESTOQ");
  if (!stockMoves(*this) || !parameterSet(cdsParamFilial, "IDUTILLCESTQ") ||
      hostlib::consiste::EmptyString(location.asString()) || !allocationPending(*this))
    return;
  KeyCascadeOff off(*this);
  confirmPosition(*this, {sentKey(cdsEvolEst.field("CDALMOXARIFE")), sentKey(location), "", ""},
                  "CDLOCALESTOQ", "CDLOCALESTOQ_N_cad");
  location.setValue(cdsPesqEvolEst.field("CDLOCALESTOQ").value());
  cdsEvolEst.field("DSLOCALESTOQ").setValue(cdsPesqEvolEst.field("DSLOCALESTOQ").value());
}

void TfrmLiquidaItem::Vd_Lote() {
  if (!stockMoves(*this) || !parameterSet(cdsParamFilial, "IDUTILLOTE") || !allocationPending(*this)) return;
  KeyCascadeOff off(*this);
  PositionKeys keys = lotPlace(*this);
  keys.lot = sentKey(cdsEvolEst.field("NRLOTEESTQ"));
  confirmPosition(*this, keys, "NRLOTEESTQ", "NRLOTEESTQ_N_cad");
  cdsEvolEst.field("NRLOTEESTQ").setValue(cdsPesqEvolEst.field("NRLOTEESTQ").value());
}

void TfrmLiquidaItem::Vd_SubLote(bool post) {
  if (!stockMoves(*this) || !parameterSet(cdsParamFilial, "IDUTILLOTE") || !allocationPending(*this)) return;
  KeyCascadeOff off(*this);
  PositionKeys keys = lotPlace(*this);
  keys.lot = sentKey(cdsEvolEst.field("NRLOTEESTQ"));
  keys.subLot = sentKey(cdsEvolEst.field("NRSUBLOTE"));
  confirmPosition(*this, keys, "NRSUBLOTE", "NRSUBLOTE_N_cad");
  Valida_Repetido(false);
  const engine::DataSet& found = cdsPesqEvolEst;
  for (const char* field : {"NRSUBLOTE", "DTVALILOTE", "DTENTRLOTE"})
    cdsEvolEst.field(field).setValue(found.field(field).value());
  // Available to this item: the position's free quantity and what it already
  // holds for the item, less what this screen's other rows hold there. A post
  // keeps the typed quantity and refreshes the availability only for an
  // edited row moved to another position.
  const bool refresh = !post || (cdsEvolEst.state() == engine::DataSetState::Edit && keyChanged(cdsEvolEst));
  if (refresh)
    cdsEvolEst.field("QTDISPONIVEL").setFloat(storedAvailable(availableTo(found, bookingsOf(*this))));
  if (!post) cdsEvolEst.field("QTEXP").setFloat(0);
}

void TfrmLiquidaItem::dbgLiqEstColExit() {
  const std::string& field = dbgLiqEst.selectedField();
  if (field == "CDALMOXARIFE")
    Vd_Almoxarifado();
  else if (field == "CDLOCALESTOQ")
    Vd_LocalEstoque();
  else if (field == "NRLOTEESTQ")
    Vd_Lote();
  else if (field == "NRSUBLOTE")
    Vd_SubLote(false);
}

}  // namespace ped::core
