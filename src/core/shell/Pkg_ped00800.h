#pragma once
// The module's glue: what its C entry points do.

namespace ped::core {

// Module load: every unit's initialisation, in order.
void Initialize();
// Module unload: every unit's finalisation, in reverse order.
void Finalize();
// Opens the screen.
void IniProc();

}  // namespace ped::core
