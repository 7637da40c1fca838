#pragma once
// What the host lends every screen it opens: its context (operator, branch,
// server address) and the services drawn by its toolkit. The host owns all
// of them and keeps them alive while any screen module is loaded.

#include "hostlib/busy.h"
#include "hostlib/database.h"
#include "hostlib/dialogs.h"
#include "hostlib/options_store.h"
#include "hostlib/searches.h"
#include "hostlib/vantora.h"

namespace ped::hostlib {

struct HostServices {
  Vantora* vantora = nullptr;
  Dialogs* dialogs = nullptr;
  BusyIndicator* busy = nullptr;
  Searches* searches = nullptr;
  Database* database = nullptr;  // the shared look-up database (dtmDBGeral)
  const OptionsStore* options = nullptr;
};

}  // namespace ped::hostlib
