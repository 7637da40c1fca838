#pragma once
// Writers of one SQLite file, in this process, take turns in the order they
// came, each waiting a bounded time. SQLite lets one writer in at a time and
// makes the others poll with growing sleeps, so under many writers the lock
// sits free while they sleep, and an unlucky one gives up after its busy
// time-out. Here the next writer is woken the moment the last one ends.

#include <chrono>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <string>

namespace ped::sql {

class WriteGate {
 public:
  // The gate of the database file at `path`, shared by every connection of
  // this process to that file.
  static std::shared_ptr<WriteGate> of(const std::string& path);

  // Waits for the turn, at most `wait`; false when it did not come.
  bool enter(std::chrono::milliseconds wait);
  // REQUIRES: entered.
  void leave();

 private:
  std::mutex mutex_;
  bool held_ = false;
  std::list<std::condition_variable> waiting_;  // first in, first served
};

}  // namespace ped::sql
