#include "core/confirmation/stock_update.h"

#include "core/shell/remote_call.h"
#include "engine/filter_expression.h"
#include "hostlib/consiste.h"

namespace ped::core {
namespace {

std::string quotedList(const std::vector<std::string>& values) {
  std::string list;
  for (const std::string& value : values) {
    if (!list.empty()) list += ',';
    list += engine::quoteFilterValue(value);
  }
  return list;
}

}  // namespace

std::string orderStockFilter(const engine::DataSet& orders) {
  return "NRPEDIDO IN (" + quotedList(markedTexts(orders, "NRPEDIDO")) + ")";
}

std::string itemStockFilter(const engine::DataSet& items) {
  return "(NRPEDIDO = " + engine::quoteFilterValue(items.field("NRPEDIDO").asString()) +
         ") AND (NRITEMPED IN (" + quotedList(markedTexts(items, "NRITEMPED")) + "))";
}

void updateStock(ConfirmationRun& run, const std::string& filter) {
  TfrmLiquidaItem& s = run.screen;
  callServer(s, "AtualizaEstoque",
             {s.medCdFilial.text(), s.vantora.Operador(), s.msgLiquidaItem.Msg("MSG_Lancto"),
              netclient::Arg::packet(s.cdsEvolEst.toPacket()), filter},
             {nullptr, &run.stockCheck}, hostlib::BusyKind::Confirmation, NullPacket::LeavesAlone);
  if (!run.stockCheck.active() || run.stockCheck.isEmpty()) return;
  s.showavi.DeactiveAll();
  run.thaw();
  hostlib::consiste::MensErro(s.dialogs, s.msgLiquidaItem.Msg("Irreg_Estq"), true);
}

}  // namespace ped::core
