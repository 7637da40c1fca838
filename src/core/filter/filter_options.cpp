// The saved options: the four picked lists under the operator's options of
// this dialog, beside whatever the base dialog keeps there.

#include <stdexcept>

#include "core/filter/Cli_ped00801.h"
#include "hostlib/consiste.h"

namespace ped::core {
namespace {

struct ListEntry {
  const char* name;
  std::string* list;
};

// In the order the entries are written and read.
const ListEntry kEntries[] = {{"stNrPedido", &stNrPedido},
                              {"stCliente", &stCliente},
                              {"stProduto", &stProduto},
                              {"stVendedor", &stVendedor}};

}  // namespace

void TfrmFiltroLiquidaItem::btfSaveOpcClick() {
  for (const ListEntry& e : kEntries) {
    if (e.list->empty())
      options.remove(e.name);
    else
      options.set(e.name, *e.list);
  }
  if (env_.host.options == nullptr)
    hostlib::consiste::MensErro(dialogs, "Não foi possível salvar as opções: o sistema não as guarda.", true);
  try {
    SaveOptions(*env_.host.options, env_.host.vantora->Operador());
  } catch (const std::runtime_error& e) {
    hostlib::consiste::MensErro(dialogs, e.what(), true);
  }
}

void TfrmFiltroLiquidaItem::btfLoadOpcClick() {
  if (env_.host.options == nullptr)
    hostlib::consiste::MensErro(dialogs, "Não foi possível carregar as opções: o sistema não as guarda.",
                                true);
  LoadOptions(*env_.host.options, env_.host.vantora->Operador());
  for (const ListEntry& e : kEntries) *e.list = options.get(e.name).value_or(std::string());
}

}  // namespace ped::core
