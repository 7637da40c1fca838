#include "server/http/http_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <future>
#include <mutex>
#include <sstream>
#include <thread>

#include "rpc/json_writer.h"
#include "rpc/reply.h"
#include "server/http/elastic_thread_pool.h"
#include "server/http/spdlog_call_sink.h"
#include "support/test_ca.h"

namespace ped::server {
namespace {

using rpc::testing::readReply;

// Requests here take numeric ids.
std::string request(std::string_view method, std::string_view params, int id = 1) {
  return rpc::testing::request(method, params, std::to_string(id));
}

constexpr const char* kPath = "/Ped00800.rdmLiquidaItem";
// As long as a real one: a short token would hide a dangling view of it.
constexpr const char* kToken = "q5Xr0m-7YtD2pW9vKcL4sNfB8hJ1gE6aZ3uTyQ0iRxo";

// A gate a method waits at until the test opens it.
class Gate {
 public:
  void open() {
    std::lock_guard lock(m_);
    open_ = true;
    cv_.notify_all();
  }
  void wait() {
    std::unique_lock lock(m_);
    cv_.wait(lock, [this] { return open_; });
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool open_ = false;
};

class HttpServerTest : public ::testing::Test {
 protected:
  HttpServerTest() : dispatcher_(sessions_) {
    sessions_.add({"s1", "0042", kToken});
    dispatcher_.add("WhoAmI", 0, [](const rpc::CallContext& call, const rpc::Params&) {
      rpc::JsonWriter w;
      w.beginObject().key("operator").string(call.session->operatorCode);
      w.key("peer").string(call.request->peer).endObject();
      return w.take();
    });
    dispatcher_.add(
        "Echo", 1,
        [this](const rpc::CallContext&, const rpc::Params& p) {
          ++calls_;
          return p.raw(0);
        },
        rpc::Access::Public);
    dispatcher_.add(
        "Slow", 0,
        [this](const rpc::CallContext&, const rpc::Params&) {
          slowStarted_.set_value();
          slowGate_.wait();
          return std::string(R"({"done":true})");
        },
        rpc::Access::Public);
  }

  void start(HttpOptions options = {}) {
    server_ = std::make_unique<HttpServer>(dispatcher_, std::move(options));
    server_->start();
  }

  httplib::Client client() {
    httplib::Client c("127.0.0.1", server_->port());
    c.set_keep_alive(true);
    c.set_tcp_nodelay(true);
    c.set_read_timeout(10, 0);
    return c;
  }

  httplib::Result post(httplib::Client& c, const std::string& body, const char* token = kToken) {
    httplib::Headers headers;
    if (token) headers.emplace("Authorization", std::string("Bearer ") + token);
    return c.Post(kPath, headers, body, "application/json");
  }

  rpc::InMemorySessions sessions_;
  rpc::Dispatcher dispatcher_;
  std::atomic<int> calls_{0};
  std::promise<void> slowStarted_;
  Gate slowGate_;
  std::unique_ptr<HttpServer> server_;
};

// What the server answers to raw bytes, read until it closes the
// connection (or 10 s pass); `closed` tells which.
std::string rawExchange(int port, const std::string& bytes, bool& closed) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval tv{10, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  std::string answer;
  closed = false;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size())) {
    char buf[4096];
    ssize_t n;
    while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) answer.append(buf, static_cast<std::size_t>(n));
    closed = n == 0;
  }
  ::close(fd);
  return answer;
}

TEST_F(HttpServerTest, ManyCallsShareOneKeepAliveConnection) {
  start();
  auto c = client();
  std::string firstPeer;
  for (int i = 0; i < 200; ++i) {
    auto res = post(c, request("WhoAmI", "[]", i));
    ASSERT_TRUE(res) << httplib::to_string(res.error());
    ASSERT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "application/json");
    auto reply = readReply(res->body);
    ASSERT_FALSE(reply.isError) << reply.message;
    EXPECT_EQ(reply.id, std::to_string(i));
    if (i == 0) firstPeer = reply.result;
    ASSERT_EQ(reply.result, firstPeer) << "call " << i << " came on another connection";
  }
  EXPECT_NE(firstPeer.find(R"("operator":"0042","peer":"127.0.0.1:)"), std::string::npos) << firstPeer;
}

TEST_F(HttpServerTest, BearerTokenReachesTheSessionCheck) {
  start();
  auto c = client();
  EXPECT_FALSE(readReply(post(c, request("WhoAmI", "[]"))->body).isError);
  const std::string lower = std::string("bearer ") + kToken,
                    spaced = std::string("Bearer   ") + kToken + "  ";
  for (const std::string& header : {lower, spaced}) {
    auto res = c.Post(kPath, {{"Authorization", header}}, request("WhoAmI", "[]"), "application/json");
    EXPECT_FALSE(readReply(res->body).isError) << header;
  }
  const std::string basic = std::string("Basic ") + kToken;
  for (const std::string& header :
       {basic, std::string("Bearer"), std::string(kToken), std::string("Bearer x")}) {
    auto res = c.Post(kPath, {{"Authorization", header}}, request("WhoAmI", "[]"), "application/json");
    ASSERT_EQ(res->status, 200) << header;
    EXPECT_EQ(readReply(res->body).code, -32001) << header;
  }
  auto res = post(c, request("WhoAmI", "[]"), nullptr);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(readReply(res->body).code, -32001);
}

TEST_F(HttpServerTest, JsonRpcErrorsAreHttp200AndNotificationsGetNoBody) {
  start();
  auto c = client();
  auto res = post(c, "{not json");
  ASSERT_EQ(res->status, 200);
  EXPECT_EQ(readReply(res->body).code, -32700);
  res = post(c, request("Nope", "[]"));
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(readReply(res->body).code, -32601);
  res = post(c, R"({"jsonrpc":"2.0","method":"Echo","params":[1]})");
  EXPECT_EQ(res->status, 204);
  EXPECT_EQ(res->body, "");
  EXPECT_EQ(calls_, 1);
}

TEST_F(HttpServerTest, TransportProblemsKeepTheirHttpCodes) {
  start();
  auto c = client();
  auto res = c.Post("/Ped00800XrdmLiquidaItem", request("Echo", "[1]"), "application/json");
  EXPECT_EQ(res->status, 404);
  EXPECT_EQ(res->body, "Caminho desconhecido no servidor de aplicação.");
  res = c.Get(kPath);
  EXPECT_EQ(res->status, 405);
  EXPECT_EQ(res->get_header_value("Allow"), "POST");
  res = c.Post(kPath, request("Echo", "[1]"), "text/plain");
  EXPECT_EQ(res->status, 415);
  res = c.Get("/health");
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->body, R"({"status":"ok"})");
  res = c.Post("/health", "{}", "application/json");
  EXPECT_EQ(res->status, 405);
  EXPECT_EQ(calls_, 0);
  // The connection survives all of that.
  res = post(c, request("Echo", "[1]"));
  EXPECT_EQ(readReply(res->body).result, "1");
}

TEST_F(HttpServerTest, ChunkedBodiesAreRefusedBeforeAnyIsRead) {
  HttpOptions options;
  options.keepAliveTimeout = std::chrono::seconds(30);  // longer than rawExchange waits
  start(options);
  const std::string body = request("Echo", "[1]");
  char size[16];
  std::snprintf(size, sizeof size, "%zx", body.size());
  const std::string raw = std::string("POST ") + kPath +
                          " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
                          "Transfer-Encoding: chunked\r\n\r\n" +
                          size + "\r\n" + body + "\r\n0\r\n\r\n";
  bool closed = false;
  const std::string answer = rawExchange(server_->port(), raw, closed);
  EXPECT_EQ(answer.rfind("HTTP/1.1 411", 0), 0u) << answer;
  EXPECT_NE(answer.find("Connection: close"), std::string::npos) << answer;
  // Closed right after the one answer: the chunks were not read as requests.
  EXPECT_TRUE(closed);
  EXPECT_EQ(answer.find("HTTP/1.1", 1), std::string::npos) << answer;
  EXPECT_EQ(calls_, 0);
}

TEST_F(HttpServerTest, BodiesOverTheLimitAre413) {
  HttpOptions options;
  options.maxBodyBytes = 1024;
  start(options);
  auto c = client();
  const std::string fits = request("Echo", "[\"" + std::string(900, 'x') + "\"]");
  const std::string tooBig = request("Echo", "[\"" + std::string(1100, 'x') + "\"]");
  auto res = post(c, tooBig);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 413);
  EXPECT_EQ(calls_, 0);
  res = post(c, fits);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(calls_, 1);
}

TEST_F(HttpServerTest, StopLetsACallUnderWayFinishAndAnswer) {
  HttpOptions options;
  options.keepAliveTimeout = std::chrono::seconds(1);
  start(options);
  auto slowClient = client();
  auto slowCall = std::async(std::launch::async, [&] { return post(slowClient, request("Slow", "[]", 77)); });
  slowStarted_.get_future().wait();

  std::thread stopper([&] { server_->stop(); });
  // Once the server stops accepting, release the call it still holds.
  bool refused = false;
  for (int i = 0; i < 500 && !refused; ++i) {
    httplib::Client probe("127.0.0.1", server_->port());
    probe.set_connection_timeout(1, 0);
    refused = !probe.Get("/health");
    if (!refused) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(refused) << "the server still accepts connections after stop()";
  slowGate_.open();
  stopper.join();

  auto res = slowCall.get();
  ASSERT_TRUE(res) << httplib::to_string(res.error());
  EXPECT_EQ(res->status, 200);
  const auto reply = readReply(res->body);
  EXPECT_EQ(reply.id, "77");
  EXPECT_EQ(reply.result, R"({"done":true})");
}

TEST_F(HttpServerTest, MoreKeepAliveClientsThanWarmThreadsAreAllServed) {
  HttpOptions options;
  options.threads = 2;
  options.maxThreads = 8;
  // Idle connections are not closed during the test: with a fixed pool the
  // third client would wait past its read time-out.
  options.keepAliveTimeout = std::chrono::seconds(60);
  start(options);
  constexpr int kClients = 3;
  std::vector<std::unique_ptr<httplib::Client>> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.push_back(std::make_unique<httplib::Client>("127.0.0.1", server_->port()));
    clients.back()->set_keep_alive(true);
    clients.back()->set_read_timeout(3, 0);
  }
  for (int round = 0; round < 2; ++round) {
    std::vector<std::future<std::string>> answers;
    for (int i = 0; i < kClients; ++i) {
      answers.push_back(std::async(std::launch::async, [&, i] {
        std::string params = "[";
        params += std::to_string(i);
        params += ']';
        auto res = post(*clients[i], request("Echo", params, i));
        return res ? readReply(res->body).result : httplib::to_string(res.error());
      }));
    }
    for (int i = 0; i < kClients; ++i) EXPECT_EQ(answers[i].get(), std::to_string(i)) << "client " << i;
  }
  clients.clear();  // closed connections free their threads, so stop() is quick
}

TEST_F(HttpServerTest, ABurstOfNewConnectionsIsAccepted) {
  start();
  constexpr int kClients = 48;
  std::atomic<bool> go{false};
  std::atomic<int> served{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.emplace_back([&] {
      httplib::Client c("127.0.0.1", server_->port());
      // A dropped handshake is retried by the kernel after a second: past this.
      c.set_connection_timeout(0, 900000);
      while (!go) std::this_thread::yield();
      auto res = c.Get("/health");
      if (res && res->status == 200) ++served;
    });
  }
  go = true;
  for (auto& t : clients) t.join();
  EXPECT_EQ(served, kClients);
}

TEST_F(HttpServerTest, ABusyPortIsAPortugueseError) {
  start();
  HttpOptions same;
  same.port = server_->port();
  HttpServer second(dispatcher_, same);
  try {
    second.start();
    FAIL() << "a second server bound the same port";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("Não foi possível abrir o servidor de aplicação em 127.0.0.1:"),
              std::string::npos)
        << e.what();
  }
}

TEST_F(HttpServerTest, CallsAreLoggedAsJsonLines) {
  std::ostringstream out;
  auto logger =
      std::make_shared<spdlog::logger>("calls", std::make_shared<spdlog::sinks::ostream_sink_mt>(out));
  logger->set_pattern("%v");
  dispatcher_.setCallSink(makeSpdlogCallSink(logger));
  start();
  auto c = client();
  post(c, request("Echo", R"(["{senha}"])"));
  post(c, request("WhoAmI", "[]"));
  logger->flush();
  std::istringstream lines(out.str());
  std::string first, second;
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_EQ(first.rfind(R"({"method":"Echo","operator":"","peer":"127.0.0.1:)", 0), 0u) << first;
  EXPECT_EQ(first.find("senha"), std::string::npos);
  EXPECT_NE(second.find(R"("operator":"0042")"), std::string::npos) << second;
  EXPECT_NE(second.find(R"("outcome":"ok"})"), std::string::npos) << second;
}

// A connected socket from `localAddress` (any 127.x.y.z is loopback), or -1.
int connectFrom(const char* localAddress, int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  ::inet_pton(AF_INET, localAddress, &local.sin_addr);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval tv{5, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// True when the server closed `fd` (end of stream or reset) within its
// receive time-out, with nothing or only `prefix` sent before.
bool closedByServer(int fd) {
  char buf[512];
  ssize_t n;
  while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) {
  }
  return n == 0 || errno == ECONNRESET;
}

TEST_F(HttpServerTest, SlowSendersHoldNoThreadAndAreCutOffAtTheirDeadline) {
  raiseOpenFileLimit();
  HttpOptions options;
  options.threads = 2;
  options.maxThreads = 4;
  options.requestTimeout = std::chrono::seconds(3);
  start(options);
  // 2,000 requests that never finish, from eight addresses under the per-peer cap.
  std::vector<int> slow;
  const std::string head = std::string("POST ") + kPath + " HTTP/1.1\r\nHost: x\r\nX-Slow: ";
  for (int i = 0; i < 2000; ++i) {
    const std::string from = "127.0.0." + std::to_string(2 + i % 8);
    const int fd = connectFrom(from.c_str(), server_->port());
    ASSERT_GE(fd, 0) << "connection " << i;
    ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    slow.push_back(fd);
  }
  std::atomic<bool> dripping{true};
  std::thread drip([&] {
    while (dripping) {
      for (int fd : slow) ::send(fd, "a", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
  });
  for (int i = 0; i < 100 && server_->openConnections() < 2000; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GE(server_->openConnections(), 2000u);

  // A screen is served at once all the same, on one of the few threads.
  auto c = client();
  c.set_connection_timeout(1, 0);
  c.set_read_timeout(1, 0);
  for (int i = 0; i < 5; ++i) {
    auto res = post(c, request("Echo", std::string("[").append(std::to_string(i)) + "]", i));
    ASSERT_TRUE(res) << httplib::to_string(res.error());
    EXPECT_EQ(readReply(res->body).result, std::to_string(i));
  }

  // However slowly they keep sending, the server ends them at the deadline.
  int closed = 0;
  for (int fd : slow) closed += closedByServer(fd);
  dripping = false;
  drip.join();
  for (int fd : slow) ::close(fd);
  EXPECT_EQ(closed, 2000);
  EXPECT_EQ(calls_, 5);
}

TEST_F(HttpServerTest, ConnectionsAreCappedPerPeerAndTheIdlestMakesRoomWhenAllAreTaken) {
  HttpOptions options;
  options.maxConnectionsPerPeer = 3;
  options.maxConnections = 5;
  options.keepAliveTimeout = std::chrono::seconds(30);
  start(options);
  auto health = [](int fd) {
    const std::string get = "GET /health HTTP/1.1\r\nHost: x\r\n\r\n";
    if (::send(fd, get.data(), get.size(), MSG_NOSIGNAL) <= 0) return false;
    std::string answer;
    char buf[512];
    ssize_t n;
    while (answer.find(R"({"status":"ok"})") == std::string::npos && (n = ::recv(fd, buf, sizeof buf, 0)) > 0)
      answer.append(buf, static_cast<std::size_t>(n));
    return answer.rfind("HTTP/1.1 200", 0) == 0;
  };
  std::vector<int> first;
  for (int i = 0; i < 3; ++i) first.push_back(connectFrom("127.0.0.2", server_->port()));
  for (int fd : first) EXPECT_TRUE(health(fd));
  const int fourth = connectFrom("127.0.0.2", server_->port());
  EXPECT_TRUE(closedByServer(fourth)) << "a fourth connection from one address";
  ::close(fourth);

  // Five in all: two more from elsewhere fill the server; a sixth closes
  // the connection idle longest, the first one.
  const int other1 = connectFrom("127.0.0.3", server_->port());
  const int other2 = connectFrom("127.0.0.3", server_->port());
  EXPECT_TRUE(health(other1));
  EXPECT_TRUE(health(other2));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // all idle now
  const int sixth = connectFrom("127.0.0.4", server_->port());
  EXPECT_TRUE(health(sixth));
  EXPECT_TRUE(closedByServer(first[0]));
  EXPECT_TRUE(health(first[1]));
  for (int fd : {first[0], first[1], first[2], other1, other2, sixth}) ::close(fd);
}

TEST_F(HttpServerTest, ANewConnectionMayEvictTheOnlyOtherOfItsAddress) {
  HttpOptions options;
  options.maxConnections = 1;
  start(options);
  const int old = connectFrom("127.0.0.5", server_->port());
  for (int i = 0; i < 200 && server_->openConnections() < 1; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  // Room is made by closing the address's only connection, whose count
  // then drops to none while the newcomer is being counted in.
  const int newer = connectFrom("127.0.0.5", server_->port());
  EXPECT_TRUE(closedByServer(old));
  bool closed = false;
  EXPECT_NE(rawExchange(server_->port(), "GET /health HTTP/1.1\r\nHost: x\r\n\r\n", closed), "");
  ::close(old);
  ::close(newer);
}

TEST_F(HttpServerTest, BodiesOfFalseUnknownOrOversizedLengthHoldNothing) {
  HttpOptions options;
  options.threads = 1;
  options.maxThreads = 1;
  options.maxBodyBytes = 1024;
  options.requestTimeout = std::chrono::seconds(1);
  start(options);
  const std::string post =
      std::string("POST ") + kPath + " HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n";

  // A body shorter than announced waits in the reactor, not on the one thread.
  const int shortBody = connectFrom("127.0.0.2", server_->port());
  const std::string partial = post + "Content-Length: 100\r\n\r\n{\"jsonrpc\"";
  ::send(shortBody, partial.data(), partial.size(), MSG_NOSIGNAL);
  auto c = client();
  c.set_read_timeout(1, 0);
  auto res = c.Post(kPath, request("Echo", "[1]"), "application/json");
  ASSERT_TRUE(res) << httplib::to_string(res.error());
  EXPECT_EQ(readReply(res->body).result, "1");
  EXPECT_TRUE(closedByServer(shortBody)) << "cut at the request's deadline";
  ::close(shortBody);

  // Lengths the server will not read are answered at once, and the connection closed.
  const std::pair<std::string, const char*> refused[] = {
      {"Content-Length: 99999999999999999999\r\n", "HTTP/1.1 413"},
      {"Content-Length: 5000\r\n", "HTTP/1.1 413"},
      {"Content-Length: -5\r\n", "HTTP/1.1 400"},
      {"", "HTTP/1.1 411"},
  };
  for (const auto& [length, status] : refused) {
    bool closed = false;
    const std::string answer = rawExchange(server_->port(), post + length + "\r\n{\"x\":1", closed);
    EXPECT_EQ(answer.rfind(status, 0), 0u) << length << answer;
    EXPECT_TRUE(closed) << length;
  }
  EXPECT_EQ(calls_, 1);
}

const testing::TestCa& testCa() {
  static const testing::TestCa ca;
  return ca;
}

HttpOptions overTls(HttpOptions options = {}) {
  options.tlsCertFile = testCa().serverCert();
  options.tlsKeyFile = testCa().serverKey();
  return options;
}

std::unique_ptr<httplib::SSLClient> tlsClient(int port) {
  auto c = std::make_unique<httplib::SSLClient>("127.0.0.1", port);
  c->set_ca_cert_path(testCa().caFile().c_str());
  c->enable_server_certificate_verification(true);
  c->set_keep_alive(true);
  c->set_read_timeout(10, 0);
  return c;
}

TEST_F(HttpServerTest, OverTlsLargeCallsShareOneConnection) {
  start(overTls());
  auto c = tlsClient(server_->port());
  // Large enough for the answer to need several records and waits to write.
  const std::string big = "\"" + std::string(3 * 1024 * 1024, 'x') + "\"";
  for (int i = 0; i < 3; ++i) {
    auto res = c->Post(kPath, request("Echo", "[" + big + "]", i), "application/json");
    ASSERT_TRUE(res) << httplib::to_string(res.error());
    EXPECT_EQ(readReply(res->body).result, big);
  }
  EXPECT_EQ(server_->openConnections(), 1u);
  EXPECT_EQ(calls_, 3);
}

TEST_F(HttpServerTest, AHandshakeNeverFinishedHoldsNoThreadAndEndsAtTheRequestDeadline) {
  HttpOptions options = overTls();
  options.threads = 1;
  options.maxThreads = 1;
  options.requestTimeout = std::chrono::milliseconds(300);
  start(options);
  std::vector<int> halfOpen;
  for (int i = 0; i < 3; ++i) halfOpen.push_back(connectFrom("127.0.0.1", server_->port()));
  // The start of a ClientHello record, never completed.
  ::send(halfOpen[0], "\x16\x03\x01\x02\x00\x01", 6, MSG_NOSIGNAL);
  auto c = tlsClient(server_->port());
  auto res = c->Get("/health");
  ASSERT_TRUE(res) << httplib::to_string(res.error());
  EXPECT_EQ(res->status, 200);
  for (int fd : halfOpen) {
    EXPECT_TRUE(closedByServer(fd));
    ::close(fd);
  }
}

TEST_F(HttpServerTest, AClientHelloToAPlainPortIsClosedAtOnce) {
  start();
  bool closed = false;
  const std::string answer = rawExchange(server_->port(), "\x16\x03\x01\x00\x05hello", closed);
  EXPECT_TRUE(closed);
  EXPECT_EQ(answer, "");
}

TEST(HttpServerTls, BadCertificateOrKeyFilesStopTheStartNamingTheFile) {
  const testing::TestCa& ca = testCa();
  const std::string garbage = ca.path("lixo.pem");
  std::ofstream(garbage) << "não é PEM\n";
  const std::string locked = ca.path("senha.key");
  ASSERT_EQ(std::system(("openssl pkey -in " + ca.serverKey() + " -aes128 -passout pass:x -out " + locked +
                         " 2>/dev/null")
                            .c_str()),
            0);
  rpc::InMemorySessions sessions;
  rpc::Dispatcher dispatcher(sessions);
  auto refusal = [&](const std::string& cert, const std::string& key) {
    HttpOptions options;
    options.tlsCertFile = cert;
    options.tlsKeyFile = key;
    HttpServer server(dispatcher, options);
    try {
      server.start();
      return std::string("aceito");
    } catch (const std::runtime_error& e) {
      return std::string(e.what());
    }
  };
  const std::string missing = ca.path("nenhum.pem");
  EXPECT_EQ(refusal(missing, ca.serverKey()), "Não foi possível ler o certificado TLS " + missing + ".");
  EXPECT_EQ(refusal(ca.serverCert(), missing), "Não foi possível ler a chave privada TLS " + missing + ".");
  EXPECT_EQ(refusal(garbage, ca.serverKey()),
            "O arquivo " + garbage + " não contém um certificado TLS válido (PEM).");
  EXPECT_EQ(refusal(ca.serverCert(), garbage),
            "O arquivo " + garbage + " não contém uma chave privada válida (PEM, sem senha).");
  // Refused, not asked for on the terminal.
  EXPECT_EQ(refusal(ca.serverCert(), locked),
            "O arquivo " + locked + " não contém uma chave privada válida (PEM, sem senha).");
  EXPECT_EQ(
      refusal(ca.serverCert(), ca.otherNameKey()),
      "A chave privada " + ca.otherNameKey() + " não corresponde ao certificado " + ca.serverCert() + ".");
  EXPECT_EQ(refusal(ca.serverCert(), ""), "Para HTTPS informe o certificado e a chave privada, os dois.");
}

TEST(ElasticThreadPool, GrowsWhenAllThreadsAreBusyAndShrinksBackWhenIdle) {
  ElasticThreadPool pool(1, 3, std::chrono::milliseconds(20));
  Gate gate;
  std::atomic<int> running{0}, done{0};
  for (int i = 0; i < 4; ++i) {
    pool.enqueue([&] {
      ++running;
      gate.wait();
      ++done;
    });
  }
  // Three run at once (the cap); the fourth waits for one of them.
  for (int i = 0; i < 500 && running < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(running, 3);
  EXPECT_EQ(pool.threadCount(), 3u);
  gate.open();
  for (int i = 0; i < 500 && (done < 4 || pool.threadCount() > 1); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(done, 4);
  EXPECT_EQ(pool.threadCount(), 1u);
  pool.enqueue([&] { ++done; });
  pool.shutdown();
  EXPECT_EQ(done, 5);
}

}  // namespace
}  // namespace ped::server
