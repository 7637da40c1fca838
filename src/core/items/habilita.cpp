// Which buttons, pages, branch controls and menu entries of the main screen
// are enabled, from the marks, the page in use and the allocation rows.

#include "core/orders/marking_state.h"
#include "core/shell/Cli_ped00800.h"
#include "core/stock/allocation_editing.h"
#include "domain/status_rules.h"

namespace ped::core {
namespace {

bool editing(const engine::DataSet& ds) {
  return ds.state() == engine::DataSetState::Edit || ds.state() == engine::DataSetState::Insert;
}

bool empty(const engine::DataSet& ds) { return !ds.active() || ds.isEmpty(); }

// With no current item nothing is offered for allocation rows.
bool currentItemTakesAllocation(const engine::DataSet& items) {
  return !empty(items) && domain::takesAllocationRows(items.field("IDSITITEMPED").asString());
}

}  // namespace

void TfrmLiquidaItem::habilita(std::string_view A) {
  const int markedOrders = marking.markedOrders();
  const int markedItems = marking.markedItems();
  const bool noOrders = empty(cdsPedido);
  const bool noItems = empty(cdsItemPedido);
  const bool editingAllocation = editing(cdsEvolEst);
  const bool bound = vantora.ModuFili();
  const std::size_t allocationRows = cdsEvolEst.active() ? cdsEvolEst.recordCount() : 0;

  auto branch = [&](bool on) {
    for (hostlib::Control* c : {&lblFilial, &medCdFilial, static_cast<hostlib::Control*>(&btnFilial)})
      c->setEnabled(on);
  };

  sbtIncluir.setEnabled(false);
  sbtAlterar.setEnabled(false);
  sbtExcluir.setEnabled(false);

  if (pgcPadrao.isActive(tshPadrao) || A == "F") {
    if (noOrders) pgcPadrao.setActivePage(tshPadrao);
    sbtVerificar.setEnabled(markedOrders == 0 && !noOrders);
    sbtProcurar.setEnabled(markedOrders == 0 && !noOrders);
    sbtFiltro.setEnabled(markedOrders == 0);
    sbtCancelar.setEnabled(markedOrders != 0);
    sbtConfirmar.setEnabled(markedOrders != 0);
    dbnPadrao.setEnabled(markedOrders == 0 && !noOrders);
    tshItemPedido.setEnabled(markedOrders == 0 && !noOrders);
    tshJustExcl.setEnabled(markedOrders != 0);
    branch(!bound && markedOrders == 0);
  }

  if (pgcPadrao.isActive(tshItemPedido)) {
    if (allocationGridInUse(*this)) {
      const bool itemTakesRows = currentItemTakesAllocation(cdsItemPedido);
      sbtVerificar.setEnabled(!editingAllocation);
      sbtProcurar.setEnabled(!editingAllocation && allocationRows > 0);
      sbtFiltro.setEnabled(markedItems == 0 && !editingAllocation);
      sbtCancelar.setEnabled(markedItems != 0 || editingAllocation);
      sbtConfirmar.setEnabled(markedItems != 0 || editingAllocation);
      branch(!bound && markedItems == 0 && !editingAllocation);
      dbnPadrao.setEnabled(markedItems == 0 && !editingAllocation);
      tshPadrao.setEnabled(!editingAllocation);
      tshJustExcl.setEnabled(markedItems != 0 && !editingAllocation);
      dbgItemPedido.setEnabled(!editingAllocation);
      sbtIncluir.setEnabled(!editingAllocation && itemTakesRows);
      sbtAlterar.setEnabled(!editingAllocation && allocationRows > 0 && itemTakesRows);
      sbtExcluir.setEnabled(!editingAllocation && allocationRows > 0 && itemTakesRows);
    } else {
      sbtVerificar.setEnabled(markedItems == 0 && !noItems);
      sbtProcurar.setEnabled(markedItems == 0 && !noItems);
      sbtFiltro.setEnabled(markedItems == 0);
      sbtCancelar.setEnabled(markedItems != 0);
      sbtConfirmar.setEnabled(markedItems != 0);
      branch(!bound && markedItems == 0);
      dbnPadrao.setEnabled(markedItems == 0);
      tshPadrao.setEnabled(markedItems == 0);
      tshJustExcl.setEnabled(markedItems != 0);
    }
  }

  // The proposal adds rows: where a row may be included, stock moving.
  sbtProporLotes.setEnabled(sbtIncluir.enabled() && lotProposalOffered());

  const std::pair<hostlib::Control*, const hostlib::Control*> follow[] = {
      {&mnuVerificar, &sbtVerificar}, {&mnuProcurar, &sbtProcurar},     {&mnuFiltrar, &sbtFiltro},
      {&mnuPedido, &tshPadrao},       {&mnuItemPedido, &tshItemPedido}, {&mnuCancelar, &sbtCancelar},
      {&mnuConfirmar, &sbtConfirmar}, {&mnuJustExcl, &tshJustExcl},     {&mnuIncluir, &sbtIncluir},
      {&mnuAlterar, &sbtAlterar},     {&mnuExcluir, &sbtExcluir},       {&mnuProporLotes, &sbtProporLotes}};
  for (const auto& [menu, control] : follow) menu->setEnabled(control->enabled());
  mnuPedido.setChecked(pgcPadrao.isActive(tshPadrao));
  mnuItemPedido.setChecked(pgcPadrao.isActive(tshItemPedido));
  mnuJustExcl.setChecked(pgcPadrao.isActive(tshJustExcl));
}

}  // namespace ped::core
