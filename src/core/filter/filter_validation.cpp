// The filter's field checks and the handlers that run when a field is left.
// A failed check shows its message, then puts the focus on the control to
// correct, and aborts.

#include "core/filter/Cli_ped00801.h"
#include "hostlib/consiste.h"

namespace ped::core {

namespace consiste = hostlib::consiste;

void TfrmFiltroLiquidaItem::refuse(hostlib::Control& focus, std::string_view text) {
  consiste::MensErro(dialogs, text, false);
  setFocus(focus);
  throw hostlib::Abort();
}

void TfrmFiltroLiquidaItem::checkDateText(hostlib::TDateEditPlus& field) {
  if (!field.isEmpty() && !field.IsDateValid()) refuse(field, "'" + field.text() + "' " + msgPadrao.Msg("DATA_INV"));
}

void TfrmFiltroLiquidaItem::Vd_DeEmissaoInv() { checkDateText(depDeEmissao); }
void TfrmFiltroLiquidaItem::Vd_AteEmissaoInv() { checkDateText(depAteEmissao); }
void TfrmFiltroLiquidaItem::Vd_DeEntregaInv() { checkDateText(depDeEntrega); }
void TfrmFiltroLiquidaItem::Vd_AteEntregaInv() { checkDateText(depAteEntrega); }

void TfrmFiltroLiquidaItem::Vd_DeEmissao() {
  if (depDeEmissao.isEmpty() && !depAteEmissao.isEmpty()) refuse(depDeEmissao, msgPadrao.Msg("DTINI_PEDIDO"));
}

void TfrmFiltroLiquidaItem::Vd_AteEmissao() {
  if (!depDeEmissao.isEmpty() && depAteEmissao.isEmpty()) refuse(depAteEmissao, msgPadrao.Msg("DTFIN_PEDIDO"));
}

void TfrmFiltroLiquidaItem::Vd_Emissao() {
  if (!depDeEmissao.isEmpty() && !depAteEmissao.isEmpty() && depAteEmissao.GetDate() < depDeEmissao.GetDate())
    refuse(depDeEmissao, msgPadrao.Msg("DTINI>DTFIN_PEDIDO"));
}

void TfrmFiltroLiquidaItem::Vd_DeEntrega() {
  if (depDeEntrega.isEmpty() && !depAteEntrega.isEmpty()) refuse(depDeEntrega, msgPadrao.Msg("DTINI_ENTREGA"));
}

void TfrmFiltroLiquidaItem::Vd_AteEntrega() {
  if (!depDeEntrega.isEmpty() && depAteEntrega.isEmpty()) refuse(depAteEntrega, msgPadrao.Msg("DTFIN_ENTREGA"));
}

void TfrmFiltroLiquidaItem::Vd_Entrega() {
  if (!depDeEntrega.isEmpty() && !depAteEntrega.isEmpty() && depAteEntrega.GetDate() < depDeEntrega.GetDate())
    refuse(depDeEntrega, msgPadrao.Msg("DTINI>DTFIN_ENTREGA"));
}

void TfrmFiltroLiquidaItem::Vd_DeIntervalo() {
  if (consiste::EmptyString(medDeIntervalo.text()) && !consiste::EmptyString(medAteIntervalo.text()))
    refuse(medDeIntervalo, msgPadrao.Msg("NRINI"));
}

void TfrmFiltroLiquidaItem::Vd_AteIntervalo() {
  if (!consiste::EmptyString(medDeIntervalo.text()) && consiste::EmptyString(medAteIntervalo.text()))
    refuse(medAteIntervalo, msgPadrao.Msg("NRFIN"));
}

void TfrmFiltroLiquidaItem::Vd_Intervalo() {
  // Texts, not numbers: both ends were brought to one width before.
  if (!consiste::EmptyString(medDeIntervalo.text()) && !consiste::EmptyString(medAteIntervalo.text()) &&
      medDeIntervalo.text() > medAteIntervalo.text())
    refuse(medDeIntervalo, msgPadrao.Msg("NRINI>NRFIN"));
}

void TfrmFiltroLiquidaItem::Vd_Intervalo2() {
  if (consiste::EmptyString(medDeIntervalo.text()) && consiste::EmptyString(medAteIntervalo.text()) &&
      rbtIntervalo.checked())
    refuse(medDeIntervalo, msgPadrao.Msg("NRINI"));
}

void TfrmFiltroLiquidaItem::Vd_StatusPedido() {
  if (!chbPAndamento.checked() && !chbPLiquidado.checked() && !chbPParcialmente.checked())
    refuse(chbPAndamento, msgPadrao.Msg("STATUSPED"));
}

void TfrmFiltroLiquidaItem::Vd_StatusItemPedido() {
  for (const hostlib::Control* c :
       {&chbIPendente, &chbIConfirmado, &chbIAprovado, &chbILiquidado, &chbICancelado, &chbIParcialmente})
    if (c->checked()) return;
  refuse(chbIPendente, msgPadrao.Msg("STATUSITEMPED"));
}

void TfrmFiltroLiquidaItem::Vd_Prioridade() {
  for (const hostlib::Control* c : {&chbNormal, &chbAlta, &chbUrgente, &chbBaixa, &chbPrioritaria})
    if (c->checked()) return;
  refuse(chbNormal, msgPadrao.Msg("PRIO"));
}

void TfrmFiltroLiquidaItem::Vd_Lista() {
  const std::tuple<RadioButton*, const std::string*, const char*> lists[] = {
      {&rbtLNrPedido, &stNrPedido, "LNrPedido"},
      {&rbtLCliente, &stCliente, "LCliente"},
      {&rbtLProduto, &stProduto, "LProduto"},
      {&rbtLVendedor, &stVendedor, "LVendedor"}};
  for (const auto& [listButton, list, key] : lists)
    if (listButton->checked() && list->empty()) refuse(*listButton, msgPadrao.Msg(key));
}

void TfrmFiltroLiquidaItem::medDeIntervaloExit() {
  medDeIntervalo.setText(consiste::Ajusta(medDeIntervalo.text(), kRangeWidth));
}

void TfrmFiltroLiquidaItem::medAteIntervaloExit() {
  medAteIntervalo.setText(consiste::Ajusta(medAteIntervalo.text(), kRangeWidth));
}

void TfrmFiltroLiquidaItem::leaveDateField(hostlib::TDateEditPlus& field) {
  try {
    field.CheckValidDate();
  } catch (const hostlib::InvalidDate& e) {
    refuse(field, e.what());
  }
  checkDateText(field);
}

void TfrmFiltroLiquidaItem::depDeEmissaoExit() { leaveDateField(depDeEmissao); }
void TfrmFiltroLiquidaItem::depAteEmissaoExit() { leaveDateField(depAteEmissao); }
void TfrmFiltroLiquidaItem::depDeEntregaExit() { leaveDateField(depDeEntrega); }
void TfrmFiltroLiquidaItem::depAteEntregaExit() { leaveDateField(depAteEntrega); }

}  // namespace ped::core
