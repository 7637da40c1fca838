#pragma once
// A bound on the statements one borrowed connection runs, for the pages an
// operator's monitoring asks for (/ready, /metrics): a stalled database must
// not hold them for the statement time-out of the calls (30 s).
//
//   StatementBound bound(*db, 2s);
//   ... statements ...
//   if (bound.fired()) db.markBroken();  // cancelled for good: drop it

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "sql/connection.h"

namespace ped::server {

class StatementBound {
 public:
  // Interrupts `db` once `bound` has passed, unless destroyed before. `db`
  // must outlive this object. After firing, `db` refuses every statement
  // (SqlError(Cancelled)): whoever fired it must not return it to the pool.
  StatementBound(sql::Connection& db, std::chrono::milliseconds bound);
  ~StatementBound();
  StatementBound(const StatementBound&) = delete;
  StatementBound& operator=(const StatementBound&) = delete;

  bool fired();

 private:
  std::mutex mutex_;
  std::condition_variable ended_;
  bool done_ = false;
  bool fired_ = false;
  std::thread watcher_;  // last: starts once the rest is there
};

}  // namespace ped::server
