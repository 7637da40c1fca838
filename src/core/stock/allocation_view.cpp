// Which allocation columns the branch uses, and the allocation rows of the
// current item.

#include "core/shell/Cli_ped00800.h"
#include "core/shell/parameters.h"
#include "engine/filter_expression.h"
#include "hostlib/consiste.h"

namespace ped::core {

void TfrmLiquidaItem::Habilita_Evol_Estq() {
  for (hostlib::Control* c : {&sbtProporLotes, static_cast<hostlib::Control*>(&mnuProporLotes)})
    c->setVisible(lotProposalOffered());
  if (!parameterSet(cdsParamPedido, "IDEVOLESTLIQMAN")) {
    panEvolEstq.setVisible(false);
    return;
  }
  panEvolEstq.setVisible(true);
  const bool warehouses = parameterSet(cdsParamFilial, "IDUTILALMOX");
  const bool locations = warehouses && parameterSet(cdsParamFilial, "IDUTILLCESTQ");
  const bool lots = parameterSet(cdsParamFilial, "IDUTILLOTE");
  const std::pair<const char*, bool> columns[] = {
      {"CDALMOXARIFE", warehouses}, {"CDLOCALESTOQ", locations}, {"NRLOTEESTQ", lots}, {"NRSUBLOTE", lots}};
  for (const auto& [field, visible] : columns) {
    const int index = hostlib::consiste::IndiceCol(dbgLiqEst, field);
    if (index >= 0) dbgLiqEst.setColumnVisible(static_cast<std::size_t>(index), visible);
  }
  // The stock-position pick list shows the same keys, with what each
  // position offers and, with lots, until when.
  cdsPesqEvolEst.field("DSALMOXARIFE").setVisible(warehouses);
  cdsPesqEvolEst.field("DSLOCALESTOQ").setVisible(locations);
  cdsPesqEvolEst.field("NRLOTEESTQ").setVisible(lots);
  cdsPesqEvolEst.field("NRSUBLOTE").setVisible(lots);
  cdsPesqEvolEst.field("DTVALILOTE").setVisible(lots);
  cdsPesqEvolEst.field("QTDISPONIVEL").setVisible(true);
}

void TfrmLiquidaItem::cdsItemPedidoAfterScroll() {
  if (!cdsEvolEst.active()) return;
  // Without a current item the keys stay empty, and no row is shown.
  const bool item = cdsItemPedido.active() && !cdsItemPedido.isEmpty();
  auto key = [&](const char* field) {
    return engine::quoteFilterValue(item ? cdsItemPedido.field(field).asString() : std::string());
  };
  cdsEvolEst.setFilter("CDFILIAL = " + key("CDFILIAL") + " AND NRPEDIDO = " + key("NRPEDIDO") +
                       " AND NRITEMPED = " + key("NRITEMPED"));
  cdsEvolEst.setFiltered(true);
}

}  // namespace ped::core
