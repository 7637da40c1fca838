// Which buttons, pages, branch controls and menu entries of the main screen
// are enabled, from the marks, the page in use and the allocation rows.

#include "core/shell/Cli_ped00800.h"
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
  const int P = inContPedidoCh;
  const int I = inContItemPedidoCh;
  const bool EP = empty(cdsPedido);
  const bool EI = empty(cdsItemPedido);
  const bool W = editing(cdsEvolEst);
  const bool B = vantora.ModuFili();
  const std::size_t RC = cdsEvolEst.active() ? cdsEvolEst.recordCount() : 0;

  auto branch = [&](bool on) {
    for (hostlib::Control* c : {&lblFilial, &medCdFilial, static_cast<hostlib::Control*>(&btnFilial)})
      c->setEnabled(on);
  };

  sbtIncluir.setEnabled(false);
  sbtAlterar.setEnabled(false);
  sbtExcluir.setEnabled(false);

  if (pgcPadrao.isActive(tshPadrao) || A == "F") {
    if (EP) pgcPadrao.setActivePage(tshPadrao);
    sbtVerificar.setEnabled(P == 0 && !EP);
    sbtProcurar.setEnabled(P == 0 && !EP);
    sbtFiltro.setEnabled(P == 0);
    sbtCancelar.setEnabled(P != 0);
    sbtConfirmar.setEnabled(P != 0);
    dbnPadrao.setEnabled(P == 0 && !EP);
    tshItemPedido.setEnabled(P == 0 && !EP);
    tshJustExcl.setEnabled(P != 0);
    branch(!B && P == 0);
  }

  if (pgcPadrao.isActive(tshItemPedido)) {
    if (focused() == &dbgLiqEst) {
      const bool itemTakesRows = currentItemTakesAllocation(cdsItemPedido);
      sbtVerificar.setEnabled(!W);
      sbtProcurar.setEnabled(!W && RC > 0);
      sbtFiltro.setEnabled(I == 0 && !W);
      sbtCancelar.setEnabled(I != 0 || W);
      sbtConfirmar.setEnabled(I != 0 || W);
      branch(!B && I == 0 && !W);
      dbnPadrao.setEnabled(I == 0 && !W);
      tshPadrao.setEnabled(!W);
      tshJustExcl.setEnabled(I != 0 && !W);
      dbgItemPedido.setEnabled(!W);
      sbtIncluir.setEnabled(!W && itemTakesRows);
      sbtAlterar.setEnabled(!W && RC > 0 && itemTakesRows);
      sbtExcluir.setEnabled(!W && RC > 0 && itemTakesRows);
    } else {
      sbtVerificar.setEnabled(I == 0 && !EI);
      sbtProcurar.setEnabled(I == 0 && !EI);
      sbtFiltro.setEnabled(I == 0);
      sbtCancelar.setEnabled(I != 0);
      sbtConfirmar.setEnabled(I != 0);
      branch(!B && I == 0);
      dbnPadrao.setEnabled(I == 0);
      tshPadrao.setEnabled(I == 0);
      tshJustExcl.setEnabled(I != 0);
    }
  }

  const std::pair<hostlib::Control*, const hostlib::Control*> follow[] = {
      {&mnuVerificar, &sbtVerificar}, {&mnuProcurar, &sbtProcurar},     {&mnuFiltrar, &sbtFiltro},
      {&mnuPedido, &tshPadrao},       {&mnuItemPedido, &tshItemPedido}, {&mnuCancelar, &sbtCancelar},
      {&mnuConfirmar, &sbtConfirmar}, {&mnuJustExcl, &tshJustExcl},     {&mnuIncluir, &sbtIncluir},
      {&mnuAlterar, &sbtAlterar},     {&mnuExcluir, &sbtExcluir}};
  for (const auto& [menu, control] : follow) menu->setEnabled(control->enabled());
  mnuPedido.setChecked(pgcPadrao.isActive(tshPadrao));
  mnuItemPedido.setChecked(pgcPadrao.isActive(tshItemPedido));
  mnuJustExcl.setChecked(pgcPadrao.isActive(tshJustExcl));
}

}  // namespace ped::core
