#pragma once
// One connection's TLS over its non-blocking socket. Nothing here waits:
// each step says what it needs (the socket readable, or writable) and the
// caller waits for it, the reactor on epoll, a worker on poll() within its
// deadline. Used by one thread at a time, the one that owns the connection.

#include <cstddef>

struct ssl_st;
struct ssl_ctx_st;

namespace ped::server {

class TlsSession {
 public:
  enum class Io {
    Done,       // the step is complete
    WantRead,   // wait until the socket is readable, then repeat it
    WantWrite,  // wait until the socket is writable, then repeat it
    Closed,     // the peer ended the connection
    Failed,     // a protocol or socket error: close the connection
  };

  // `context` must outlive the session; `fd` stays the caller's to close,
  // after the session is destroyed.
  TlsSession(ssl_ctx_st* context, int fd);
  ~TlsSession();
  TlsSession(const TlsSession&) = delete;
  TlsSession& operator=(const TlsSession&) = delete;

  // False when OpenSSL could not set the session up (out of memory).
  bool valid() const { return ssl_ != nullptr; }

  // The server's side of the handshake, resumed until Done.
  Io handshake();
  bool established() const { return established_; }
  // After a Failed handshake: the peer sent a plain HTTP request instead.
  bool peerSpokePlainHttp() const { return plainHttp_; }

  // Up to `size` bytes of the request; `got` says how many on Done.
  Io read(char* buffer, std::size_t size, std::size_t& got);
  // Writes `size` bytes; on WantRead/WantWrite nothing was taken, and the
  // same bytes must be offered again.
  Io write(const char* buffer, std::size_t size);
  // Decrypted bytes OpenSSL holds: these do not make the socket readable.
  std::size_t pending() const;

  // Sends the closing alert without waiting for the peer's answer.
  void shutdown();

 private:
  Io outcome(int result);

  ssl_st* ssl_ = nullptr;
  bool established_ = false;
  bool plainHttp_ = false;
};

}  // namespace ped::server
