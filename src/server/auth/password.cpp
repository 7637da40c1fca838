#include "server/auth/password.h"

#include <sodium.h>

#include <stdexcept>

namespace ped::server::auth {
namespace {

void ensureSodium() {
  static const bool ready = sodium_init() >= 0;
  if (!ready) throw std::runtime_error("Não foi possível iniciar a biblioteca de criptografia.");
}

std::string hex(const unsigned char* bytes, std::size_t n) {
  std::string out(n * 2 + 1, '\0');
  sodium_bin2hex(out.data(), out.size(), bytes, n);
  out.pop_back();
  return out;
}

}  // namespace

std::string hashPassword(std::string_view password) {
  ensureSodium();
  char out[crypto_pwhash_STRBYTES];
  // Interactive limits: about 64 MiB and a fraction of a second per log-in.
  if (crypto_pwhash_str(out, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
    throw std::runtime_error("Memória insuficiente para gerar o hash da senha.");
  return out;
}

bool verifyPassword(std::string_view password, const std::string& storedHash) {
  ensureSodium();
  if (storedHash.empty() || storedHash.size() >= crypto_pwhash_STRBYTES) return false;
  return crypto_pwhash_str_verify(storedHash.c_str(), password.data(), password.size()) == 0;
}

const std::string& decoyHash() {
  static const std::string hash = hashPassword(newSessionToken());
  return hash;
}

std::string newSessionToken() {
  ensureSodium();
  unsigned char bytes[32];
  randombytes_buf(bytes, sizeof bytes);
  return hex(bytes, sizeof bytes);
}

std::string sessionKey(std::string_view token) {
  ensureSodium();
  unsigned char digest[crypto_generichash_BYTES];
  crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(token.data()),
                     token.size(), nullptr, 0);
  return hex(digest, sizeof digest);
}

}  // namespace ped::server::auth
