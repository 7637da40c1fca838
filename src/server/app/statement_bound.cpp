#include "server/app/statement_bound.h"

namespace ped::server {

StatementBound::StatementBound(sql::Connection& db, std::chrono::milliseconds bound)
    : watcher_([this, &db, bound] {
        std::unique_lock lock(mutex_);
        if (!ended_.wait_for(lock, bound, [this] { return done_; })) {
          fired_ = true;
          db.interrupt();
        }
      }) {}

StatementBound::~StatementBound() {
  {
    std::lock_guard lock(mutex_);
    done_ = true;
  }
  ended_.notify_one();
  watcher_.join();
}

bool StatementBound::fired() {
  std::lock_guard lock(mutex_);
  return fired_;
}

}  // namespace ped::server
