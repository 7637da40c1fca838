#include "core/confirmation/confirmation_run.h"

#include <algorithm>
#include <set>
#include <utility>

#include "core/orders/order_grid_painting.h"
#include "core/shell/remote_call.h"
#include "domain/status_codes.h"
#include "hostlib/consiste.h"

namespace ped::core {

bool ConfirmationRun::ask(std::string_view key) { return screen.msgLiquidaItem.ShowMsg(key, screen.dialogs); }

void ConfirmationRun::begin() {
  if (screen.window()) screen.window()->repaint();
  const engine::DataSet& orders = screen.cdsPedido;
  returnOrder = orders.active() && !orders.isEmpty() ? orders.field("NRPEDIDO").asString() : "";
  freeze.emplace(screen);
}

void ConfirmationRun::send(std::string_view method, std::vector<netclient::Arg> args, engine::DataSet& list,
                           int orders) {
  engine::DataSet& errors = screen.cdsErro;
  hostlib::RemoteResult answer;
  try {
    answer = callServer(screen, method, std::move(args), {&list, &errors}, hostlib::BusyKind::Confirmation,
                        NullPacket::LeavesAlone);
  } catch (const hostlib::Abort&) {
    if (screen.netLiquidaItem.lastCallMayHaveRun()) {
      answerLost = true;
      screen.dialogs.showError(
          "A resposta do servidor de aplicação não chegou: a operação pode ter sido feita. A lista será "
          "recarregada; confira nela a situação dos pedidos antes de repetir a operação.");
    }
    throw;
  }
  ordersSent += orders;
  if (!answer.at(1)) return;
  const auto at = [&](std::size_t row, const char* field) {
    return errors.displayTextAt(row, errors.field(field).index());
  };
  for (std::size_t row = 0; row < errors.recordCount(); ++row) {
    const std::string whole = at(row, "DSERROCOMPL");
    refused.push_back({at(row, "CDFILIAL"), at(row, "NRPEDIDO"),
                       orderStatusText(screen.msgLiquidaItem, at(row, "IDSITPEDIDO")),
                       whole.empty() ? at(row, "DSERRO") : whole, at(row, "IDJAFEITO") == "S"});
  }
}

void ConfirmationRun::reportRefusals() {
  if (refused.empty() || refusalsShown) return;
  refusalsShown = true;
  hostlib::ListWindow list{"Pedidos não processados", {"Filial", "Pedido", "Situação", "Mensagem"}, {}, {}};
  // An order refused twice (two rows) is still one order not processed.
  std::set<std::pair<std::string, std::string>> orders, done;
  for (const RefusedOrder& r : refused) {
    list.rows.push_back({r.branch, r.order, r.status, r.text});
    (r.alreadyDone ? done : orders).emplace(r.branch, r.order);
  }
  for (const auto& order : done) orders.erase(order);
  const int notProcessed = static_cast<int>(orders.size()), before = static_cast<int>(done.size());
  const int processed = std::max(0, ordersSent - notProcessed - before);
  list.summary = std::to_string(processed) + " pedido(s) processado(s), " + std::to_string(notProcessed) +
                 " não processado(s)" +
                 (before ? ", " + std::to_string(before) + " já processado(s) antes." : std::string("."));
  const bool frozen = freeze.has_value();
  screen.showavi.DeactiveAll();
  screen.releaseWindowUpdate();
  screen.dialogs.showList(list);
  if (frozen) freeze.emplace(screen);
}

std::string markedRowsPacket(const engine::DataSet& rows) {
  std::vector<std::size_t> marked;
  const std::size_t mark = rows.field("IDCHECK").index();
  for (std::size_t row = 0; row < rows.recordCount(); ++row)
    if (rows.displayTextAt(row, mark) == domain::mark::Marked) marked.push_back(row);
  return rows.toPacket(marked);
}

std::vector<std::string> markedTexts(const engine::DataSet& rows, std::string_view field) {
  std::vector<std::string> texts;
  if (!rows.active()) return texts;
  const std::size_t mark = rows.field("IDCHECK").index(), value = rows.field(field).index();
  for (std::size_t row = 0; row < rows.recordCount(); ++row)
    if (rows.displayTextAt(row, mark) == domain::mark::Marked)
      texts.push_back(rows.displayTextAt(row, value));
  return texts;
}

void focusGridField(TfrmLiquidaItem& screen, hostlib::Grid& grid, std::string_view field) {
  const int column = hostlib::consiste::IndiceCol(grid, field);
  if (column >= 0) grid.selectedColumn = static_cast<std::size_t>(column);
  grid.notifyChanged();
  screen.setFocus(grid);
}

}  // namespace ped::core
