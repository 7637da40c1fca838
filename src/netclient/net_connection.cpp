#include "netclient/net_connection.h"

#include <httplib.h>
#include <openssl/x509_vfy.h>
#include <simdjson.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <random>

#include "netclient/wire_format.h"
#include "rpc/loopback_address.h"

namespace ped::netclient {
namespace {

using hostlib::RemoteResult;

constexpr const char* kPath = "/Ped00800.rdmLiquidaItem";

template <typename Set>
void setTimeout(std::chrono::milliseconds t, Set set) {
  set(static_cast<time_t>(t.count() / 1000), static_cast<time_t>((t.count() % 1000) * 1000));
}

std::string hostPort(const std::string& host, int port) {
  std::string out;
  const bool v6 = host.find(':') != std::string::npos;
  if (v6) out.push_back('[');
  out += host;
  if (v6) out.push_back(']');
  out.push_back(':');
  out += std::to_string(port);
  return out;
}

RemoteResult messageWithAddress(std::string_view before, const std::string& address, std::string_view after) {
  std::string message(before);
  message += address;
  message += after;
  return RemoteResult::failure(std::move(message));
}

}  // namespace

TNetConnection::TNetConnection() = default;
TNetConnection::~TNetConnection() = default;

std::string TNetConnection::address() const {
  return client_ ? hostPort(openedHost_, openedPort_) : hostPort(Host, Port);
}

void TNetConnection::Open() {
  if (OnBeforeConnect) OnBeforeConnect(*this);
  client_.reset();
  openedHost_ = Host;
  openedPort_ = Port;
  openedTls_ = UseTls;
  openedCaFile_ = CaFile;
  if (Host.empty() || Port <= 0 || Port > 65535) return;  // the first call reports it
  if (UseTls) {
    // OpenSSL writes with write(), not send(MSG_NOSIGNAL): a server that
    // closed the connection under a call must fail the call, not end the
    // screen's process.
    std::signal(SIGPIPE, SIG_IGN);
    client_ = std::make_unique<httplib::Client>("https://" + hostPort(Host, Port));
    client_->enable_server_certificate_verification(true);
    if (!CaFile.empty()) client_->set_ca_cert_path(CaFile);
  } else {
    client_ = std::make_unique<httplib::Client>(Host, Port);
  }
  client_->set_keep_alive(true);
  client_->set_tcp_nodelay(true);
  applyTimeouts();
}

void TNetConnection::Close() { client_.reset(); }

void TNetConnection::applyTimeouts() {
  if (!client_) return;
  setTimeout(connectTimeout_, [&](time_t s, time_t us) { client_->set_connection_timeout(s, us); });
  setTimeout(readTimeout_, [&](time_t s, time_t us) { client_->set_read_timeout(s, us); });
  setTimeout(writeTimeout_, [&](time_t s, time_t us) { client_->set_write_timeout(s, us); });
}

void TNetConnection::setConnectTimeout(std::chrono::milliseconds t) {
  connectTimeout_ = t;
  applyTimeouts();
}

void TNetConnection::setReadTimeout(std::chrono::milliseconds t) {
  readTimeout_ = t;
  applyTimeouts();
}

void TNetConnection::setWriteTimeout(std::chrono::milliseconds t) {
  writeTimeout_ = t;
  applyTimeouts();
}

RemoteResult TNetConnection::tlsFailure(int error, const std::string& where) {
  switch (static_cast<httplib::Error>(error)) {
    case httplib::Error::SSLLoadingCerts:
      if (openedCaFile_.empty())
        return RemoteResult::failure(
            "Não foi possível carregar as autoridades certificadoras do sistema para verificar o servidor " +
            where + ".");
      return RemoteResult::failure("Não foi possível ler as autoridades certificadoras (CA) do arquivo " +
                                   openedCaFile_ + ".");
    case httplib::Error::SSLServerVerification:
      // cpp-httplib reports a bad chain and a name the certificate does not
      // carry alike; only the chain leaves a verification result.
      switch (client_ ? client_->get_openssl_verify_result() : X509_V_OK) {
        case X509_V_OK:
          return messageWithAddress("O certificado do servidor ", where, " não corresponde a esse endereço.");
        case X509_V_ERR_CERT_HAS_EXPIRED:
        case X509_V_ERR_CERT_NOT_YET_VALID:
          return messageWithAddress("O certificado do servidor ", where, " está fora da validade.");
        default:
          return messageWithAddress("O certificado do servidor ", where,
                                    " não foi emitido por uma autoridade certificadora confiável.");
      }
    default:
      return messageWithAddress(
          "Não foi possível estabelecer uma conexão segura (HTTPS) com o servidor de "
          "aplicação em ",
          where, ": confira se ele atende HTTPS nesse endereço.");
  }
}

RemoteResult TNetConnection::transportFailure(int error, std::chrono::steady_clock::duration elapsed) {
  const std::string where = address();
  const auto kind = static_cast<httplib::Error>(error);
  if (kind == httplib::Error::SSLConnection || kind == httplib::Error::SSLLoadingCerts ||
      kind == httplib::Error::SSLServerVerification) {
    RemoteResult failure = tlsFailure(error, where);
    Close();
    return failure;
  }
  Close();
  switch (kind) {
    case httplib::Error::Connection:
    case httplib::Error::ConnectionTimeout:
    case httplib::Error::BindIPAddress:
      return messageWithAddress("Não foi possível conectar ao servidor de aplicação em ", where, ".");
    case httplib::Error::Read:
      // cpp-httplib reports a read time-out and a dropped connection alike.
      if (elapsed + std::chrono::milliseconds(20) >= readTimeout_)
        return messageWithAddress("O servidor de aplicação em ", where, " não respondeu a tempo.");
      [[fallthrough]];
    default:
      return messageWithAddress("A conexão com o servidor de aplicação em ", where, " foi interrompida.");
  }
}

// A key unique to this connection and call: a random seed drawn once, and a
// counter, 128 bits in hex.
std::string TNetConnection::newRequestKey() {
  if (keySeed_[0] == 0 && keySeed_[1] == 0) {
    std::random_device random;
    for (std::uint64_t& word : keySeed_) word = (std::uint64_t{random()} << 32) ^ random();
  }
  // splitmix64 over seed and counter: distinct for every call of this connection.
  std::uint64_t words[2] = {keySeed_[0] + ++keyCount_ * 0x9E3779B97F4A7C15ULL, keySeed_[1] ^ keyCount_};
  char text[33];
  for (int w = 0; w < 2; ++w) {
    std::uint64_t z = words[w];
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    std::snprintf(text + 16 * w, 17, "%016llx", static_cast<unsigned long long>(z));
  }
  return std::string(text, 32);
}

RemoteResult TNetConnection::call(std::string_view method, std::vector<Arg> args) {
  if (!client_) Open();
  if (!client_) {
    return messageWithAddress("Servidor de aplicação não configurado: endereço inválido (", address(), ").");
  }

  if (exposesSession(method)) {
    const std::string where = address();
    return RemoteResult::failure("A conexão com o servidor de aplicação em " + where +
                                 " não é cifrada (HTTP sem TLS): a senha e a sessão não são enviadas por "
                                 "ela. Informe https://" +
                                 where + " em --server, ou --insecure-plain-http para aceitar o risco.");
  }

  const std::int64_t id = ++nextId_;
  std::string body;
  try {
    body = encodeCall(method, args, id);
  } catch (const ArgumentError& e) {
    return RemoteResult::failure(e.what());
  }

  httplib::Headers headers;
  if (!token_.empty()) {
    std::string bearer = "Bearer ";
    bearer += token_;
    headers.emplace("Authorization", std::move(bearer));
  }
  lastKey_ = newRequestKey();
  lastMayHaveRun_ = false;
  headers.emplace("Idempotency-Key", lastKey_);
  auto start = std::chrono::steady_clock::now();
  httplib::Result response = client_->Post(kPath, headers, body, "application/json");
  // A refused handshake or certificate sent nothing: not worth a second try.
  if (!response && response.error() != httplib::Error::Connection &&
      response.error() != httplib::Error::ConnectionTimeout &&
      response.error() != httplib::Error::SSLConnection &&
      response.error() != httplib::Error::SSLLoadingCerts &&
      response.error() != httplib::Error::SSLServerVerification &&
      !(response.error() == httplib::Error::Read &&
        std::chrono::steady_clock::now() - start + std::chrono::milliseconds(20) >= readTimeout_)) {
    // Dropped under way: the same call once more, on a new connection.
    lastMayHaveRun_ = true;
    Open();
    if (client_) {
      start = std::chrono::steady_clock::now();
      response = client_->Post(kPath, headers, body, "application/json");
    }
  }
  if (!client_)
    return messageWithAddress("A conexão com o servidor de aplicação em ", address(), " foi interrompida.");
  if (!response) {
    if (response.error() == httplib::Error::Read) lastMayHaveRun_ = true;
    return transportFailure(static_cast<int>(response.error()), std::chrono::steady_clock::now() - start);
  }
  lastMayHaveRun_ = false;  // answered
  if (response->status == 426)
    return messageWithAddress("O servidor de aplicação em ", address(),
                              " atende somente HTTPS: informe https://" + address() + " em --server.");
  if (response->status != 200) {
    std::string message = "O servidor de aplicação em ";
    message += address();
    message += " recusou a chamada ";
    message += method;
    message += " (HTTP ";
    message += std::to_string(response->status);
    message += ").";
    return RemoteResult::failure(std::move(message));
  }
  return decodeResponse(response->body, id);
}

RemoteResult TNetConnection::Logout(std::chrono::milliseconds bound) {
  if (token_.empty()) return RemoteResult::none();
  const auto kept = std::array{connectTimeout_, readTimeout_, writeTimeout_};
  connectTimeout_ = readTimeout_ = writeTimeout_ = bound;
  applyTimeouts();
  RemoteResult result = call("Logout", {});
  connectTimeout_ = kept[0];
  readTimeout_ = kept[1];
  writeTimeout_ = kept[2];
  applyTimeouts();
  if (result.ok) token_.clear();
  return result;
}

bool TNetConnection::exposesSession(std::string_view method) const {
  if (openedTls_ || InsecurePlainHttp || rpc::isLoopbackAddress(openedHost_)) return false;
  return method == "Login" || !token_.empty();
}

RemoteResult TNetConnection::Login(std::string_view operatorCode, std::string_view password) {
  RemoteResult result = call("Login", {Arg(operatorCode), Arg(password)});
  if (!result.ok) return result;
  const std::optional<std::string>& payload = result.at(0);
  simdjson::dom::parser parser;
  std::string_view token;
  if (result.array || !payload || parser.parse(*payload)["token"].get(token) != simdjson::SUCCESS ||
      token.empty())
    return RemoteResult::failure(std::string(kInvalidResponse));
  token_ = std::string(token);
  return result;
}

}  // namespace ped::netclient
