#pragma once
// A proxy in front of an application server, for client tests that need the
// server to fail or to answer badly: it passes every call through, except
// the methods told otherwise, and notes the method of every call.
//
//   FaultProxy proxy(demoServer().port);
//   vantora.context().webPort = proxy.port();
//   proxy.fail("GetItem", "Pedido bloqueado.");      // a JSON-RPC error
//   proxy.rewrite("GetParam", [](std::string body) { ... return body; });
//   proxy.loseAnswer("SetLiquidaPed");               // committed, answer lost
//
// Thread-safe: the rules may change while calls run.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ped::testing {

class FaultProxy {
 public:
  // Listens on a free loopback port; calls go on to 127.0.0.1:upstreamPort.
  explicit FaultProxy(int upstreamPort);
  ~FaultProxy();
  FaultProxy(const FaultProxy&) = delete;
  FaultProxy& operator=(const FaultProxy&) = delete;

  int port() const;
  // Calls of `method` are answered with a server's error carrying `message`.
  void fail(const std::string& method, const std::string& message);
  // The server's answer to `method` (the whole response body) goes through
  // `rewrite` on its way back.
  void rewrite(const std::string& method, std::function<std::string(std::string)> rewrite);
  // Calls of `method` reach the server, which answers, and then the
  // connection is dropped before the answer gets back: an answer lost after
  // the server committed. Only the first `times` calls; later ones pass.
  void loseAnswer(const std::string& method, int times = 1);
  // Every call passes through again.
  void heal();
  // The methods called so far, in order.
  std::vector<std::string> calls() const;
  // The Idempotency-Key of every call of `method` so far, in order.
  std::vector<std::string> keysOf(const std::string& method) const;
  // The request body of every call of `method` so far, in order.
  std::vector<std::string> bodiesOf(const std::string& method) const;

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// `text` with every `from` replaced by `to`: a field renamed in an answer.
std::string replaced(std::string text, std::string_view from, std::string_view to);

}  // namespace ped::testing
