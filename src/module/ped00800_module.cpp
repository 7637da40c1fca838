// The "Liquidação Manual" screen module. The host calls Initialize once
// after loading it, IniProc whenever the operator opens the screen, and
// Finalize once before unloading it; CriaLiquidaItem, CriaFiltroLiquidaItem
// and ContaChecked are exported for other modules. No exception leaves an
// entry point: a failure is shown to the operator, or written to stderr when
// there is no host to show it.

#include <cstdio>
#include <exception>
#include <memory>

#include "core/filter/Cli_ped00801.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/Pkg_ped00800.h"
#include "hostlib_qt/screen_host.h"
#include "views/qt_toolkit.h"

#define PED_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Loaded {
  std::unique_ptr<ped::views::QtToolkit> toolkit;
  ped::core::ScreenEnvironment environment;
};
std::unique_ptr<Loaded> loaded;
int initializations = 0;

template <class F>
void guarded(const char* entry, F&& body) {
  try {
    body();
  } catch (const std::exception& e) {
    if (loaded && loaded->environment.host.dialogs) {
      try {
        loaded->environment.host.dialogs->showError(std::string("Erro na tela PED00800: ") + e.what());
        return;
      } catch (...) {
      }
    }
    std::fprintf(stderr, "ped00800: %s: %s\n", entry, e.what());
  } catch (...) {
    std::fprintf(stderr, "ped00800: %s: falha desconhecida\n", entry);
  }
}

bool ready() {
  if (loaded) return true;
  std::fprintf(stderr, "ped00800: o módulo não foi inicializado por um hospedeiro compatível.\n");
  return false;
}

}  // namespace

PED_EXPORT void Initialize() {
  guarded("Initialize", [] {
    if (initializations++ > 0) return;
    ped::hostlib_qt::ScreenHost* host = ped::hostlib_qt::findScreenHost();
    if (host == nullptr) {
      std::fprintf(stderr, "ped00800: o executável não oferece os serviços de hospedeiro (%s, versão %d).\n",
                   ped::hostlib_qt::kScreenHostSymbol, ped::hostlib_qt::kScreenHostVersion);
      return;
    }
    loaded = std::make_unique<Loaded>();
    loaded->toolkit = std::make_unique<ped::views::QtToolkit>(host->services, host->workspace);
    loaded->environment = {.host = host->services, .toolkit = loaded->toolkit.get()};
    ped::core::setScreenEnvironment(&loaded->environment);
    ped::core::Initialize();
  });
}

PED_EXPORT void Finalize() {
  guarded("Finalize", [] {
    if (initializations == 0 || --initializations > 0 || !loaded) return;
    ped::core::Finalize();
    ped::core::setScreenEnvironment(nullptr);
    loaded.reset();
  });
}

// Initialize ran but found no host it can serve: the host unloads us.
PED_EXPORT int PedModuleReady() { return loaded ? 1 : 0; }

PED_EXPORT void IniProc() {
  guarded("IniProc", [] {
    if (ready()) ped::core::IniProc();
  });
}

PED_EXPORT void CriaLiquidaItem() {
  guarded("CriaLiquidaItem", [] {
    if (ready()) ped::core::CriaLiquidaItem();
  });
}

PED_EXPORT void CriaFiltroLiquidaItem() {
  guarded("CriaFiltroLiquidaItem", [] {
    if (ready()) ped::core::CriaFiltroLiquidaItem();
  });
}

PED_EXPORT int ContaChecked(const char* listText) {
  return ped::core::ContaChecked(listText ? listText : "");
}
