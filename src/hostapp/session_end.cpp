#include "hostapp/session_end.h"

#include <iostream>

namespace ped::hostapp {

SessionEnd::~SessionEnd() {
  try {
    const hostlib::RemoteResult result = server_.Logout();
    if (!result.ok) std::cerr << "ped-host: a sessão não foi encerrada no servidor: " << result.error << '\n';
  } catch (...) {
    // Closing goes on; the session expires on the server by itself.
  }
}

}  // namespace ped::hostapp
