// Writing an item's mark, the stock check before marking, and the return to
// an item, shared by the item grid's clicks and the item pop-up's entries.

#include "core/items/item_marks.h"

#include "core/orders/marking_state.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/data_set.h"

namespace ped::core {

void setItemMark(TfrmLiquidaItem& s, std::string_view mark) {
  engine::Field& field = s.cdsItemPedido.field("IDCHECK");
  const std::string was = field.asString();
  s.cdsItemPedido.edit();
  field.setString(mark);
  s.cdsItemPedido.post();
  marking.itemMarkChanged(was, mark);
}

std::string itemMark(const TfrmLiquidaItem& s) { return s.cdsItemPedido.field("IDCHECK").asString(); }

std::string itemStatus(const TfrmLiquidaItem& s) { return s.cdsItemPedido.field("IDSITITEMPED").asString(); }

void checkItemStock(TfrmLiquidaItem& s) {
  const std::string status = itemStatus(s);
  if (domain::isSettledItem(status) || status == domain::item_status::Cancelled) return;
  const engine::DataSet& item = s.cdsItemPedido;
  // A refusal finds the item's order again; it is the current one, and
  // reloading its items there would drop the marks of the others.
  const engine::DetachedHandler quiet(s.cdsPedido.events.afterScroll);
  s.Vd_EvolEstq(item.field("CDFILIAL").asString(), item.field("NRPEDIDO").asString(),
                item.field("NRITEMPED").asString(), item.field("QTITEMPED").asFloat());
}

void returnToItem(TfrmLiquidaItem& s, const std::string& number) {
  s.cdsItemPedido.locate("NRITEMPED", {engine::Value(number)}, {.caseInsensitive = true});
}

bool isItemMarkColumn(const TfrmLiquidaItem& s, std::size_t column) {
  const auto& columns = s.dbgItemPedido.columns;
  return column < columns.size() && columns[column].fieldName == "IDCHECK";
}

}  // namespace ped::core
