// The pick list of stock positions behind a key cell's ellipsis button.

#include "core/shell/Cli_ped00800.h"
#include "core/stock/available_quantity.h"
#include "core/stock/screen_bookings.h"
#include "core/stock/stock_position_lookup.h"
#include "hostlib/consiste.h"
#include "hostlib/searches.h"

namespace ped::core {
namespace {

bool isKeyField(std::string_view field) {
  return field == "CDALMOXARIFE" || field == "CDLOCALESTOQ" || field == "NRLOTEESTQ" || field == "NRSUBLOTE";
}

// The keys to the left of `field` in the current row narrow the list; empty
// ones leave it open.
PositionKeys keysLeftOf(const TfrmLiquidaItem& s, std::string_view field) {
  PositionKeys keys;
  const engine::DataSet& rows = s.cdsEvolEst;
  if (rows.isEmpty() && !allocationPending(s)) return keys;
  if (field != "CDALMOXARIFE") keys.warehouse = rows.field("CDALMOXARIFE").asString();
  if (field != "CDALMOXARIFE" && field != "CDLOCALESTOQ")
    keys.location = rows.field("CDLOCALESTOQ").asString();
  if (field == "NRSUBLOTE") keys.lot = rows.field("NRLOTEESTQ").asString();
  return keys;
}

// Each listed position shows what it still offers the item, this screen's
// rows taken off: the figure the chosen row receives.
void offerToItem(TfrmLiquidaItem& s) {
  const ScreenBookings booked = bookingsOf(s);
  engine::DataSet& positions = s.cdsPesqEvolEst;
  for (positions.first(); !positions.eof(); positions.next()) {
    const double offered = storedAvailable(availableTo(positions, booked));
    positions.edit();
    positions.field("QTDISPONIVEL").setFloat(offered);
    positions.post();
  }
  positions.mergeChangeLog();
  positions.first();
}

}  // namespace

void TfrmLiquidaItem::dbgLiqEstEditButtonClick() {
  const std::string field = dbgLiqEst.selectedField();
  if (!isKeyField(field)) return;
  loadStockPositions(*this, keysLeftOf(*this, field));
  const std::string empty = msgLiquidaItem.Msg(field + "_Empty");
  if (cdsPesqEvolEst.isEmpty()) {
    focusLiqEstField(field);
    hostlib::consiste::MensErro(dialogs, empty, true);
  }
  offerToItem(*this);
  if (!hostlib::Pesquisa::Pesquisar(dialogs, searches, cdsPesqEvolEst,
                                    msgLiquidaItem.Msg(field) + "|" + empty, false, true))
    return;

  if (!allocationPending(*this)) cdsEvolEst.edit();
  // The cascade is on: each key is written after the keys it depends on, so
  // whatever the row held below the picked key is cleared first.
  const engine::DataSet& chosen = cdsPesqEvolEst;
  cdsEvolEst.field("CDFILIAL").setValue(cdsItemPedido.field("CDFILIAL").value());
  for (const char* name : {"CDPRODUTO", "CDALMOXARIFE", "DSALMOXARIFE", "CDLOCALESTOQ", "DSLOCALESTOQ",
                           "NRLOTEESTQ", "NRSUBLOTE", "SGUNIDADE", "QTRESPRODPED", "DTENTRLOTE"})
    cdsEvolEst.field(name).setValue(chosen.field(name).value());
  Valida_Repetido(false);
  cdsEvolEst.field("QTDISPONIVEL").setValue(chosen.field("QTDISPONIVEL").value());
  cdsEvolEst.field("QTEXP").setFloat(0);
  for (const char* name : {"NRPEDIDO", "NRITEMPED"})
    cdsEvolEst.field(name).setValue(cdsItemPedido.field(name).value());
}

}  // namespace ped::core
