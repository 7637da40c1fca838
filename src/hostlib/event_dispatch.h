#pragma once
// How the toolkit's event loop runs a handler of a screen.

#include <functional>

#include "hostlib/dialogs.h"

namespace ped::hostlib {

// Runs one event handler. An Abort ends it silently (its message was shown
// before it was thrown); any other failure is shown as an error box
// ("Erro inesperado: ..."), so no fault ever escapes into the toolkit or the
// host. Returns whether the handler ran to its end.
bool runEvent(Dialogs& dialogs, const std::function<void()>& handler);

}  // namespace ped::hostlib
