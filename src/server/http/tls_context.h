#pragma once
// The server's TLS identity: its certificate chain and private key, loaded
// once at start and shared by every connection. TLS 1.2 is the oldest
// version spoken; renegotiation is refused.

#include <string>

struct ssl_ctx_st;

namespace ped::server {

class TlsContext {
 public:
  // Loads the PEM certificate chain in `certFile` and the PEM private key in
  // `keyFile`. Throws std::runtime_error with a Portuguese message naming the
  // file at fault: unreadable, not a certificate or key (a key protected by
  // a pass phrase included: the server never asks for one), or a key that
  // does not belong to the certificate.
  TlsContext(const std::string& certFile, const std::string& keyFile);
  ~TlsContext();
  TlsContext(const TlsContext&) = delete;
  TlsContext& operator=(const TlsContext&) = delete;

  ssl_ctx_st* get() const { return ctx_; }

 private:
  ssl_ctx_st* ctx_ = nullptr;
};

}  // namespace ped::server
