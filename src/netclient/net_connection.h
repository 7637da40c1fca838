#pragma once
// The screen's connection to the application server: one persistent
// keep-alive HTTP or HTTPS connection carrying JSON-RPC calls by method name.
// Over HTTPS the process ignores SIGPIPE from then on (see Open).
//
// Usage, as the screen does it:
//   TNetConnection net;
//   net.OnBeforeConnect = [&](TNetConnection& c) { c.Host = ...; c.Port = ...; };
//   net.Open();
//   net.Login("0042", "secret");                 // keeps the session token
//   RemoteResult r = net.call("GetItem", {"01", "0000000012"});
//
// Nothing here throws or hangs on a network problem: every failure - server
// down, time-out, connection dropped, malformed answer, a method's own
// failure - comes back as RemoteResult::failure with a Portuguese message.
//
// Not thread-safe: one connection belongs to one thread (the screen's).

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hostlib/remote_result.h"
#include "netclient/arg.h"

namespace httplib {
class Client;
}

namespace ped::netclient {

class TNetConnection {
 public:
  TNetConnection();
  ~TNetConnection();
  TNetConnection(const TNetConnection&) = delete;
  TNetConnection& operator=(const TNetConnection&) = delete;

  // The server's address, read at every opening (after OnBeforeConnect).
  std::string Host = "127.0.0.1";
  int Port = 0;
  // HTTPS: the server's certificate is verified against CaFile (PEM), or the
  // system's store when it is empty, and must name Host.
  bool UseTls = false;
  std::string CaFile;
  // Plain HTTP to a Host that is not loopback carries neither a log-in nor
  // the session token unless this is set: they would cross the network in
  // clear.
  bool InsecurePlainHttp = false;
  // Runs before every opening; the place to set Host, Port and the above.
  std::function<void(TNetConnection&)> OnBeforeConnect;

  // Prepares the connection to Host:Port. The TCP connection itself is made
  // by the first call, and remade by a later one if the server closed it, so
  // an unreachable server shows up as that call's failure, never here.
  void Open();
  // Drops the connection; the session token is kept.
  void Close();
  bool Connected() const { return client_ != nullptr; }

  // Time-outs for the next opening (and the open connection, if any).
  void setConnectTimeout(std::chrono::milliseconds t);
  void setReadTimeout(std::chrono::milliseconds t);
  void setWriteTimeout(std::chrono::milliseconds t);

  // The session token sent as "Authorization: Bearer"; empty sends none.
  void setToken(std::string token) { token_ = std::move(token); }
  const std::string& token() const { return token_; }

  // Calls Login(operator, password); on success keeps the "token" member of
  // its result for every later call. A result without a token is a failure.
  hostlib::RemoteResult Login(std::string_view operatorCode, std::string_view password);

  // Calls Logout with the kept token, ending the session on the server, and
  // forgets the token when it succeeds. Reaching the server and its answer
  // are each bounded by `bound`, so a dead server holds the caller about
  // twice that at most; the time-outs set before are restored afterwards.
  // Without a token there is nothing to end: ok, and nothing is sent.
  hostlib::RemoteResult Logout(std::chrono::milliseconds bound = std::chrono::milliseconds(1000));

  // Calls `method` with `args` in order. Opens the connection when it is
  // closed. After a transport failure the connection is dropped, so a late
  // answer can never be taken for the next call's.
  //
  // Each call is one operator action and carries a new request key
  // ("Idempotency-Key"), under which the server keeps a change's answer.
  // When the connection fails before the answer arrives (the server closed
  // it at the wrong instant, or restarted), the very same call is sent once
  // more with the same key, on a new connection: a change that was made
  // answers as the first time and is not made twice. A time-out is not
  // resent: the call may still be running.
  hostlib::RemoteResult call(std::string_view method, std::vector<Arg> args);

  // The key the last call carried (for tests and the log).
  const std::string& lastRequestKey() const { return lastKey_; }
  // The last call failed after its request had gone out (the connection
  // dropped, also on the resend, or no answer in time): the server may have
  // carried it out, and only a fresh read tells.
  bool lastCallMayHaveRun() const { return lastMayHaveRun_; }

  // "host:port", as failure messages name the server.
  std::string address() const;

 private:
  void applyTimeouts();
  hostlib::RemoteResult transportFailure(int error, std::chrono::steady_clock::duration elapsed);
  hostlib::RemoteResult tlsFailure(int error, const std::string& where);
  bool exposesSession(std::string_view method) const;
  std::string newRequestKey();

  std::unique_ptr<httplib::Client> client_;
  std::string openedHost_;
  int openedPort_ = 0;
  bool openedTls_ = false;
  std::string openedCaFile_;
  std::string token_;
  std::int64_t nextId_ = 0;
  std::string lastKey_;
  bool lastMayHaveRun_ = false;
  std::uint64_t keySeed_[2] = {0, 0};
  std::uint64_t keyCount_ = 0;
  std::chrono::milliseconds connectTimeout_{5000};
  std::chrono::milliseconds readTimeout_{60000};
  std::chrono::milliseconds writeTimeout_{60000};
};

}  // namespace ped::netclient
