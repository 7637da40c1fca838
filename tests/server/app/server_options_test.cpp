#include "server/app/server_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace ped::server {
namespace {

std::string refusal(const std::vector<std::string>& args) {
  try {
    parseServerOptions(args);
    return "aceito";
  } catch (const std::runtime_error& e) {
    return e.what();
  }
}

TEST(ServerOptions, ConfigFileThenCommandLineAndClearRefusals) {
  const auto path = std::filesystem::temp_directory_path() / "ped00800-server-test.conf";
  std::ofstream(path)
      << "# servidor de teste\nport = 9000\ndatabase = host=db dbname=ped  # PostgreSQL\nthreads=8\n";
  const ServerOptions o = parseServerOptions(
      {"--config", path.string(), "--port=9100", "--log", "chamadas.log", "--max-per-address", "32"});
  EXPECT_EQ(o.port, 9100);  // the command line after the file wins
  EXPECT_EQ(o.database, "host=db dbname=ped");
  EXPECT_EQ(o.threads, 8u);
  EXPECT_EQ(o.logFile, "chamadas.log");
  EXPECT_EQ(o.listen, "127.0.0.1");
  EXPECT_EQ(o.maxConnectionsPerPeer, 32u);

  EXPECT_EQ(refusal({"--porta", "1"}), "Opção desconhecida: --porta. Veja --help.");
  EXPECT_EQ(refusal({"--port", "70000"}), "Valor inválido para --port: \"70000\" (de 0 a 65535).");
  EXPECT_EQ(refusal({"--threads"}), "Falta o valor de --threads.");
  EXPECT_EQ(refusal({"--max-connections", "8"}),
            "Valor inválido para --max-connections: \"8\" (de 16 a 1000000).");
  EXPECT_EQ(refusal({"--config", "/nao/existe.conf"}),
            "Não foi possível ler o arquivo de configuração /nao/existe.conf.");
  std::ofstream(path) << "port 9000\n";
  EXPECT_EQ(refusal({"--config", path.string()}), path.string() + ", linha 1: esperado \"chave = valor\".");
  std::filesystem::remove(path);
}

TEST(ServerOptions, PlainHttpOnTheNetworkOnlyWhenToldItIsInsecure) {
  EXPECT_EQ(
      refusal({"--listen", "0.0.0.0"}),
      "O endereço 0.0.0.0 não é local e o HTTP sem TLS exporia as sessões na rede: informe o certificado e "
      "a chave do servidor com --tls-cert ARQUIVO e --tls-key ARQUIVO (ou use --insecure-plain-http para "
      "aceitar o risco).");
  EXPECT_TRUE(refusal({"--listen", "srv.exemplo"}).starts_with("O endereço srv.exemplo não é local"));
  EXPECT_EQ(refusal({"--listen", "0.0.0.0", "--tls-cert", "c.pem"}),
            "Para HTTPS informe --tls-cert e --tls-key, os dois.");
  EXPECT_EQ(refusal({"--insecure-plain-http=talvez"}),
            "Valor inválido para --insecure-plain-http: \"talvez\" (use sim ou não).");
  for (const char* local : {"127.0.0.1", "127.9.0.1", "::1", "[::1]", "localhost", "::ffff:127.0.0.1"})
    EXPECT_EQ(refusal({"--listen", local}), "aceito") << local;

  const ServerOptions tls =
      parseServerOptions({"--listen", "0.0.0.0", "--tls-cert", "c.pem", "--tls-key", "k.pem"});
  EXPECT_EQ(tls.tlsCert, "c.pem");
  EXPECT_EQ(tls.tlsKey, "k.pem");
  EXPECT_FALSE(tls.insecurePlainHttp);
  EXPECT_TRUE(parseServerOptions({"--listen", "::", "--insecure-plain-http"}).insecurePlainHttp);
  const auto path = std::filesystem::temp_directory_path() / "ped00800-server-insecure.conf";
  std::ofstream(path) << "listen = 10.0.0.5\ninsecure-plain-http = sim\n";
  EXPECT_TRUE(parseServerOptions({"--config", path.string()}).insecurePlainHttp);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace ped::server
