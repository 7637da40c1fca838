#include "support/fault_proxy.h"

#include <httplib.h>

#include <map>
#include <mutex>
#include <optional>
#include <regex>
#include <thread>

namespace ped::testing {

struct FaultProxy::State {
  int upstreamPort = 0;
  httplib::Server server;
  std::thread thread;
  int port = 0;
  mutable std::mutex mutex;
  std::map<std::string, std::string> failures;
  std::map<std::string, std::function<std::string(std::string)>> rewrites;
  std::vector<std::string> calls;
  std::map<std::string, int> answersToLose;
  std::map<std::string, std::vector<std::string>> keys, bodies;
};

namespace {

std::string firstMatch(const std::string& text, const std::regex& pattern) {
  std::smatch m;
  return std::regex_search(text, m, pattern) ? m[1].str() : std::string();
}

std::string jsonText(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

FaultProxy::FaultProxy(int upstreamPort) : s_(std::make_unique<State>()) {
  s_->upstreamPort = upstreamPort;
  s_->server.set_tcp_nodelay(true);
  s_->server.set_keep_alive_max_count(1000);
  s_->server.Post("/Ped00800.rdmLiquidaItem", [this](const httplib::Request& req, httplib::Response& res) {
    static const std::regex methodPattern(R"re("method"\s*:\s*"([^"]*)")re");
    static const std::regex idPattern(R"re("id"\s*:\s*(-?\d+)\s*\}\s*$)re");
    const std::string method = firstMatch(req.body, methodPattern);
    std::optional<std::string> failure;
    std::function<std::string(std::string)> rewrite;
    bool loseAnswer = false;
    {
      std::lock_guard lock(s_->mutex);
      s_->calls.push_back(method);
      s_->keys[method].push_back(req.get_header_value("Idempotency-Key"));
      s_->bodies[method].push_back(req.body);
      if (auto it = s_->answersToLose.find(method); it != s_->answersToLose.end() && it->second > 0) {
        loseAnswer = true;
        --it->second;
      }
      if (auto it = s_->failures.find(method); it != s_->failures.end()) failure = it->second;
      if (auto it = s_->rewrites.find(method); it != s_->rewrites.end()) rewrite = it->second;
    }
    if (failure) {
      res.set_content(R"({"jsonrpc":"2.0","error":{"code":-32000,"message":)" + jsonText(*failure) +
                          "},\"id\":" + firstMatch(req.body, idPattern) + "}",
                      "application/json");
      return;
    }
    httplib::Client upstream("127.0.0.1", s_->upstreamPort);
    upstream.set_tcp_nodelay(true);
    httplib::Headers headers;
    for (const char* name : {"Authorization", "Idempotency-Key"})
      if (req.has_header(name)) headers.emplace(name, req.get_header_value(name));
    auto answer = upstream.Post(req.path, headers, req.body, "application/json");
    if (!answer) {
      res.status = 502;
      return;
    }
    res.status = answer->status;
    if (loseAnswer) {
      // The headers go out, then the connection closes before the body.
      res.set_content_provider(answer->body.size(), "application/json",
                               [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
      return;
    }
    res.set_content(rewrite ? rewrite(answer->body) : answer->body, "application/json");
  });
  s_->port = s_->server.bind_to_any_port("127.0.0.1");
  s_->thread = std::thread([this] { s_->server.listen_after_bind(); });
}

FaultProxy::~FaultProxy() {
  s_->server.stop();
  s_->thread.join();
}

int FaultProxy::port() const { return s_->port; }

void FaultProxy::fail(const std::string& method, const std::string& message) {
  std::lock_guard lock(s_->mutex);
  s_->failures[method] = message;
}

void FaultProxy::rewrite(const std::string& method, std::function<std::string(std::string)> rewrite) {
  std::lock_guard lock(s_->mutex);
  s_->rewrites[method] = std::move(rewrite);
}

void FaultProxy::loseAnswer(const std::string& method, int times) {
  std::lock_guard lock(s_->mutex);
  s_->answersToLose[method] = times;
}

void FaultProxy::heal() {
  std::lock_guard lock(s_->mutex);
  s_->failures.clear();
  s_->answersToLose.clear();
  s_->rewrites.clear();
}

std::string replaced(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::vector<std::string> FaultProxy::calls() const {
  std::lock_guard lock(s_->mutex);
  return s_->calls;
}

std::vector<std::string> FaultProxy::keysOf(const std::string& method) const {
  std::lock_guard lock(s_->mutex);
  auto it = s_->keys.find(method);
  return it == s_->keys.end() ? std::vector<std::string>{} : it->second;
}

std::vector<std::string> FaultProxy::bodiesOf(const std::string& method) const {
  std::lock_guard lock(s_->mutex);
  auto it = s_->bodies.find(method);
  return it == s_->bodies.end() ? std::vector<std::string>{} : it->second;
}

}  // namespace ped::testing
