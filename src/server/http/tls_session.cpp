#include "server/http/tls_session.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <climits>

namespace ped::server {

TlsSession::TlsSession(ssl_ctx_st* context, int fd) {
  ssl_ = SSL_new(context);
  if (ssl_ && SSL_set_fd(ssl_, fd) != 1) {
    SSL_free(ssl_);
    ssl_ = nullptr;
  }
  if (ssl_) SSL_set_accept_state(ssl_);
}

TlsSession::~TlsSession() { SSL_free(ssl_); }

TlsSession::Io TlsSession::outcome(int result) {
  switch (SSL_get_error(ssl_, result)) {
    case SSL_ERROR_NONE:
      return Io::Done;
    case SSL_ERROR_WANT_READ:
      return Io::WantRead;
    case SSL_ERROR_WANT_WRITE:
      return Io::WantWrite;
    case SSL_ERROR_ZERO_RETURN:
      return Io::Closed;
    default: {
      const unsigned long error = ERR_peek_error();
      if (!established_ && ERR_GET_LIB(error) == ERR_LIB_SSL && ERR_GET_REASON(error) == SSL_R_HTTP_REQUEST)
        plainHttp_ = true;
      // The queue is per thread and the next connection served here must
      // not see this one's errors.
      ERR_clear_error();
      return Io::Failed;
    }
  }
}

TlsSession::Io TlsSession::handshake() {
  const int result = SSL_do_handshake(ssl_);
  if (result == 1) {
    established_ = true;
    return Io::Done;
  }
  return outcome(result);
}

TlsSession::Io TlsSession::read(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  const int result = SSL_read_ex(ssl_, buffer, size, &got);
  return result == 1 ? Io::Done : outcome(result);
}

TlsSession::Io TlsSession::write(const char* buffer, std::size_t size) {
  std::size_t written = 0;
  const int result = SSL_write_ex(ssl_, buffer, size, &written);
  return result == 1 ? Io::Done : outcome(result);
}

std::size_t TlsSession::pending() const { return static_cast<std::size_t>(SSL_pending(ssl_)); }

void TlsSession::shutdown() {
  if (!established_) return;
  // One attempt: a peer that does not read does not hold the closing.
  if (SSL_shutdown(ssl_) < 0) ERR_clear_error();
}

}  // namespace ped::server
