#pragma once
// One press of the confirm button: what its operation remembers for the
// closing steps (the order to return to, the window's freeze), the screen's
// own stock-check data set, and the orders sent and refused, which the
// operator is shown at the end.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/shell/Cli_ped00800.h"
#include "core/shell/window_lock.h"
#include "engine/data_set.h"
#include "netclient/arg.h"

namespace ped::core {

// An order the server did not process: its row of the error packet, the
// status as the order list shows it and the server's whole text.
// `alreadyDone`: an earlier action had already done what was asked.
struct RefusedOrder {
  std::string branch, order, status, text;
  bool alreadyDone = false;
};

class ConfirmationRun {
 public:
  explicit ConfirmationRun(TfrmLiquidaItem& screen) : screen(screen) {}

  TfrmLiquidaItem& screen;
  // NRPEDIDO of the order current when the operation began; empty: none ran.
  std::string returnOrder;
  // Painting frozen from the operation's start to the end of the closing steps.
  std::optional<WindowUpdateLock> freeze;
  // Receives AtualizaEstoque's positions that would become irregular.
  engine::DataSet stockCheck{"cdsEstoqueIrregular"};
  int ordersSent = 0;
  std::vector<RefusedOrder> refused;
  bool refusalsShown = false;
  // A changing call's answer was lost after the call went out: the outcome
  // is unknown, the operator has been told, and the lists are due a reload.
  bool answerLost = false;

  // A confirmation question of the message table; true for "Sim".
  bool ask(std::string_view key);
  // The operation starts: repaint, the current order remembered, painting
  // frozen. The caller raises the busy indicator.
  void begin();
  // Thaws the window now (the guard then does nothing more).
  void thaw() { freeze.reset(); }
  // Sends one of the changing calls (arguments as given), loads element [0],
  // when not null, into `list` and element [1], when not null, into cdsErro,
  // and notes its rows as refused. `orders`: the orders the call carries.
  // A failure has shown its message and aborts; when the answer was lost
  // after the call went out, the operator is then told that the outcome is
  // unknown, and `answerLost` is set.
  void send(std::string_view method, std::vector<netclient::Arg> args, engine::DataSet& list, int orders);
  // Shows the refused orders, if any and not yet shown, in the list window:
  // the operations call it once their changes are in, before the lists are
  // read again, so that a failing reload cannot hide them. The indicator
  // comes down for the window and the freeze is taken again after it.
  void reportRefusals();
};

// The four operations; each returns when the closing steps are due and
// aborts, its message shown, when they are not. An exclusion's question was
// asked before: `confirmed` is its answer.
void liquidateOrders(ConfirmationRun& run);
void liquidateItems(ConfirmationRun& run);
void excludeOrderSettlements(ConfirmationRun& run, bool confirmed);
void excludeItemSettlements(ConfirmationRun& run, bool confirmed);

// The texts of `field` in the rows marked "S", in list order; no cursor moves.
std::vector<std::string> markedTexts(const engine::DataSet& rows, std::string_view field);
// The rows marked "S", as a packet: what an operation acts on, and all the
// server needs to be sent.
std::string markedRowsPacket(const engine::DataSet& rows);

// Focus on `field`'s column of `grid`, when the grid can take it.
void focusGridField(TfrmLiquidaItem& screen, hostlib::Grid& grid, std::string_view field);

}  // namespace ped::core
