#include "hostlib/base_screens.h"

#include "engine/data_set.h"
#include "hostlib/keys.h"

namespace ped::hostlib {
namespace {

Control& button(Control& parent, const char* name, const char* caption) {
  Control& c = parent.add<Control>(name);
  c.setCaption(caption);
  return c;
}

}  // namespace

TfrmPadraoGrid::TfrmPadraoGrid(std::string name, std::string_view screenCode, int help)
    : Form(std::move(name)),
      sbtIncluir(button(*this, "sbtIncluir", "Incluir")),
      sbtAlterar(button(*this, "sbtAlterar", "Alterar")),
      sbtExcluir(button(*this, "sbtExcluir", "Excluir")),
      sbtVerificar(button(*this, "sbtVerificar", "Verificar")),
      sbtConfirmar(button(*this, "sbtConfirmar", "Confirmar")),
      sbtCancelar(button(*this, "sbtCancelar", "Cancelar")),
      sbtProcurar(button(*this, "sbtProcurar", "Procurar")),
      sbtImprimir(button(*this, "sbtImprimir", "Imprimir")),
      mnuIncluir(button(*this, "mnuIncluir", "&Incluir")),
      mnuAlterar(button(*this, "mnuAlterar", "&Alterar")),
      mnuExcluir(button(*this, "mnuExcluir", "&Excluir")),
      mnuVerificar(button(*this, "mnuVerificar", "&Verificar")),
      mnuConfirmar(button(*this, "mnuConfirmar", "C&onfirmar")),
      mnuCancelar(button(*this, "mnuCancelar", "&Cancelar")),
      mnuProcurar(button(*this, "mnuProcurar", "&Procurar")),
      mnuImprimir(button(*this, "mnuImprimir", "Im&primir")),
      lblCodTela(button(*this, "lblCodTela", "")),
      dbnPadrao(add<Control>("dbnPadrao")),
      helpContext(help) {
  lblCodTela.setCaption(std::string(screenCode));
}

Control* TfrmPadraoGrid::menuFor(const Control& b) {
  const std::pair<Control*, Control*> pairs[] = {
      {&sbtIncluir, &mnuIncluir},     {&sbtAlterar, &mnuAlterar},     {&sbtExcluir, &mnuExcluir},
      {&sbtVerificar, &mnuVerificar}, {&sbtConfirmar, &mnuConfirmar}, {&sbtCancelar, &mnuCancelar},
      {&sbtProcurar, &mnuProcurar},   {&sbtImprimir, &mnuImprimir}};
  for (const auto& [btn, menu] : pairs)
    if (btn == &b) return menu;
  return nullptr;
}

bool TfrmPadraoGrid::GridKeyDown(int key, unsigned shift) {
  if ((shift & ssCtrl) == 0 || (key != kKeyHome && key != kKeyEnd)) return false;
  if (dtsPadrao == nullptr || !dtsPadrao->active()) return true;
  if (key == kKeyHome)
    dtsPadrao->first();
  else
    dtsPadrao->last();
  return true;
}

void TfrmPadraoGrid::enableAction(Control& b, bool enabled) {
  b.setEnabled(enabled);
  if (Control* menu = menuFor(b)) menu->setEnabled(enabled);
}

TfrmFiltroPadrao::TfrmFiltroPadrao(std::string name, std::string_view code, int help)
    : Form(std::move(name)),
      grbFiltroPadrao(add<Control>("grbFiltroPadrao")),
      sbtConfirma(button(*this, "sbtConfirma", "Confirma")),
      sbtCancel(button(*this, "sbtCancel", "Cancela")),
      sbtHelp(button(*this, "sbtHelp", "Ajuda")),
      screenCode(code),
      helpContext(help) {}

}  // namespace ped::hostlib
