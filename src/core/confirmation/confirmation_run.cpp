#include "core/confirmation/confirmation_run.h"

#include <set>
#include <utility>

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
  const hostlib::RemoteResult answer = callServer(screen, method, std::move(args), {&list, &errors},
                                                  hostlib::BusyKind::Confirmation, NullPacket::LeavesAlone);
  ordersSent += orders;
  if (!answer.at(1)) return;
  const std::size_t branch = errors.field("CDFILIAL").index(), order = errors.field("NRPEDIDO").index(),
                    status = errors.field("IDSITPEDIDO").index(), text = errors.field("DSERRO").index();
  for (std::size_t row = 0; row < errors.recordCount(); ++row)
    refused.push_back({errors.displayTextAt(row, branch), errors.displayTextAt(row, order),
                       errors.displayTextAt(row, status), errors.displayTextAt(row, text)});
}

void ConfirmationRun::reportRefusals() const {
  if (refused.empty()) return;
  hostlib::ListWindow list{"Pedidos não processados", {"Filial", "Pedido", "Situação", "Mensagem"}, {}, {}};
  // An order refused twice (two rows) is still one order not processed.
  std::set<std::pair<std::string, std::string>> orders;
  for (const RefusedOrder& r : refused) {
    list.rows.push_back({r.branch, r.order, r.status, r.text});
    orders.emplace(r.branch, r.order);
  }
  const int notProcessed = static_cast<int>(orders.size());
  const int processed = ordersSent > notProcessed ? ordersSent - notProcessed : 0;
  list.summary = std::to_string(processed) + " pedido(s) processado(s), " + std::to_string(notProcessed) +
                 " não processado(s).";
  screen.dialogs.showList(list);
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
