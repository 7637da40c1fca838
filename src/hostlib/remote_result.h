#pragma once
// What a call to the application server gave back, as the server client hands
// it to the screen: either a payload - one packet, an array of packets, or
// nothing - or the Portuguese message of a failure (reported by the server,
// or by the transport: server down, time-out, malformed answer).

#include <optional>
#include <string>
#include <vector>

#include "hostlib/dialogs.h"

namespace ped::hostlib {

struct RemoteResult {
  bool ok = true;
  std::string error;   // when !ok
  bool array = false;  // the payload was an array of packets
  // The packets (JSON), element i of an array at [i]; a null element or a
  // null payload is nullopt.
  std::vector<std::optional<std::string>> packets;

  static RemoteResult failure(std::string message) { return {false, std::move(message), false, {}}; }
  static RemoteResult packet(std::string json) { return {true, {}, false, {std::move(json)}}; }
  static RemoteResult none() { return {true, {}, false, {std::nullopt}}; }
  static RemoteResult packetArray(std::vector<std::optional<std::string>> items) {
    return {true, {}, true, std::move(items)};
  }

  // Element `i` of the payload; nullopt when null or past the end.
  const std::optional<std::string>& at(std::size_t i) const;
};

namespace consiste {
// The payload of a successful result. A failure is shown as an error box
// and then, with `raise`, aborts (Abort); without it an empty result comes
// back. The third argument is the host's and changes nothing here.
const RemoteResult& CheckResultServ(Dialogs& dialogs, const RemoteResult& result, bool raise, int unused = 0);
}  // namespace consiste

}  // namespace ped::hostlib
