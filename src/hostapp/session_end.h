#pragma once
// Ends the operator's session on the application server when the host
// closes, so the token dies with the host instead of living on until it
// expires. Bounded: a dead or silent server holds the closing host about
// two seconds at most, and a failure is only written to standard error.

#include "netclient/net_connection.h"

namespace ped::hostapp {

class SessionEnd {
 public:
  // `server` holds the session's token and must outlive this object.
  explicit SessionEnd(netclient::TNetConnection& server) : server_(server) {}
  // Calls Logout. Never throws.
  ~SessionEnd();
  SessionEnd(const SessionEnd&) = delete;
  SessionEnd& operator=(const SessionEnd&) = delete;

 private:
  netclient::TNetConnection& server_;
};

}  // namespace ped::hostapp
