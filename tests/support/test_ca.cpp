#include "support/test_ca.h"

#include <stdlib.h>

#include <cstdlib>
#include <stdexcept>

namespace ped::testing {
namespace {

void run(const std::string& command) {
  if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
    throw std::runtime_error("openssl falhou: " + command);
}

void makeCa(const std::string& dir, const std::string& name) {
  run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj /CN=" + name +
      " -keyout " + dir + "/" + name + ".key -out " + dir + "/" + name + ".pem");
}

void issue(const std::string& dir, const std::string& ca, const std::string& name, const std::string& san) {
  const std::string base = dir + "/" + name;
  run("openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj /CN=" + name + " -addext " +
      "subjectAltName=" + san + " -keyout " + base + ".key -out " + base + ".csr");
  run("openssl x509 -req -days 2 -copy_extensions copyall -in " + base + ".csr -CA " + dir + "/" + ca +
      ".pem -CAkey " + dir + "/" + ca + ".key -CAcreateserial -out " + base + ".pem");
}

}  // namespace

TestCa::TestCa() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ped-ca-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp falhou");
  dir_ = pattern;
  const std::string dir = dir_.string();
  makeCa(dir, "ca");
  issue(dir, "ca", "server", "IP:127.0.0.1,IP:::1,DNS:localhost");
  issue(dir, "ca", "other", "DNS:outro.exemplo");
  makeCa(dir, "strangers");
  issue(dir, "strangers", "stranger", "IP:127.0.0.1,DNS:localhost");
}

TestCa::~TestCa() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

}  // namespace ped::testing
