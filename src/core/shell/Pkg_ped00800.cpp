#include "core/shell/Pkg_ped00800.h"

#include "core/filter/Cli_ped00801.h"
#include "core/shell/Cli_ped00800.h"

namespace ped::core {

void Initialize() {
  InitializeCli_ped00800();
  InitializeCli_ped00801();
}

void Finalize() {
  FinalizeCli_ped00801();
  FinalizeCli_ped00800();
}

void IniProc() { CriaLiquidaItem(); }

}  // namespace ped::core
