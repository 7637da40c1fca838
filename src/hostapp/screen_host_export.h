#pragma once
// The ScreenHost this executable lends its modules, through the C function
// they look up in the running process (hostlib_qt/screen_host.h). The
// executable must export that symbol: link with
// "LINKER:--export-dynamic-symbol=PedScreenHost".

#include "hostlib_qt/screen_host.h"

namespace ped::hostapp {

// What PedScreenHost returns from now on; null withdraws it.
void publishScreenHost(hostlib_qt::ScreenHost* host) noexcept;

}  // namespace ped::hostapp

extern "C" ped::hostlib_qt::ScreenHost* PedScreenHost() noexcept;
