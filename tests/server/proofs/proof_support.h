#pragma once
// What the server's proofs share: the real ped00800-server as a child
// process (started, killed with SIGKILL, restarted), screens that speak
// JSON-RPC with a request key of their own choosing, and the demo data.
//
// The proofs are bounded for CI; their long versions take the environment
// variables PED_PROOF_ROUNDS (race rounds per screen), PED_PROOF_CRASHES
// (kills) and PED_PROOF_SCREENS (screens at once).

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "server/support/server_process.h"

namespace httplib {
class Client;
}

namespace ped::proofs {

// The environment variable `name` as a positive number, else `fallback`.
int setting(const char* name, int fallback);

// Fills `target` with the demo data (seed 1) of `orders` orders dated up to today.
void writeDemo(const std::string& target, int orders);

using server::testing::ServerProcess;

// One JSON-RPC answer as a screen reads it.
struct Answer {
  bool delivered = false;  // false: the connection failed before an answer came
  int code = 0;            // 0 for a result
  std::string message;     // the error's message
  std::string result;      // the result's JSON text
  std::string body;        // the whole answer
};

// A screen: one keep-alive connection and a session.
class Screen {
 public:
  explicit Screen(int port);
  ~Screen();
  // Logs in; false when refused or unreachable.
  bool login(const char* operatorCode, const char* password);
  // A call with `key` as its Idempotency-Key (none when empty).
  Answer call(const std::string& method, const std::string& paramsJson, const std::string& key = "");
  void reconnect(int port);
  const std::string& token() const { return token_; }

 private:
  std::unique_ptr<httplib::Client> http_;
  std::string token_;
  int id_ = 0;
};

// The rows of element `index` of a result that is an array of packets, each
// row as the texts of `fields` joined by '|'; empty for a null element.
std::vector<std::string> rowsOf(const std::string& resultJson, int index,
                                const std::vector<std::string>& fields);
// The same for a result that is one packet.
std::vector<std::string> rowsOfPacket(const std::string& packetJson, const std::vector<std::string>& fields);

}  // namespace ped::proofs
