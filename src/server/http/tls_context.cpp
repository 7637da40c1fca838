#include "server/http/tls_context.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <fstream>
#include <stdexcept>

namespace ped::server {
namespace {

// A key protected by a pass phrase is refused rather than asked for on a
// terminal a service does not have.
extern "C" int noPassPhrase(char*, int, int, void*) { return 0; }

void mustBeReadable(const std::string& path, const char* what) {
  if (!std::ifstream(path))
    throw std::runtime_error(std::string("Não foi possível ler ") + what + " " + path + ".");
}

}  // namespace

TlsContext::TlsContext(const std::string& certFile, const std::string& keyFile) {
  mustBeReadable(certFile, "o certificado TLS");
  mustBeReadable(keyFile, "a chave privada TLS");
  ctx_ = SSL_CTX_new(TLS_server_method());
  if (!ctx_) throw std::runtime_error("Não foi possível preparar o TLS (OpenSSL).");
  SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
  SSL_CTX_set_options(ctx_, SSL_OP_NO_RENEGOTIATION | SSL_OP_CIPHER_SERVER_PREFERENCE);
  // Idle connections keep no record buffers: thousands of them stay cheap.
  SSL_CTX_set_mode(ctx_, SSL_MODE_RELEASE_BUFFERS);
  SSL_CTX_set_default_passwd_cb(ctx_, noPassPhrase);
  ERR_clear_error();
  if (SSL_CTX_use_certificate_chain_file(ctx_, certFile.c_str()) != 1) {
    SSL_CTX_free(ctx_);
    throw std::runtime_error("O arquivo " + certFile + " não contém um certificado TLS válido (PEM).");
  }
  // Read apart from the certificate, so a key that is not one and a key of
  // another certificate get messages of their own.
  EVP_PKEY* key = nullptr;
  if (BIO* in = BIO_new_file(keyFile.c_str(), "r")) {
    key = PEM_read_bio_PrivateKey(in, nullptr, noPassPhrase, nullptr);
    BIO_free(in);
  }
  if (!key) {
    SSL_CTX_free(ctx_);
    throw std::runtime_error("O arquivo " + keyFile +
                             " não contém uma chave privada válida (PEM, sem senha).");
  }
  const bool matches = SSL_CTX_use_PrivateKey(ctx_, key) == 1 && SSL_CTX_check_private_key(ctx_) == 1;
  EVP_PKEY_free(key);
  if (!matches) {
    SSL_CTX_free(ctx_);
    throw std::runtime_error("A chave privada " + keyFile + " não corresponde ao certificado " + certFile +
                             ".");
  }
  ERR_clear_error();
}

TlsContext::~TlsContext() { SSL_CTX_free(ctx_); }

}  // namespace ped::server
