#include "netclient/net_connection.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "rpc/dispatcher.h"
#include "rpc/json_writer.h"
#include "server/http/http_server.h"
#include "support/test_ca.h"

namespace ped::netclient {
namespace {

using hostlib::RemoteResult;

// A port nothing listens on: bound once by us, then released.
int closedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

std::string withPort(const char* before, int port, const char* after) {
  std::string out = before;
  out += "127.0.0.1:";
  out += std::to_string(port);
  out += after;
  return out;
}

class NetConnectionTest : public ::testing::Test {
 protected:
  NetConnectionTest() : dispatcher_(sessions_) {
    dispatcher_.add(
        "Login", 2,
        [this](const rpc::CallContext&, const rpc::Params& p) {
          ++logins_;
          if (p.text(1) != "certa") throw rpc::MethodError("Operador ou senha inválidos.");
          std::string token = "tok-";
          token += p.text(0);
          sessions_.add({"s", std::string(p.text(0)), token});
          rpc::JsonWriter w;
          return w.beginObject().key("token").string(token).endObject().take();
        },
        rpc::Access::Public);
    dispatcher_.add("GetItem", 2, [](const rpc::CallContext& call, const rpc::Params& p) {
      rpc::JsonWriter w;
      w.beginObject().key("fields").raw(R"([{"name":"CDFILIAL","type":"string","size":4}])");
      w.key("rows").beginArray().beginArray().string(p.text(0)).endArray().endArray();
      w.key("operator").string(call.session->operatorCode).endObject();
      return w.take();
    });
    dispatcher_.add("GetParam", 0, [](const rpc::CallContext&, const rpc::Params&) {
      return std::string(R"([{"rows":[[1]]},null,{"rows":[[3]]}])");
    });
    dispatcher_.add("Nothing", 0,
                    [](const rpc::CallContext&, const rpc::Params&) { return std::string("null"); });
    dispatcher_.add("Args", 8, [this](const rpc::CallContext&, const rpc::Params& p) {
      ++argsCalls_;
      rpc::JsonWriter w;
      w.beginArray().string(p.text(0)).integer(p.integer(1)).number(p.number(2)).boolean(p.boolean(3));
      w.boolean(p.isNull(4)).raw(p.packet(5)).integer(p.integer(6)).string(p.text(7)).endArray();
      return w.take();
    });
    dispatcher_.add("Refuse", 0, [](const rpc::CallContext&, const rpc::Params&) -> std::string {
      throw rpc::MethodError("Item 3 do pedido 12 já foi liquidado.");
    });
    dispatcher_.add("Sleep", 0, [this](const rpc::CallContext&, const rpc::Params&) {
      std::unique_lock lock(sleepMutex_);
      sleepWake_.wait(lock, [this] { return sleepOver_; });
      return std::string(R"({"late":true})");
    });
  }
  ~NetConnectionTest() override {
    {
      std::lock_guard lock(sleepMutex_);
      sleepOver_ = true;
    }
    sleepWake_.notify_all();
  }

  void startServer(server::HttpOptions options = {}) {
    server_ = std::make_unique<server::HttpServer>(dispatcher_, std::move(options));
    server_->start();
    net_.Host = "127.0.0.1";
    net_.Port = server_->port();
  }

  rpc::InMemorySessions sessions_;
  rpc::Dispatcher dispatcher_;
  std::atomic<int> argsCalls_{0};
  std::atomic<int> logins_{0};
  std::mutex sleepMutex_;
  std::condition_variable sleepWake_;
  bool sleepOver_ = false;
  std::unique_ptr<server::HttpServer> server_;
  TNetConnection net_;
};

TEST_F(NetConnectionTest, AServerThatIsDownIsAFailureNamingItsAddress) {
  const int port = closedPort();
  net_.Port = port;
  net_.Open();
  EXPECT_TRUE(net_.Connected());
  RemoteResult r = net_.call("GetItem", {"01", "12"});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, withPort("Não foi possível conectar ao servidor de aplicação em ", port, "."));
  // The connection is still usable once the server is up.
  server::HttpOptions options;
  options.port = port;
  startServer(options);
  EXPECT_EQ(net_.call("Nothing", {}).error, "Sessão inválida ou expirada. Entre novamente.");
}

TEST_F(NetConnectionTest, AnUnsetAddressIsReportedNotThrown) {
  net_.Port = 0;
  RemoteResult r = net_.call("GetItem", {"01", "12"});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Servidor de aplicação não configurado: endereço inválido (127.0.0.1:0).");
}

TEST_F(NetConnectionTest, OpenTakesTheAddressFromTheHookEveryTime) {
  startServer();
  const int port = net_.Port;
  int hookRuns = 0;
  net_.Port = 0;
  net_.OnBeforeConnect = [&](TNetConnection& c) {
    ++hookRuns;
    c.Host = "127.0.0.1";
    c.Port = port;
  };
  net_.Open();
  EXPECT_TRUE(net_.Login("0042", "certa").ok);
  net_.Close();
  EXPECT_FALSE(net_.Connected());
  // A closed connection opens itself again on the next call.
  EXPECT_TRUE(net_.call("Nothing", {}).ok);
  EXPECT_EQ(hookRuns, 2);
}

TEST_F(NetConnectionTest, LoginKeepsTheTokenForLaterCalls) {
  startServer();
  net_.Open();
  RemoteResult r = net_.call("GetItem", {"01", "12"});
  EXPECT_EQ(r.error, "Sessão inválida ou expirada. Entre novamente.");

  r = net_.Login("0042", "errada");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Operador ou senha inválidos.");
  EXPECT_EQ(net_.token(), "");

  ASSERT_TRUE(net_.Login("0042", "certa").ok);
  EXPECT_EQ(net_.token(), "tok-0042");
  r = net_.call("GetItem", {"01", "12"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.at(0),
            R"({"fields":[{"name":"CDFILIAL","type":"string","size":4}],"rows":[["01"]],"operator":"0042"})");
}

TEST_F(NetConnectionTest, ResultsAndErrorsMapToRemoteResults) {
  startServer();
  net_.Open();
  ASSERT_TRUE(net_.Login("0042", "certa").ok);

  RemoteResult r = net_.call("GetParam", {});
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.array);
  ASSERT_EQ(r.packets.size(), 3u);
  EXPECT_EQ(r.at(0), R"({"rows":[[1]]})");
  EXPECT_EQ(r.at(1), std::nullopt);
  EXPECT_EQ(r.at(2), R"({"rows":[[3]]})");

  r = net_.call("Nothing", {});
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.at(0), std::nullopt);

  r = net_.call("Refuse", {});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Item 3 do pedido 12 já foi liquidado.");

  r = net_.call("GetItem", {"01"});
  EXPECT_EQ(r.error, "O método GetItem espera 2 parâmetros; recebeu 1.");
  r = net_.call("Unknown", {});
  EXPECT_EQ(r.error, "Método desconhecido: Unknown.");
}

TEST_F(NetConnectionTest, EveryKindOfArgumentArrivesAsSent) {
  startServer();
  net_.Open();
  ASSERT_TRUE(net_.Login("0042", "certa").ok);
  const std::string packet = R"({"fields":[{"name":"QTEXP","type":"float"}],"rows":[[1.5],[null]]})";
  RemoteResult r = net_.call("Args", {"Razão \"social\"\n", 1234567890123LL, 0.1, false, nullptr,
                                      Arg::packet(packet), -5, std::string_view("fim")});
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_TRUE(r.array);
  std::string echoed;
  for (const auto& item : r.packets) echoed += item.value_or("<null>") + " ";
  EXPECT_EQ(echoed, R"("Razão \"social\"\n" 1234567890123 0.1 false true )" + packet + R"( -5 "fim" )");

  // An argument with no JSON form never leaves the client.
  r = net_.call("Args", {"\xff", 1, 2.0, true, nullptr, Arg::packet("{}"), 0, ""});
  EXPECT_EQ(r.error, "Parâmetro 1 de Args: texto com UTF-8 inválido.");
  EXPECT_EQ(argsCalls_, 1);
}

TEST_F(NetConnectionTest, ASlowAnswerIsATimeOutAndCannotBeMistakenForTheNextOne) {
  startServer();
  net_.setReadTimeout(std::chrono::milliseconds(300));
  net_.Open();
  ASSERT_TRUE(net_.Login("0042", "certa").ok);
  RemoteResult r = net_.call("Sleep", {});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, withPort("O servidor de aplicação em ", net_.Port, " não respondeu a tempo."));
  {
    std::lock_guard lock(sleepMutex_);
    sleepOver_ = true;
  }
  sleepWake_.notify_all();
  r = net_.call("GetItem", {"02", "1"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_NE(r.at(0)->find(R"("rows":[["02"]])"), std::string::npos) << *r.at(0);
}

TEST_F(NetConnectionTest, ARestartedServerIsReachedAgainOnTheNextCall) {
  server::HttpOptions quick;
  quick.keepAliveTimeout = std::chrono::seconds(1);  // stop() waits this long for our idle connection
  startServer(quick);
  net_.Open();
  ASSERT_TRUE(net_.Login("0042", "certa").ok);
  const int port = server_->port();
  server_->stop();
  EXPECT_EQ(net_.call("Nothing", {}).error,
            withPort("Não foi possível conectar ao servidor de aplicação em ", port, "."));
  server::HttpOptions options;
  options.port = port;
  startServer(options);
  RemoteResult r = net_.call("Nothing", {});
  EXPECT_TRUE(r.ok) << r.error;
}

TEST_F(NetConnectionTest, ATransportRefusalNamesTheCallAndTheHttpStatus) {
  server::HttpOptions options;
  options.maxBodyBytes = 512;
  startServer(options);
  net_.Open();
  ASSERT_TRUE(net_.Login("0042", "certa").ok);
  RemoteResult r = net_.call("GetItem", {"01", std::string(1000, 'x')});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error,
            withPort("O servidor de aplicação em ", net_.Port, " recusou a chamada GetItem (HTTP 413)."));
}

// A server that drops the connections it is told to before answering, and
// keeps every request it reads.
class DroppingServer {
 public:
  explicit DroppingServer(std::vector<bool> drops) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listener_, 8);
    socklen_t len = sizeof addr;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    thread_ = std::thread([this, drops] {
      for (const bool drop : drops) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 5000) != 1) break;  // the client gave up sooner
        const int c = ::accept(listener_, nullptr, nullptr);
        std::string text;
        char buf[4096];
        for (ssize_t n; text.find("}") == std::string::npos && (n = ::read(c, buf, sizeof buf)) > 0;)
          text.append(buf, static_cast<std::size_t>(n));
        requests_.push_back(text);
        if (!drop) {
          const std::size_t at = text.find(R"("id":)") + 5;
          const std::string body = R"({"jsonrpc":"2.0","id":)" +
                                   text.substr(at, text.find_first_of(",}", at) - at) + R"(,"result":null})";
          const std::string answer =
              "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n"
              "Content-Length: " +
              std::to_string(body.size()) + "\r\n\r\n" + body;
          [[maybe_unused]] const ssize_t written = ::write(c, answer.data(), answer.size());
        }
        ::close(c);
      }
    });
  }
  ~DroppingServer() {
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }
  // Waits for the connections it was told to expect; then the requests read.
  const std::vector<std::string>& finish() {
    thread_.join();
    return requests_;
  }
  static std::string key(const std::string& request) {
    const std::size_t at = request.find("Idempotency-Key: ");
    return at == std::string::npos ? std::string()
                                   : request.substr(at + 17, request.find('\r', at) - at - 17);
  }

  int port = 0;

 private:
  std::vector<std::string> requests_;
  int listener_ = -1;
  std::thread thread_;
};

// A call whose connection drops before the answer is sent once more, with
// the same key, and no more than once; every new call has a key of its own.
TEST(NetConnectionRetry, ADroppedCallIsResentOnceWithItsKeyAndANewCallHasANewKey) {
  DroppingServer server({true, false, true, true});
  TNetConnection net;
  net.Port = server.port;
  net.Open();
  const RemoteResult first = net.call("SetLiquidaPed", {"a"});
  const RemoteResult second = net.call("SetLiquidaPed", {"a"});
  const std::vector<std::string>& requests = server.finish();
  EXPECT_TRUE(first.ok) << first.error;
  EXPECT_FALSE(second.ok);
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0], requests[1]);  // the very same call, key included
  EXPECT_EQ(DroppingServer::key(requests[0]).size(), 32u);
  EXPECT_NE(DroppingServer::key(requests[2]), DroppingServer::key(requests[0]));
  EXPECT_EQ(DroppingServer::key(requests[2]), DroppingServer::key(requests[3]));
}

// Made once: each certificate costs a few openssl runs.
const testing::TestCa& testCa() {
  static const testing::TestCa ca;
  return ca;
}

server::HttpOptions httpsWith(const std::string& cert, const std::string& key) {
  server::HttpOptions options;
  options.tlsCertFile = cert;
  options.tlsKeyFile = key;
  return options;
}

TEST_F(NetConnectionTest, OverHttpsTheServerIsVerifiedAndARefusalNamesTheAddress) {
  const testing::TestCa& ca = testCa();
  server::HttpOptions options = httpsWith(ca.serverCert(), ca.serverKey());
  options.keepAliveTimeout = std::chrono::milliseconds(100);
  startServer(options);
  net_.UseTls = true;
  net_.CaFile = ca.caFile();
  net_.Open();
  ASSERT_TRUE(net_.Login("0042", "certa").ok);
  // The server closed the idle connection meanwhile: a new one, unnoticed.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(net_.call("GetItem", {"01", "12"}).at(0).value_or(""),
            R"({"fields":[{"name":"CDFILIAL","type":"string","size":4}],"rows":[["01"]],"operator":"0042"})");
  EXPECT_TRUE(net_.call("GetItem", {"02", "12"}).ok);  // on the same connection

  // Without the CA file the system's store does not know the test's CA.
  net_.CaFile.clear();
  net_.Open();
  EXPECT_EQ(net_.call("GetItem", {"01", "12"}).error,
            withPort("O certificado do servidor ", net_.Port,
                     " não foi emitido por uma autoridade certificadora confiável."));

  auto refusalFrom = [&](const std::string& cert, const std::string& key) {
    server_.reset();
    startServer(httpsWith(cert, key));
    net_.CaFile = ca.caFile();
    net_.Open();
    return net_.Login("0042", "certa").error;
  };
  const int loginsBefore = logins_;
  const std::string otherName = refusalFrom(ca.otherNameCert(), ca.otherNameKey());
  EXPECT_EQ(otherName,
            withPort("O certificado do servidor ", net_.Port, " não corresponde a esse endereço."));
  const std::string stranger = refusalFrom(ca.strangerCert(), ca.strangerKey());
  EXPECT_EQ(stranger, withPort("O certificado do servidor ", net_.Port,
                               " não foi emitido por uma autoridade certificadora confiável."));
  EXPECT_EQ(logins_, loginsBefore);  // the password never left, not even once more

  net_.CaFile = ca.path("nenhum.pem");
  net_.Open();
  EXPECT_EQ(net_.call("GetItem", {"01", "12"}).error,
            "Não foi possível ler as autoridades certificadoras (CA) do arquivo " + net_.CaFile + ".");
}

TEST_F(NetConnectionTest, AMismatchedSchemeFailsWithAClearMessage) {
  const testing::TestCa& ca = testCa();
  startServer(httpsWith(ca.serverCert(), ca.serverKey()));
  net_.Open();
  EXPECT_EQ(net_.Login("0042", "certa").error,
            withPort("O servidor de aplicação em ", net_.Port, " atende somente HTTPS: informe https://") +
                withPort("", net_.Port, " em --server."));

  server_.reset();
  startServer();
  net_.UseTls = true;
  net_.CaFile = ca.caFile();
  net_.Open();
  EXPECT_EQ(
      net_.Login("0042", "certa").error,
      withPort("Não foi possível estabelecer uma conexão segura (HTTPS) com o servidor de aplicação em ",
               net_.Port, ": confira se ele atende HTTPS nesse endereço."));
  EXPECT_EQ(logins_, 0);
}

TEST_F(NetConnectionTest, PlainHttpToTheNetworkCarriesNeitherPasswordNorSession) {
  startServer();
  // Linux takes 0.0.0.0 as this machine: an address that is not loopback
  // by its name, reached without leaving the host.
  net_.Host = "0.0.0.0";
  net_.Open();
  const std::string refusal =
      "A conexão com o servidor de aplicação em 0.0.0.0:" + std::to_string(net_.Port) +
      " não é cifrada (HTTP sem TLS): a senha e a sessão não são enviadas por ela. "
      "Informe https://0.0.0.0:" +
      std::to_string(net_.Port) + " em --server, ou --insecure-plain-http para aceitar o risco.";
  EXPECT_EQ(net_.Login("0042", "certa").error, refusal);
  net_.setToken("tok-0042");
  EXPECT_EQ(net_.call("GetItem", {"01", "12"}).error, refusal);
  EXPECT_EQ(logins_, 0);

  net_.InsecurePlainHttp = true;
  EXPECT_TRUE(net_.Login("0042", "certa").ok);
  EXPECT_TRUE(net_.call("GetItem", {"01", "12"}).ok);
}

}  // namespace
}  // namespace ped::netclient
