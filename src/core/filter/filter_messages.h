#pragma once
// The filter dialog's message table (msgPadrao), in its stored order.

#include "hostlib/messages.h"

namespace ped::core {

const hostlib::TMessages& filtroLiquidaItemMessages();

}  // namespace ped::core
