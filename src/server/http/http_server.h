#pragma once
// The HTTP connector of the application server: serves a Dispatcher at one
// path. Connections wait in a ConnectionReactor, without a thread each, until
// a request has arrived whole; cpp-httplib then parses, routes and answers
// it on a worker thread.
//
//   POST <path>   Content-Type: application/json, optional
//                 "Authorization: Bearer <token>"; the body goes to the
//                 dispatcher. 200 with its answer (JSON-RPC errors
//                 included), 204 when it answers nothing (notifications).
//   GET /health   200 {"status":"ok"}
//   GET <page>    any page added with addPage (the server's /metrics, /ready)
// Over HTTPS when given a certificate and key: the same, encrypted.
// Transport problems keep their HTTP codes: 404 unknown path, 405 wrong
// verb, 411 any Transfer-Encoding (bodies must state their length), 413 body
// over the limit, 415 not JSON.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "rpc/dispatcher.h"
#include "server/http/connection_reactor.h"
#include "server/http/memory_return.h"
#include "server/http/tls_context.h"

namespace ped::server {

struct HttpOptions {
  std::string host = "127.0.0.1";
  int port = 0;  // 0: any free port, see HttpServer::port()
  std::string path = "/Ped00800.rdmLiquidaItem";
  // Threads that serve requests: `threads` kept ready, more added while all
  // are busy, up to maxThreads. A thread is held only while a whole request
  // is served, never while a connection idles or a request arrives.
  std::size_t threads = 64;
  std::size_t maxThreads = 512;
  std::size_t maxBodyBytes = 16 * 1024 * 1024;
  // Open connections in all, and from one peer address. When all are taken
  // the one idle longest is closed to make room.
  std::size_t maxConnections = 10000;
  std::size_t maxConnectionsPerPeer = 256;
  // Requests served on one connection before the server closes it; large, so
  // a screen keeps its connection.
  std::size_t keepAliveMaxCount = 100000;
  // A connection without a request under way is closed after this long; the
  // client reconnects transparently on its next call.
  std::chrono::milliseconds keepAliveTimeout{5000};
  // From the first byte of a request to its last, however slowly it comes.
  std::chrono::milliseconds requestTimeout{10000};
  // For writing one whole answer.
  std::chrono::milliseconds writeTimeout{30000};
  // PEM files: HTTPS on every connection when given, plain HTTP when both
  // are empty. REQUIRES: both or neither.
  std::string tlsCertFile;
  std::string tlsKeyFile;
};

class HttpServer {
 public:
  // `dispatcher` must outlive the server, with its methods registered.
  HttpServer(rpc::Dispatcher& dispatcher, HttpOptions options);
  // Stops the server if it runs.
  ~HttpServer();

  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // What a page answers to GET.
  struct PageAnswer {
    int status = 200;
    std::string contentType;
    std::string body;
  };
  // Serves `page` at GET `path`, on a worker thread per request, the page
  // built afresh each time. REQUIRES: before start().
  void addPage(std::string path, std::function<PageAnswer()> page);

  // Loads the TLS files, if any, binds the address and serves on background
  // threads until stop(). Throws std::runtime_error with a Portuguese
  // message when a TLS file is unreadable or invalid (naming it) or the
  // address cannot be bound. REQUIRES: not started before.
  void start();

  // The port listened on (the one picked, when the options said 0).
  // REQUIRES: start() returned.
  int port() const { return port_; }

  // Stops accepting connections and closes the idle ones at once, lets the
  // calls under way finish and send their answers (with "Connection:
  // close"), then returns. Safe to call more than once.
  void stop();

  // Open connections now; for tests and diagnostics.
  std::size_t openConnections() const;

 private:
  class Router;
  void configure();
  bool serve(Connection& connection);

  rpc::Dispatcher& dispatcher_;
  const HttpOptions options_;
  std::vector<std::pair<std::string, std::function<PageAnswer()>>> pages_;
  std::unique_ptr<TlsContext> tls_;
  std::unique_ptr<Router> router_;
  std::unique_ptr<MemoryReturn> memoryReturn_;
  std::unique_ptr<ElasticThreadPool> workers_;
  std::unique_ptr<ConnectionReactor> reactor_;
  std::thread reactorThread_;
  int port_ = 0;
};

}  // namespace ped::server
