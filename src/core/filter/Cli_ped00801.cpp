// The filter dialog's module globals, its opening and the unit's
// initialisation and finalisation.

#include "core/filter/Cli_ped00801.h"

#include <algorithm>
#include <memory>

#include "domain/list_text.h"

namespace ped::core {

TfrmFiltroLiquidaItem* frmFiltroLiquidaItem = nullptr;
bool boPrimVez = false;
std::string stNrPedido;
std::string stVendedor;
std::string stCliente;
std::string stProduto;

namespace {
int unitNesting = 0;
std::unique_ptr<TfrmFiltroLiquidaItem> dialogOwner;
}  // namespace

void CriaFiltroLiquidaItem() {
  const ScreenEnvironment& env = screenEnvironment();
  {
    WaitCursor hourglass(*env.toolkit);
    if (!dialogOwner) {
      dialogOwner = std::make_unique<TfrmFiltroLiquidaItem>(env);
      frmFiltroLiquidaItem = dialogOwner.get();
    }
  }
  env.toolkit->runModal(*frmFiltroLiquidaItem);
}

const engine::Clock& TfrmFiltroLiquidaItem::clock() const { return clockOf(env_); }

int ContaChecked(std::string_view listText) {
  return static_cast<int>(std::count(listText.begin(), listText.end(), domain::kListSeparator)) + 1;
}

void InitializeCli_ped00801() {
  if (unitNesting++ > 0) return;
  boPrimVez = false;
  for (std::string* s : {&stNrPedido, &stVendedor, &stCliente, &stProduto}) s->clear();
}

void FinalizeCli_ped00801() {
  if (unitNesting == 0 || --unitNesting > 0) return;
  // The dialog is the module's code: it cannot outlive the module.
  dialogOwner.reset();
  frmFiltroLiquidaItem = nullptr;
  for (std::string* s : {&stNrPedido, &stVendedor, &stCliente, &stProduto}) std::string().swap(*s);
}

}  // namespace ped::core
