#pragma once
// A throw-away certificate authority for TLS tests, made with the openssl
// command in a temporary folder the object removes: the CA itself, a server
// certificate for 127.0.0.1 and localhost, one for another name only, and a
// second CA nobody trusts with a certificate for 127.0.0.1 of its own.

#include <filesystem>
#include <string>

namespace ped::testing {

class TestCa {
 public:
  // Throws std::runtime_error when the openssl command fails.
  TestCa();
  ~TestCa();
  TestCa(const TestCa&) = delete;
  TestCa& operator=(const TestCa&) = delete;

  std::string caFile() const { return path("ca.pem"); }
  // For 127.0.0.1, ::1 and localhost, signed by caFile().
  std::string serverCert() const { return path("server.pem"); }
  std::string serverKey() const { return path("server.key"); }
  // For "outro.exemplo" only, signed by caFile().
  std::string otherNameCert() const { return path("other.pem"); }
  std::string otherNameKey() const { return path("other.key"); }
  // For 127.0.0.1, signed by a CA that is not caFile().
  std::string strangerCert() const { return path("stranger.pem"); }
  std::string strangerKey() const { return path("stranger.key"); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

}  // namespace ped::testing
