#pragma once
// The main screen's message table, in its stored order.

#include "hostlib/messages.h"

namespace ped::core {

const hostlib::TMessages& liquidaItemMessages();

}  // namespace ped::core
