#pragma once
// Whether a host names this machine's loopback interface, the one place a
// session token may travel without TLS: the server listening, or the screen
// connecting, anywhere else must use HTTPS unless told otherwise.

#include <string_view>

namespace ped::rpc {

// True for "localhost", IPv4 127.0.0.0/8, "::1" and IPv4-mapped loopback
// ("::ffff:127.0.0.1"), with or without IPv6 brackets. A name is never
// resolved: any other name is taken as reaching the network.
bool isLoopbackAddress(std::string_view host);

}  // namespace ped::rpc
