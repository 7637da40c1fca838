// The operations menu's "Histórico": the current order's settlement history,
// read from the server and shown whole in the host's list window, or not at
// all when the server fails (its message is then shown instead).

#include "core/history/history_list.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/remote_call.h"
#include "hostlib/edit_mask.h"

namespace ped::core {

void TfrmLiquidaItem::mnuHistoricoClick() {
  if (!cdsPedido.active() || cdsPedido.isEmpty()) return;
  const std::string order = cdsPedido.field("NRPEDIDO").asString();
  engine::DataSet history("cdsHistorico"), positions("cdsHistPosicao");
  defineFields(history, domain::layouts::orderHistory(), {});
  defineFields(positions, domain::layouts::historyPositions(), {});
  // Products read as the item list shows them, in the host's picture.
  history.field("CDARVPROD").onGetText = [this](const engine::Field&, std::string& text, bool) {
    text = hostlib::EditMask(cdArvProdMask).format(text);
  };
  callServer(*this, "GetHistorico", {cdsPedido.field("CDFILIAL").asString(), order}, {&history, &positions});
  dialogs.showList(historyList(order, history, positions));
}

}  // namespace ped::core
