#include "sql/write_gate.h"

#include <filesystem>
#include <map>

namespace ped::sql {

std::shared_ptr<WriteGate> WriteGate::of(const std::string& path) {
  static std::mutex registry;
  static std::map<std::string, std::weak_ptr<WriteGate>> gates;
  std::error_code ignored;
  const std::string key = std::filesystem::weakly_canonical(path, ignored).string();
  std::lock_guard lock(registry);
  std::erase_if(gates, [](const auto& g) { return g.second.expired(); });
  std::shared_ptr<WriteGate> gate = gates[key].lock();
  if (!gate) {
    gate = std::make_shared<WriteGate>();
    gates[key] = gate;
  }
  return gate;
}

bool WriteGate::enter(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  if (!held_ && waiting_.empty()) {
    held_ = true;
    return true;
  }
  const auto me = waiting_.emplace(waiting_.end());
  const bool turn = me->wait_for(lock, wait, [&] { return !held_ && waiting_.begin() == me; });
  const bool first = waiting_.begin() == me;
  waiting_.erase(me);
  if (turn) {
    held_ = true;
  } else if (first && !held_ && !waiting_.empty()) {
    waiting_.front().notify_one();  // the turn given up passes on
  }
  return turn;
}

void WriteGate::leave() {
  std::lock_guard lock(mutex_);
  held_ = false;
  if (!waiting_.empty()) waiting_.front().notify_one();
}

}  // namespace ped::sql
