#include "server/http/http_server.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <stdexcept>

#include "server/http/elastic_thread_pool.h"

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

}  // namespace

HttpServer::HttpServer(rpc::Dispatcher& dispatcher, HttpOptions options)
    : dispatcher_(dispatcher), options_(std::move(options)) {}

HttpServer::~HttpServer() { stop(); }

void HttpServer::configure() {
  httplib::Server& svr = *server_;
  const std::size_t warm = options_.threads;
  const std::size_t max = options_.maxThreads;
  svr.new_task_queue = [warm, max] { return new ElasticThreadPool(warm, max); };
  svr.set_tcp_nodelay(true);
  // cpp-httplib's default adds SO_REUSEPORT, which lets a second server bind
  // the same port and silently take half the connections.
  svr.set_socket_options([this](socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    listenSocket_ = sock;
  });
  svr.set_keep_alive_max_count(options_.keepAliveMaxCount);
  svr.set_keep_alive_timeout(options_.keepAliveTimeout.count());
  svr.set_read_timeout(options_.readTimeout.count(), 0);
  svr.set_write_timeout(options_.writeTimeout.count(), 0);
  svr.set_payload_max_length(options_.maxBodyBytes);

  // cpp-httplib would read a chunked body whole, past the size limit: refuse
  // it before any body is read, and close the connection, whose unread body
  // would otherwise be read as the next request.
  svr.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
    if (!req.has_header("Transfer-Encoding")) return httplib::Server::HandlerResponse::Unhandled;
    answerAndClose(res, 411, "Transfer-Encoding não é aceito; envie o corpo com Content-Length.");
    return httplib::Server::HandlerResponse::Handled;
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

void HttpServer::start() {
  if (server_) throw std::logic_error("HttpServer::start called twice");
  server_ = std::make_unique<httplib::Server>();
  configure();

  if (options_.port == 0) {
    port_ = server_->bind_to_any_port(options_.host);
  } else {
    port_ = server_->bind_to_port(options_.host, options_.port) ? options_.port : -1;
  }
  if (port_ <= 0) {
    std::string message = "Não foi possível abrir o servidor de aplicação em ";
    message += options_.host;
    message += ':';
    message += std::to_string(options_.port);
    message += " (endereço em uso ou inválido).";
    server_.reset();
    throw std::runtime_error(message);
  }

  // cpp-httplib listens with a backlog of 5: screens connecting at once
  // (a shift starting) would see dropped handshakes and one-second retries.
  // Listening again on the bound socket only raises the backlog.
  if (listenSocket_ >= 0) ::listen(listenSocket_, SOMAXCONN);

  listener_ = std::thread([this] {
    server_->listen_after_bind();
    listenerDone_ = true;
  });
  // stop() only takes effect once the listen loop runs; waiting here makes
  // an early stop() safe.
  while (!server_->is_running() && !listenerDone_) std::this_thread::yield();
}

void HttpServer::stop() {
  if (!server_) return;
  server_->stop();
  if (listener_.joinable()) listener_.join();
}

}  // namespace ped::server
