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
  if (!field.isEmpty() && !field.IsDateValid())
    refuse(field, "'" + field.text() + "' " + msgPadrao.Msg("DATA_INV"));
}

void TfrmFiltroLiquidaItem::Vd_DeEmissaoInv() { checkDateText(depDeEmissao); }
void TfrmFiltroLiquidaItem::Vd_AteEmissaoInv() { checkDateText(depAteEmissao); }
void TfrmFiltroLiquidaItem::Vd_DeEntregaInv() { checkDateText(depDeEntrega); }
void TfrmFiltroLiquidaItem::Vd_AteEntregaInv() { checkDateText(depAteEntrega); }

bool TfrmFiltroLiquidaItem::blank(const hostlib::Control& field) {
  return consiste::EmptyString(field.text());
}

// The two ends of a range: the first missing, the last missing.
void TfrmFiltroLiquidaItem::refuseWithoutFirst(hostlib::Control& first, const hostlib::Control& last,
                                               const char* key) {
  if (blank(first) && !blank(last)) refuse(first, msgPadrao.Msg(key));
}

void TfrmFiltroLiquidaItem::refuseWithoutLast(const hostlib::Control& first, hostlib::Control& last,
                                              const char* key) {
  if (!blank(first) && blank(last)) refuse(last, msgPadrao.Msg(key));
}

void TfrmFiltroLiquidaItem::Vd_DeEmissao() {
  refuseWithoutFirst(depDeEmissao, depAteEmissao, "DTINI_PEDIDO");
}
void TfrmFiltroLiquidaItem::Vd_AteEmissao() {
  refuseWithoutLast(depDeEmissao, depAteEmissao, "DTFIN_PEDIDO");
}
void TfrmFiltroLiquidaItem::Vd_DeEntrega() {
  refuseWithoutFirst(depDeEntrega, depAteEntrega, "DTINI_ENTREGA");
}
void TfrmFiltroLiquidaItem::Vd_AteEntrega() {
  refuseWithoutLast(depDeEntrega, depAteEntrega, "DTFIN_ENTREGA");
}
void TfrmFiltroLiquidaItem::Vd_DeIntervalo() { refuseWithoutFirst(medDeIntervalo, medAteIntervalo, "NRINI"); }
void TfrmFiltroLiquidaItem::Vd_AteIntervalo() { refuseWithoutLast(medDeIntervalo, medAteIntervalo, "NRFIN"); }

void TfrmFiltroLiquidaItem::Vd_Emissao() {
  if (!blank(depDeEmissao) && !blank(depAteEmissao) && depAteEmissao.GetDate() < depDeEmissao.GetDate())
    refuse(depDeEmissao, msgPadrao.Msg("DTINI>DTFIN_PEDIDO"));
}

void TfrmFiltroLiquidaItem::Vd_Entrega() {
  if (!blank(depDeEntrega) && !blank(depAteEntrega) && depAteEntrega.GetDate() < depDeEntrega.GetDate())
    refuse(depDeEntrega, msgPadrao.Msg("DTINI>DTFIN_ENTREGA"));
}

void TfrmFiltroLiquidaItem::Vd_Intervalo() {
  // Texts, not numbers: both ends were brought to one width before.
  if (!blank(medDeIntervalo) && !blank(medAteIntervalo) && medDeIntervalo.text() > medAteIntervalo.text())
    refuse(medDeIntervalo, msgPadrao.Msg("NRINI>NRFIN"));
}

void TfrmFiltroLiquidaItem::Vd_Intervalo2() {
  if (blank(medDeIntervalo) && blank(medAteIntervalo) && rbtIntervalo.checked())
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
    // A locked seller group lists the operator's own seller, not a choice.
    if (listButton->checked() && list->empty() && listButton->enabled())
      refuse(*listButton, msgPadrao.Msg(key));
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
