// The check of an order item's allocation rows as a whole, before the item
// is marked: no expired lot, and the rows add up to the ordered quantity.

#include "core/shell/Cli_ped00800.h"
#include "core/shell/parameters.h"
#include "core/stock/lot_validity.h"
#include "core/stock/stock_position_lookup.h"
#include "domain/quantities.h"
#include "engine/filter_expression.h"
#include "hostlib/consiste.h"

namespace ped::core {
namespace {

// Shows the item's rows with the expired one current, the focus on its lot,
// and refuses.
void refuseExpiredLot(TfrmLiquidaItem& s, const std::string& itemFilter, const engine::DataSet& expired) {
  s.pgcPadrao.setActivePage(s.tshItemPedido);
  s.cdsEvolEst.setFilter(itemFilter);
  s.cdsEvolEst.setFiltered(true);
  static constexpr const char* kPosition =
      "CDFILIAL;NRPEDIDO;NRITEMPED;CDALMOXARIFE;CDLOCALESTOQ;NRLOTEESTQ;NRSUBLOTE";
  std::vector<engine::Value> position;
  for (const char* field :
       {"CDFILIAL", "NRPEDIDO", "NRITEMPED", "CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE"})
    position.push_back(expired.field(field).value());
  s.cdsEvolEst.locate(kPosition, position, {.caseInsensitive = true});
  s.focusLiqEstField("NRLOTEESTQ");
  hostlib::consiste::MensErro(s.dialogs, s.msgLiquidaItem.Msg("Lote_Vencido"), true);
}

}  // namespace

void TfrmLiquidaItem::Vd_EvolEstq(const std::string& B, const std::string& P, const std::string& I,
                                  double Q) {
  // Only posted rows count: a pending one is the operator's business first.
  if (!parameterSet(cdsParamPedido, "IDEVOLESTLIQMAN") || allocationPending(*this)) return;
  const std::string itemFilter = "CDFILIAL = " + engine::quoteFilterValue(B) +
                                 " AND NRPEDIDO = " + engine::quoteFilterValue(P) +
                                 " AND NRITEMPED = " + engine::quoteFilterValue(I);
  double total = 0;
  // Rows that never came (their query failed) are no rows.
  if (cdsEvolEst.active()) {
    engine::DataSet& rows = cdsEvolEstAux;
    rows.setFilter(itemFilter);
    rows.setFiltered(true);
    rows.copyFrom(cdsEvolEst);
    const double today = clockOf(screenEnvironment()).today();
    for (rows.first(); !rows.eof(); rows.next()) {
      if (lotExpired(rows.field("DTVALILOTE"), today)) refuseExpiredLot(*this, itemFilter, rows);
      total += rows.field("QTEXP").asFloat();
    }
  }
  // At the quantities' precision: 0.1 + 0.2 is the 0.3 ordered.
  if (domain::sameQuantity(Q, total)) return;
  cdsPedido.locate("CDFILIAL;NRPEDIDO", {B, P}, {.caseInsensitive = true});
  pgcPadrao.setActivePage(tshItemPedido);
  cdsItemPedido.locate("CDFILIAL;NRPEDIDO;NRITEMPED", {B, P, I}, {.caseInsensitive = true});
  hostlib::consiste::MensErro(dialogs, msgLiquidaItem.Msg("Qtd_Dif"), true);
}

}  // namespace ped::core
