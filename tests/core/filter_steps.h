#pragma once
// The filter dialog as the operator meets it in the tests: shown from the
// branch panel of a screen on the demo server.

#include <functional>
#include <string>
#include <vector>

#include "core/screen_harness.h"
#include "engine/date_time.h"
#include "hostlib/event_dispatch.h"

namespace ped::core::testing {

// Opens the screen, enters `branch`; the dialog shows once (running the
// toolkit's inFilter, if set) and closes. Returns the dialog, now hidden.
inline TfrmFiltroLiquidaItem& showFilter(ScreenHarness& h, const std::string& branch = "0001") {
  h.open();
  h.enterBranchField();
  h.typeBranch(branch);
  h.leaveBranchField();
  h.host.take();
  return *frmFiltroLiquidaItem;
}

// Shows the dialog again from the Filtrar button, doing `inside` while it is open.
inline void reopen(ScreenHarness& h, const std::function<void(TfrmFiltroLiquidaItem&)>& inside) {
  h.toolkit.inFilter = inside;
  h.screen().handle([&] { h.screen().sbtFiltroClick(); });
  h.toolkit.inFilter = nullptr;
}

// The arguments a confirmed query leaves in the dialog: every order of the
// branch, whatever its dates.
inline void everyOrder(TfrmFiltroLiquidaItem& f, const std::string& branch) {
  f.stCdFilial = branch;
  f.stStatusPedido = "3526";
  f.stStatusItemPedido = "1234657";
  f.stPrioridade = "32140";
  for (std::string* all :
       {&f.stTNrPedido, &f.stTCliente, &f.stTProduto, &f.stTVendedor, &f.stTEmissao, &f.stTEntrega})
    all->assign(1, 'T');
}

// Opens the screen and chooses `branch`; the filter dialog that shows keeps
// every order of the branch as the last query.
inline TfrmLiquidaItem& openOnBranch(ScreenHarness& h, const std::string& branch) {
  h.toolkit.inFilter = [branch](TfrmFiltroLiquidaItem& f) { everyOrder(f, branch); };
  h.open();
  h.enterBranchField();
  h.typeBranch(branch);
  h.leaveBranchField();
  h.host.take();
  return h.screen();
}

// Runs a handler as one event; whether it ran to its end.
inline bool act(ScreenHarness& h, const std::function<void()>& handler) {
  return hostlib::runEvent(h.host, handler);
}

// The arguments as the wire shows them: texts as they are, null as "null".
inline std::vector<std::string> wire(const std::vector<netclient::Arg>& args) {
  std::vector<std::string> out;
  for (const netclient::Arg& a : args)
    out.push_back(a.kind() == netclient::Arg::Kind::Null ? "null" : a.text());
  return out;
}

inline std::string iso(double day) { return engine::date_time::toIso(day); }

}  // namespace ped::core::testing
