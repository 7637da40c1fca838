#include "server/app/connection_pool.h"

#include "engine/scope_exit.h"

namespace ped::server {

ConnectionPool::ConnectionPool(std::string target, std::size_t maxConnections, sql::OpenOptions options)
    : target_(std::move(target)), max_(maxConnections == 0 ? 1 : maxConnections), options_(options) {}

ConnectionPool::Lease ConnectionPool::borrow(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  if (!returned_.wait_for(lock, wait, [&] { return interrupted_ || !idle_.empty() || open_ < max_; }))
    throw sql::SqlError(sql::SqlError::Kind::Busy, "Todas as conexões com o banco de dados estão ocupadas.");
  if (interrupted_) sql::throwCancelled();
  if (!idle_.empty()) {
    auto c = std::move(idle_.back());
    idle_.pop_back();
    lent_.insert(c.get());
    return Lease(*this, std::move(c));
  }
  ++open_;
  lock.unlock();
  // A connection that could not be opened gives its place back.
  engine::OnFailure giveBack{[&] {
    if (!lock.owns_lock()) lock.lock();
    --open_;
    returned_.notify_one();
  }};
  auto c = sql::open(target_, options_);
  lock.lock();
  lent_.insert(c.get());
  if (interrupted_) c->interrupt();
  return Lease(*this, std::move(c));
}

void ConnectionPool::interruptAll() {
  {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    for (sql::Connection* c : lent_) c->interrupt();
  }
  returned_.notify_all();
}

ConnectionPool::Usage ConnectionPool::usage() {
  std::lock_guard lock(mutex_);
  return {lent_.size(), open_, max_};
}

void ConnectionPool::giveBack(std::unique_ptr<sql::Connection> c, bool broken) {
  {
    std::lock_guard lock(mutex_);
    lent_.erase(c.get());
    if (broken || interrupted_) {
      --open_;
    } else {
      c->rollback();  // a call never leaves a transaction open for the next
      idle_.push_back(std::move(c));
    }
  }
  returned_.notify_one();
}

}  // namespace ped::server
