#pragma once
// The server's log line for one call: a JSON object on one line, e.g.
//   {"method":"GetItem","operator":"0042","peer":"127.0.0.1","us":312,"outcome":"ok"}
//   {"method":"GetItem","operator":"0042","peer":"127.0.0.1","us":95,"outcome":"error","code":-32602}
// Internal errors add "detail" (the exception's text). Parameters are never
// logged.

#include <string>

#include "rpc/dispatcher.h"

namespace ped::rpc {

// Texts that are not valid UTF-8 are written as "?" so a line is always JSON.
std::string callLogLine(const CallRecord& record);

}  // namespace ped::rpc
