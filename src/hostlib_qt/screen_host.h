#pragma once
// How a screen module finds the Qt host that loaded it. The module's entry
// points take no arguments, so the host executable exports one C function,
// kScreenHostSymbol, returning its ScreenHost; a module looks it up in the
// running process (findScreenHost). The structure is versioned: a module
// refuses a host whose version it does not know.
//
// Module entry points (extern "C", no arguments, no result), all required:
//   Initialize  once after the module is loaded, before anything else
//   IniProc     each time the operator opens the module's screen
//   Finalize    once before the module is unloaded; no other call follows
// Optional:
//   int kModuleReadySymbol()  asked right after Initialize: 0 when the module
//               could not start (no compatible host, say); the host then runs
//               its Finalize, unloads it and tells the operator.
// A module may export more for other modules (PED00800: CriaLiquidaItem,
// CriaFiltroLiquidaItem, ContaChecked); the host itself calls none of them.
// The host loads the module of screen code XYZ from <modules dir>/xyz.so.

#include "hostlib/host_services.h"

class QMdiArea;

namespace ped::hostlib_qt {

inline constexpr char kScreenHostSymbol[] = "PedScreenHost";
inline constexpr int kScreenHostVersion = 1;
inline constexpr char kModuleReadySymbol[] = "PedModuleReady";

struct ScreenHost {
  int version = kScreenHostVersion;
  hostlib::HostServices services;
  QMdiArea* workspace = nullptr;  // screens open here as child windows
};

using ScreenHostEntry = ScreenHost* (*)();

// The ScreenHost of the running executable, or null when it exports none or
// one of another version.
ScreenHost* findScreenHost();

}  // namespace ped::hostlib_qt
