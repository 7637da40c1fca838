#pragma once
// Holds the server's connections without a thread each. One thread waits on
// all of them (epoll), reads each request whole into memory within a
// deadline, and only then hands the connection to a worker thread, which
// serves the request and gives the connection back. A slow or stalled
// sender therefore costs a socket and a buffer, never a thread, and is cut
// off at its deadline. Connections are capped per peer address and in all;
// when all are taken, the one idle longest is closed to make room.
// With a TLS context the same holds for the handshake: it is carried out
// here, step by step as the peer's bytes come, within the request deadline.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/http/elastic_thread_pool.h"
#include "server/http/tls_session.h"

namespace ped::server {

struct ReactorOptions {
  std::size_t maxConnections = 10000;
  std::size_t maxConnectionsPerPeer = 256;
  std::size_t maxHeadBytes = 64 * 1024;
  std::size_t maxBodyBytes = 16 * 1024 * 1024;  // a longer announced body is not read
  // From a request's first byte to its last.
  std::chrono::milliseconds requestTimeout{10000};
  // A connection with no request under way is closed after this long.
  std::chrono::milliseconds idleTimeout{5000};
  // After an answer the serving thread waits this long for the connection's
  // next request before handing it back to the reactor.
  std::chrono::milliseconds linger{20};
  // Serves TLS on every connection when set; must outlive the reactor.
  ssl_ctx_st* tls = nullptr;
};

// A connection as its worker sees it while serving one request.
struct Connection {
  enum class State : int { Reading, Busy, Closing };
  int fd = -1;
  std::string peerAddress;
  int peerPort = 0;
  std::string buffer;               // bytes read and not yet served
  std::size_t requestBytes = 0;     // the first bytes of `buffer` are the request to serve
  bool bodyUnread = false;          // the request's body was not read: close after answering
  std::size_t served = 0;           // requests answered on it so far
  std::unique_ptr<TlsSession> tls;  // null on a plain HTTP connection

  // The reactor's own bookkeeping.
  std::atomic<State> state{State::Reading};
  std::size_t scanned = 0;
  std::chrono::steady_clock::time_point deadline;
  std::chrono::steady_clock::time_point since;  // last change of state
};

class ConnectionReactor {
 public:
  // Serves the request in connection.buffer[0, requestBytes) on a worker
  // thread; returns false when the connection is to be closed afterwards.
  using Serve = std::function<bool(Connection&)>;

  // Takes `listenFd` (bound and listening) and closes it when stopping.
  // `workers` and `serve` must outlive the reactor.
  ConnectionReactor(int listenFd, ReactorOptions options, ElasticThreadPool& workers, Serve serve);
  ~ConnectionReactor();

  // Runs until stop(): call on the reactor's own thread.
  void run();
  // Stops accepting at once, closes the connections that are not being
  // served, and makes run() return once the requests under way are
  // answered. Thread-safe; returns at once.
  void stop();
  bool stopping() const { return stopping_; }

  // Connections open now; for tests and diagnostics.
  std::size_t openConnections() const { return open_; }

 private:
  void accept();
  void admit(int fd, std::string address, int port);
  void onEvent(Connection* c);
  void readFrom(Connection* c);
  void shakeHands(Connection* c);
  void dispatch(Connection* c);
  void serveOn(Connection* c);                            // on a worker
  void handBack(Connection* c, Connection::State state);  // on a worker
  enum class Verdict {
    Partial,  // more is to come
    Whole,    // a whole request is in the buffer
    Refused,  // refused (head too large): to be closed
    Lost,     // the peer closed or the connection failed
  };
  Verdict readSome(Connection* c);  // reads what is there
  Verdict measure(Connection* c);
  Verdict awaitNext(Connection* c);  // on a worker, after an answer
  void sweep();
  bool evictIdlest();
  void close(Connection* c);
  void closeAllNotBusy();

  int listenFd_;
  const ReactorOptions options_;
  ElasticThreadPool& workers_;
  const Serve serve_;
  int epoll_ = -1;
  int wake_ = -1;  // eventfd: stop() and finished requests during a stop
  std::atomic<bool> stopping_{false};
  bool listenPaused_ = false;  // out of descriptors: not accepting until the next sweep
  std::atomic<std::size_t> busy_{0};
  std::atomic<std::size_t> open_{0};
  std::unordered_map<Connection*, std::unique_ptr<Connection>> connections_;
  std::unordered_map<std::string, std::size_t> perPeer_;
};

// Raises this process's limit of open files to its hard limit, so
// connections are bounded by the reactor's caps, not by the default 1,024.
void raiseOpenFileLimit();

}  // namespace ped::server
