#pragma once
// Database connections shared by the server's threads: a call borrows one
// for its duration and gives it back. Connections are opened on demand up
// to `maxConnections`; a borrower waits when all are out. A connection that
// failed (lost server) is dropped rather than returned.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "sql/connection.h"

namespace ped::server {

class ConnectionPool {
 public:
  ConnectionPool(std::string target, std::size_t maxConnections, sql::OpenOptions options = {});

  class Lease {
   public:
    Lease(ConnectionPool& pool, std::unique_ptr<sql::Connection> c) : pool_(&pool), c_(std::move(c)) {}
    Lease(Lease&& o) noexcept : pool_(o.pool_), c_(std::move(o.c_)), broken_(o.broken_) {}
    Lease& operator=(Lease&&) = delete;
    ~Lease() {
      if (c_) pool_->giveBack(std::move(c_), broken_);
    }
    sql::Connection& operator*() const { return *c_; }
    sql::Connection* operator->() const { return c_.get(); }
    // The connection is not to be reused (it failed on the way).
    void markBroken() { broken_ = true; }

   private:
    ConnectionPool* pool_;
    std::unique_ptr<sql::Connection> c_;
    bool broken_ = false;
  };

  // Throws sql::SqlError(Connection) when a new connection cannot be opened,
  // SqlError(Busy) after `wait` with every connection out, and
  // SqlError(Cancelled) once interruptAll() was called.
  Lease borrow(std::chrono::milliseconds wait = std::chrono::seconds(10));

  // For a server that stops: cancels the statements running on every lent
  // connection and every later one (they throw SqlError(Cancelled), so their
  // transactions roll back), and refuses further borrowing. Thread-safe.
  void interruptAll();

  struct Usage {
    std::size_t inUse = 0;  // lent to calls now
    std::size_t open = 0;   // lent or idle
    std::size_t max = 0;
  };
  // For the metrics page. Thread-safe.
  Usage usage();

 private:
  void giveBack(std::unique_ptr<sql::Connection> c, bool broken);

  const std::string target_;
  const std::size_t max_;
  const sql::OpenOptions options_;
  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<std::unique_ptr<sql::Connection>> idle_;
  std::set<sql::Connection*> lent_;
  std::size_t open_ = 0;
  bool interrupted_ = false;
};

}  // namespace ped::server
