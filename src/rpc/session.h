#pragma once
// Sessions as the dispatcher sees them, and the seam through which it turns a
// bearer token into one. The server implements SessionResolver over its
// storage; InMemorySessions serves tests and tools.

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace ped::rpc {

struct Session {
  std::string id;
  std::string operatorCode;  // the logged-in operator; calls act on his behalf
  std::string token;
};

class SessionResolver {
 public:
  virtual ~SessionResolver() = default;
  // The live session the token belongs to, or nullopt when the token is
  // unknown or expired. Called concurrently from many server threads: must be
  // thread-safe. An exception is reported to the caller as an internal error.
  virtual std::optional<Session> resolve(std::string_view token) = 0;
};

// Thread-safe map from token to session.
class InMemorySessions final : public SessionResolver {
 public:
  // Adds or replaces the session under its token.
  void add(Session session);
  // Forgets the session of `token`; unknown tokens are ignored.
  void remove(std::string_view token);
  std::optional<Session> resolve(std::string_view token) override;

 private:
  std::mutex mutex_;
  std::map<std::string, Session, std::less<>> byToken_;
};

}  // namespace ped::rpc
