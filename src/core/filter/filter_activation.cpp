// Showing, restoring from Filtro, and closing the filter dialog.

#include "core/filter/Cli_ped00801.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/parameters.h"

namespace ped::core {

void TfrmFiltroLiquidaItem::FormCreate() {
  depDeEntrega.SetDate(0);
  depAteEntrega.SetDate(0);
  boPrimVez = true;
}

void TfrmFiltroLiquidaItem::restoreListGroup(const TListaFiltro& saved, std::string& list, RadioButton& all,
                                             RadioButton& listed, hostlib::Control& search) {
  list = saved.stLista;
  if (saved.boTodos)
    all.select();
  else
    listed.select();
  search.setEnabled(!saved.boTodos);
}

void TfrmFiltroLiquidaItem::FormActivate() {
  medDeIntervalo.setText(Filtro.NrPedido.stDeIntervalo);
  medAteIntervalo.setText(Filtro.NrPedido.stAteIntervalo);
  stNrPedido = Filtro.NrPedido.stLista;
  // The dialog opens in its first field: the order-number mode restored,
  // or the range's first edit, where "Intervalo" puts the focus.
  if (Filtro.NrPedido.boLista) {
    rbtLNrPedido.select();
    rbtLNrPedidoClick();
    setFocus(rbtLNrPedido);
  } else if (Filtro.NrPedido.boIntervalo) {
    rbtIntervalo.select();
    rbtIntervaloClick();
  } else {
    rbtTNrPedido.select();
    rbtTNrPedidoClick();
    setFocus(rbtTNrPedido);
  }

  const bool flags[] = {Filtro.boNormal,      Filtro.boAlta,          Filtro.boUrgente,
                        Filtro.boBaixa,       Filtro.boPrioritaria,   Filtro.boPAndamento,
                        Filtro.boPLiquidado,  Filtro.boPParcialmente, Filtro.boIPendente,
                        Filtro.boIConfirmado, Filtro.boIAprovado,     Filtro.boILiquidado,
                        Filtro.boICancelado,  Filtro.boIParcialmente};
  const std::vector<hostlib::Control*> boxes = filterCheckBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) boxes[i]->setChecked(flags[i]);

  restoreListGroup(Filtro.Produto, stProduto, rbtTProduto, rbtLProduto, sbtProduto);
  restoreListGroup(Filtro.Vendedor, stVendedor, rbtTVendedor, rbtLVendedor, sbtVendedor);
  restoreListGroup(Filtro.Cliente, stCliente, rbtTCliente, rbtLCliente, sbtCliente);

  depDeEntrega.SetDate(Filtro.dtDeEntrega);
  depAteEntrega.SetDate(Filtro.dtAteEntrega);
  if (boPrimVez) {
    const double today = clockOf(env_).today();
    depDeEmissao.SetDate(today - 7);
    depAteEmissao.SetDate(today);
    Filtro.dtDeEmissao = depDeEmissao.GetDate();
    Filtro.dtAteEmissao = depAteEmissao.GetDate();
    boPrimVez = false;
  } else {
    depDeEmissao.SetDate(Filtro.dtDeEmissao);
    depAteEmissao.SetDate(Filtro.dtAteEmissao);
  }

  // Once locked, the seller group stays locked for the life of the dialog.
  // It shows the one seller the orders are restricted to, not "Todos".
  if (frmLiquidaItem != nullptr && frmLiquidaItem->ExibeVendedorLogado()) {
    grbVendedor.setEnabled(false);
    for (const auto& c : grbVendedor.children()) c->setEnabled(false);
    rbtLVendedor.select();
    const engine::DataSet& seller = frmLiquidaItem->cdsVendLog;
    grbVendedor.setCaption("Vendedor: " + parameterText(seller, "CDVENDEDOR") + " - " +
                           parameterText(seller, "NMFANVEN"));
  }
}

void TfrmFiltroLiquidaItem::FormClose() { boPrimVez = false; }

void TfrmFiltroLiquidaItem::Close() { toolkit.closeModal(*this); }

}  // namespace ped::core
