#pragma once
// Operator passwords: stored only as Argon2id hashes (libsodium's
// crypto_pwhash_str, salt and cost parameters inside the hash text).

#include <string>
#include <string_view>

namespace ped::server::auth {

// The hash text to store. Throws std::runtime_error when memory for the
// key derivation cannot be had.
std::string hashPassword(std::string_view password);

// True when `password` matches `storedHash`; false for a wrong password and
// for a malformed hash.
bool verifyPassword(std::string_view password, const std::string& storedHash);

// A valid hash of a random password, made once per process with the same
// cost as the stored ones: checking a password against it takes as long as
// against an operator's real hash, and never succeeds.
const std::string& decoyHash();

// A fresh random session token (256 bits, hex) and the key under which the
// server keeps it (a hash: a stolen table gives no usable token).
std::string newSessionToken();
std::string sessionKey(std::string_view token);

}  // namespace ped::server::auth
