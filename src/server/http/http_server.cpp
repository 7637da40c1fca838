#include "server/http/http_server.h"

#include <httplib.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <memory>
#include <stdexcept>

#include "server/http/connection_stream.h"
#include "server/http/elastic_thread_pool.h"
#include "server/http/memory_return.h"

namespace ped::server {
namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         });
}

// The token of "Authorization: Bearer <token>"; nullopt for any other form.
std::optional<std::string> bearerToken(const httplib::Request& req) {
  if (!req.has_header("Authorization")) return std::nullopt;
  const std::string header = req.get_header_value("Authorization");
  std::string_view value = header;
  constexpr std::string_view kScheme = "Bearer ";
  if (!startsWithNoCase(value, kScheme)) return std::nullopt;
  value.remove_prefix(kScheme.size());
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  if (value.empty()) return std::nullopt;
  return std::string(value);
}

void plainText(httplib::Response& res, int status, const char* text) {
  res.status = status;
  res.set_content(text, "text/plain; charset=utf-8");
}

// Answers, then ends the connection. cpp-httplib keeps a connection open
// unless the request asked to close it; failing the body's provider after
// it wrote the body is the one way a handler has to close it.
void answerAndClose(httplib::Response& res, int status, std::string_view text) {
  res.status = status;
  res.set_header("Connection", "close");
  auto body = std::make_shared<const std::string>(text);
  res.set_content_provider(body->size(), "text/plain; charset=utf-8",
                           [body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                             sink.write(body->data() + offset, length);
                             return false;
                           });
}

// cpp-httplib takes route patterns as regular expressions.
std::string literalPattern(std::string_view path) {
  std::string out;
  for (char c : path) {
    if (std::string_view(".^$|()[]{}*+?\\").find(c) != std::string_view::npos) out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

// Body for the statuses cpp-httplib sets itself (404, 413, 400...).
const char* statusText(int status) {
  switch (status) {
    case 400:
      return "Requisição HTTP inválida.";
    case 404:
      return "Caminho desconhecido no servidor de aplicação.";
    case 413:
      return "Requisição maior que o limite aceito pelo servidor de aplicação.";
    case 414:
      return "Endereço longo demais.";
    case 500:
      return "Erro interno no servidor de aplicação.";
    default:
      return nullptr;
  }
}

// Binds and listens; -1 when the address cannot be had.
int listenOn(const std::string& host, int port, int& boundPort) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return -1;
  int fd = -1;
  for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    // No SO_REUSEPORT: it would let a second server bind the same port and
    // silently take half the connections.
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    // A full backlog, so a shift of screens connecting at once is not dropped.
    if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0) {
      ::close(fd);
      fd = -1;
    }
  }
  ::freeaddrinfo(found);
  if (fd < 0) return -1;
  sockaddr_storage bound{};
  socklen_t len = sizeof bound;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &len);
  boundPort = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                                : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  return fd;
}

}  // namespace

// cpp-httplib's server used for what it does well, parsing and routing one
// request and writing its answer, over a stream the reactor filled.
class HttpServer::Router : public httplib::Server {
 public:
  using httplib::Server::process_request;
};

HttpServer::HttpServer(rpc::Dispatcher& dispatcher, HttpOptions options)
    : dispatcher_(dispatcher), options_(std::move(options)) {}

HttpServer::~HttpServer() { stop(); }

void HttpServer::configure() {
  Router& svr = *router_;
  svr.set_keep_alive_max_count(options_.keepAliveMaxCount);
  svr.set_keep_alive_timeout(std::chrono::ceil<std::chrono::seconds>(options_.keepAliveTimeout).count());
  svr.set_payload_max_length(options_.maxBodyBytes);

  // cpp-httplib would read a chunked body whole, past the size limit: refuse
  // it before any body is read, and close the connection, whose unread body
  // would otherwise be read as the next request.
  // A body of unknown length or over the limit is refused the same way, at
  // once, instead of being waited for or read and thrown away.
  const std::size_t maxBody = options_.maxBodyBytes;
  svr.set_pre_routing_handler([maxBody](const httplib::Request& req, httplib::Response& res) {
    if (req.has_header("Transfer-Encoding")) {
      answerAndClose(res, 411, "Transfer-Encoding não é aceito; envie o corpo com Content-Length.");
      return httplib::Server::HandlerResponse::Handled;
    }
    const bool hasLength = req.has_header("Content-Length");
    if (!hasLength && (req.method == "POST" || req.method == "PUT" || req.method == "PATCH")) {
      answerAndClose(res, 411, "Envie o corpo da requisição com Content-Length.");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (hasLength) {
      const std::string length = req.get_header_value("Content-Length");
      if (length.empty() || length.find_first_not_of("0123456789") != std::string::npos) {
        answerAndClose(res, 400, "Content-Length inválido.");
        return httplib::Server::HandlerResponse::Handled;
      }
      if (length.size() > 12 || std::stoull(length) > maxBody) {
        answerAndClose(res, 413, statusText(413));
        return httplib::Server::HandlerResponse::Handled;
      }
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });

  const std::string rpcPath = literalPattern(options_.path);
  svr.Post(rpcPath, [this](const httplib::Request& req, httplib::Response& res) {
    if (!startsWithNoCase(req.get_header_value("Content-Type"), "application/json")) {
      plainText(res, 415, "O corpo da requisição deve ser JSON (Content-Type: application/json).");
      return;
    }
    std::string peer = req.remote_addr;
    peer += ':';
    peer += std::to_string(req.remote_port);
    rpc::RequestContext context{bearerToken(req), std::move(peer), std::nullopt};
    if (req.has_header("Idempotency-Key")) context.idempotencyKey = req.get_header_value("Idempotency-Key");
    std::string answer = dispatcher_.handle(req.body, context);
    if (answer.empty()) {
      res.status = 204;
      return;
    }
    res.set_content(std::move(answer), "application/json");
  });

  svr.Get("/health", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(R"({"status":"ok"})", "application/json");
  });

  for (const auto& [path, page] : pages_)
    svr.Get(literalPattern(path), [&page](const httplib::Request&, httplib::Response& res) {
      PageAnswer answer = page();
      res.status = answer.status;
      res.set_content(std::move(answer.body), answer.contentType.c_str());
    });

  auto refuseVerb = [](const char* allow) {
    return [allow](const httplib::Request&, httplib::Response& res) {
      plainText(res, 405, "Método HTTP não permitido neste caminho.");
      res.set_header("Allow", allow);
    };
  };
  svr.Get(rpcPath, refuseVerb("POST"));
  svr.Put(rpcPath, refuseVerb("POST"));
  svr.Patch(rpcPath, refuseVerb("POST"));
  svr.Delete(rpcPath, refuseVerb("POST"));
  svr.Options(rpcPath, refuseVerb("POST"));
  svr.Post("/health", refuseVerb("GET, HEAD"));
  svr.Put("/health", refuseVerb("GET, HEAD"));
  svr.Patch("/health", refuseVerb("GET, HEAD"));
  svr.Delete("/health", refuseVerb("GET, HEAD"));

  svr.set_error_handler(
      httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        const char* text = statusText(res.status);
        if (text == nullptr) return httplib::Server::HandlerResponse::Unhandled;
        res.set_content(text, "text/plain; charset=utf-8");
        return httplib::Server::HandlerResponse::Handled;
      }));
  svr.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    plainText(res, 500, "Erro interno no servidor de aplicação.");
  });
}

void HttpServer::addPage(std::string path, std::function<PageAnswer()> page) {
  if (router_) throw std::logic_error("HttpServer::addPage after start");
  pages_.emplace_back(std::move(path), std::move(page));
}

void HttpServer::start() {
  if (router_) throw std::logic_error("HttpServer::start called twice");
  if (options_.tlsCertFile.empty() != options_.tlsKeyFile.empty())
    throw std::runtime_error("Para HTTPS informe o certificado e a chave privada, os dois.");
  if (!options_.tlsCertFile.empty()) {
    tls_ = std::make_unique<TlsContext>(options_.tlsCertFile, options_.tlsKeyFile);
    // OpenSSL writes with write(), not send(MSG_NOSIGNAL): a client gone
    // while its answer is written must not end the process.
    std::signal(SIGPIPE, SIG_IGN);
  }
  const int listenFd = listenOn(options_.host, options_.port, port_);
  if (listenFd < 0) {
    std::string message = "Não foi possível abrir o servidor de aplicação em ";
    message += options_.host;
    message += ':';
    message += std::to_string(options_.port);
    message += " (endereço em uso ou inválido).";
    throw std::runtime_error(message);
  }
  router_ = std::make_unique<Router>();
  configure();
  memoryReturn_ = std::make_unique<MemoryReturn>();
  workers_ = std::make_unique<ElasticThreadPool>(options_.threads, options_.maxThreads);
  ReactorOptions reactor;
  reactor.maxConnections = options_.maxConnections;
  reactor.maxConnectionsPerPeer = options_.maxConnectionsPerPeer;
  reactor.maxBodyBytes = options_.maxBodyBytes;
  reactor.requestTimeout = options_.requestTimeout;
  reactor.idleTimeout = options_.keepAliveTimeout;
  reactor.tls = tls_ ? tls_->get() : nullptr;
  reactor_ = std::make_unique<ConnectionReactor>(listenFd, reactor, *workers_,
                                                 [this](Connection& c) { return serve(c); });
  reactorThread_ = std::thread([this] { reactor_->run(); });
}

bool HttpServer::serve(Connection& c) {
  ConnectionStream stream(c.fd, c.tls.get(), std::string_view(c.buffer).substr(0, c.requestBytes),
                          c.peerAddress, c.peerPort,
                          std::chrono::steady_clock::now() + options_.writeTimeout);
  const bool last = c.bodyUnread || c.served + 1 >= options_.keepAliveMaxCount || reactor_->stopping();
  bool closedByClient = false;
  const bool answered = router_->process_request(stream, last, closedByClient, nullptr);
  ++c.served;
  if (c.requestBytes >= MemoryReturn::kLargeBytes || stream.written() >= MemoryReturn::kLargeBytes)
    memoryReturn_->largeWorkEnded();
  return answered && !closedByClient && !last;
}

void HttpServer::stop() {
  if (!reactor_) return;
  reactor_->stop();
  if (reactorThread_.joinable()) reactorThread_.join();
  workers_->shutdown();
}

std::size_t HttpServer::openConnections() const { return reactor_ ? reactor_->openConnections() : 0; }

}  // namespace ped::server
