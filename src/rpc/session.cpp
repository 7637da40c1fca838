#include "rpc/session.h"

namespace ped::rpc {

void InMemorySessions::add(Session session) {
  std::lock_guard lock(mutex_);
  std::string token = session.token;
  byToken_.insert_or_assign(std::move(token), std::move(session));
}

void InMemorySessions::remove(std::string_view token) {
  std::lock_guard lock(mutex_);
  if (auto it = byToken_.find(token); it != byToken_.end()) byToken_.erase(it);
}

std::optional<Session> InMemorySessions::resolve(std::string_view token) {
  std::lock_guard lock(mutex_);
  auto it = byToken_.find(token);
  if (it == byToken_.end()) return std::nullopt;
  return it->second;
}

}  // namespace ped::rpc
