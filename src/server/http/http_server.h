#pragma once
// The HTTP connector of the application server: serves a Dispatcher at one
// path with cpp-httplib.
//
//   POST <path>   Content-Type: application/json, optional
//                 "Authorization: Bearer <token>"; the body goes to the
//                 dispatcher. 200 with its answer (JSON-RPC errors
//                 included), 204 when it answers nothing (notifications).
//   GET /health   200 {"status":"ok"}
// Transport problems keep their HTTP codes: 404 unknown path, 405 wrong
// verb, 411 any Transfer-Encoding (bodies must state their length), 413 body
// over the limit, 415 not JSON.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>

#include "rpc/dispatcher.h"

namespace httplib {
class Server;
}

namespace ped::server {

struct HttpOptions {
  std::string host = "127.0.0.1";
  int port = 0;  // 0: any free port, see HttpServer::port()
  std::string path = "/Ped00800.rdmLiquidaItem";
  // Threads kept ready. Each open keep-alive connection holds one thread for
  // as long as it stays open (cpp-httplib's design), so this should exceed
  // the number of screens connected at once; past it, threads are added up
  // to maxThreads, and beyond that a new connection waits for a free one.
  std::size_t threads = 64;
  std::size_t maxThreads = 512;
  std::size_t maxBodyBytes = 16 * 1024 * 1024;
  // Requests served on one connection before the server closes it; large, so
  // a screen keeps its connection.
  std::size_t keepAliveMaxCount = 100000;
  // An idle connection is closed after this long, freeing its thread; the
  // client reconnects transparently on its next call. stop() may wait this
  // long for idle connections.
  std::chrono::seconds keepAliveTimeout{5};
  // Limits on reading one request and writing one response. A method's own
  // run time is bounded by the storage's time-outs, not here: a running
  // handler cannot be interrupted safely.
  std::chrono::seconds readTimeout{30};
  std::chrono::seconds writeTimeout{30};
};

class HttpServer {
 public:
  // `dispatcher` must outlive the server, with its methods registered.
  HttpServer(rpc::Dispatcher& dispatcher, HttpOptions options);
  // Stops the server if it runs.
  ~HttpServer();

  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds the address and serves on a background thread until stop().
  // Throws std::runtime_error with a Portuguese message when the address
  // cannot be bound. REQUIRES: not started before.
  void start();

  // The port listened on (the one picked, when the options said 0).
  // REQUIRES: start() returned.
  int port() const { return port_; }

  // Stops accepting connections, lets the calls under way finish and send
  // their answers, then returns. Idle keep-alive connections end at their
  // time-out, so this may take up to HttpOptions::keepAliveTimeout. Safe to
  // call more than once.
  void stop();

 private:
  void configure();

  rpc::Dispatcher& dispatcher_;
  const HttpOptions options_;
  std::unique_ptr<httplib::Server> server_;
  std::thread listener_;
  std::atomic<bool> listenerDone_{false};
  int port_ = 0;
  int listenSocket_ = -1;  // owned by server_
};

}  // namespace ped::server
