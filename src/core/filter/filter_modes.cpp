// The order-number, client, product and seller modes, clearing, keys, and
// how the operator's clicks reach the handlers.

#include "core/filter/Cli_ped00801.h"

namespace ped::core {

namespace {

void setRangeControls(std::initializer_list<hostlib::Control*> controls, bool enabled) {
  for (hostlib::Control* c : controls) c->setEnabled(enabled);
}

}  // namespace

void TfrmFiltroLiquidaItem::showRangeMode(bool range, bool list) {
  if (!range) {
    // Set without the change handlers: emptying must not select "Intervalo".
    medDeIntervalo.setText("");
    medAteIntervalo.setText("");
  }
  setRangeControls({&medDeIntervalo, &medAteIntervalo, &lblDeNrPedido, &lblAteNrPedido}, range);
  sbtNrPedido.setEnabled(list);
  for (hostlib::Control* edit : {&medDeIntervalo, &medAteIntervalo})
    edit->setColor(range ? edit_colour::clInfoBk : edit_colour::clWindow);
}

void TfrmFiltroLiquidaItem::rbtTNrPedidoClick() {
  showRangeMode(false, false);
  rbtTNrPedido.select();
}

void TfrmFiltroLiquidaItem::rbtIntervaloClick() {
  showRangeMode(true, false);
  setFocus(medDeIntervalo);
}

void TfrmFiltroLiquidaItem::rbtLNrPedidoClick() {
  showRangeMode(false, true);
  rbtLNrPedido.select();
}

void TfrmFiltroLiquidaItem::rbtTVendedorClick() { sbtVendedor.setEnabled(!rbtTVendedor.checked()); }
void TfrmFiltroLiquidaItem::rbtLVendedorClick() { sbtVendedor.setEnabled(rbtLVendedor.checked()); }
void TfrmFiltroLiquidaItem::rbtTClienteClick() { sbtCliente.setEnabled(!rbtTCliente.checked()); }
void TfrmFiltroLiquidaItem::rbtLClienteClick() { sbtCliente.setEnabled(rbtLCliente.checked()); }
void TfrmFiltroLiquidaItem::rbtTProdutoClick() { sbtProduto.setEnabled(!rbtTProduto.checked()); }
void TfrmFiltroLiquidaItem::rbtLProdutoClick() { sbtProduto.setEnabled(rbtLProduto.checked()); }

void TfrmFiltroLiquidaItem::medDeIntervaloChange() {
  if (rbtIntervalo.select()) rbtIntervaloClick();
}

void TfrmFiltroLiquidaItem::medAteIntervaloChange() {
  if (rbtIntervalo.select()) rbtIntervaloClick();
}

void TfrmFiltroLiquidaItem::typeRange(hostlib::Control& edit, std::string text) {
  if (edit.text() == text) return;
  edit.setText(std::move(text));
  if (&edit == &medDeIntervalo) medDeIntervaloChange();
  if (&edit == &medAteIntervalo) medAteIntervaloChange();
}

void TfrmFiltroLiquidaItem::sbtLimpaClick() {
  for (std::string* list : {&stNrPedido, &stVendedor, &stCliente, &stProduto}) list->clear();
  rbtTNrPedidoClick();
  for (hostlib::Control* box : filterCheckBoxes()) box->setChecked(true);
  for (RadioButton* all : {&rbtTVendedor, &rbtTCliente, &rbtTProduto}) all->select();
  for (hostlib::Control* search : {&sbtVendedor, &sbtCliente, &sbtProduto}) search->setEnabled(false);
  for (hostlib::TDateEditPlus* date : {&depDeEmissao, &depAteEmissao, &depDeEntrega, &depAteEntrega})
    date->SetDate(0);
}

bool TfrmFiltroLiquidaItem::FormKeyDown(int key, unsigned shift) {
  if (key != kKeyD || (shift & ssCtrl) == 0) return false;
  sbtLimpaClick();
  return true;
}

namespace {

// F9 searches whether or not the group's search button is enabled.
bool searchOnF9(TfrmFiltroLiquidaItem& dialog, int key, void (TfrmFiltroLiquidaItem::*search)()) {
  if (key != kKeyF9) return false;
  (dialog.*search)();
  return true;
}

}  // namespace

bool TfrmFiltroLiquidaItem::rbtLNrPedidoKeyDown(int key, unsigned) {
  return searchOnF9(*this, key, &TfrmFiltroLiquidaItem::sbtNrPedidoClick);
}
bool TfrmFiltroLiquidaItem::rbtLVendedorKeyDown(int key, unsigned) {
  return searchOnF9(*this, key, &TfrmFiltroLiquidaItem::sbtVendedorClick);
}
bool TfrmFiltroLiquidaItem::rbtLClienteKeyDown(int key, unsigned) {
  return searchOnF9(*this, key, &TfrmFiltroLiquidaItem::sbtClienteClick);
}
bool TfrmFiltroLiquidaItem::rbtLProdutoKeyDown(int key, unsigned) {
  return searchOnF9(*this, key, &TfrmFiltroLiquidaItem::sbtProdutoClick);
}

bool TfrmFiltroLiquidaItem::keyDown(hostlib::Control* focused, int key, unsigned shift) {
  bool used = FormKeyDown(key, shift);
  using KeyHandler = bool (TfrmFiltroLiquidaItem::*)(int, unsigned);
  const std::pair<hostlib::Control*, KeyHandler> handlers[] = {
      {&rbtLNrPedido, &TfrmFiltroLiquidaItem::rbtLNrPedidoKeyDown},
      {&rbtLVendedor, &TfrmFiltroLiquidaItem::rbtLVendedorKeyDown},
      {&rbtLCliente, &TfrmFiltroLiquidaItem::rbtLClienteKeyDown},
      {&rbtLProduto, &TfrmFiltroLiquidaItem::rbtLProdutoKeyDown}};
  for (const auto& [control, handler] : handlers)
    if (control == focused) used = (this->*handler)(key, shift) || used;
  return used;
}

void TfrmFiltroLiquidaItem::click(hostlib::Control& control) {
  if (!control.usable()) return;
  using Handler = void (TfrmFiltroLiquidaItem::*)();
  const std::pair<hostlib::Control*, Handler> handlers[] = {
      {&rbtTNrPedido, &TfrmFiltroLiquidaItem::rbtTNrPedidoClick},
      {&rbtIntervalo, &TfrmFiltroLiquidaItem::rbtIntervaloClick},
      {&rbtLNrPedido, &TfrmFiltroLiquidaItem::rbtLNrPedidoClick},
      {&rbtTVendedor, &TfrmFiltroLiquidaItem::rbtTVendedorClick},
      {&rbtLVendedor, &TfrmFiltroLiquidaItem::rbtLVendedorClick},
      {&rbtTCliente, &TfrmFiltroLiquidaItem::rbtTClienteClick},
      {&rbtLCliente, &TfrmFiltroLiquidaItem::rbtLClienteClick},
      {&rbtTProduto, &TfrmFiltroLiquidaItem::rbtTProdutoClick},
      {&rbtLProduto, &TfrmFiltroLiquidaItem::rbtLProdutoClick},
      {&sbtNrPedido, &TfrmFiltroLiquidaItem::sbtNrPedidoClick},
      {&sbtVendedor, &TfrmFiltroLiquidaItem::sbtVendedorClick},
      {&sbtCliente, &TfrmFiltroLiquidaItem::sbtClienteClick},
      {&sbtProduto, &TfrmFiltroLiquidaItem::sbtProdutoClick},
      {&sbtLimpa, &TfrmFiltroLiquidaItem::sbtLimpaClick},
      {&sbtConfirma, &TfrmFiltroLiquidaItem::sbtConfirmaClick},
      {&sbtCancel, &TfrmFiltroLiquidaItem::Close}};
  if (auto* radio = dynamic_cast<RadioButton*>(&control)) radio->select();
  for (const auto& [c, handler] : handlers)
    if (c == &control) {
      (this->*handler)();
      return;
    }
  if (&control == &sbtHelp) {
    ShowHelp(dialogs);
    return;
  }
  if (control.name().starts_with("chb")) control.setChecked(!control.checked());
}

}  // namespace ped::core
