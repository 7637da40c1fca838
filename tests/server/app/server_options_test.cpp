#include "server/app/server_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace ped::server {
namespace {

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

  auto refusal = [](std::vector<std::string> args) {
    try {
      parseServerOptions(args);
      return std::string("aceito");
    } catch (const std::runtime_error& e) {
      return std::string(e.what());
    }
  };
  EXPECT_EQ(refusal({"--porta", "1"}), "Opção desconhecida: --porta. Veja --help.");
  EXPECT_EQ(refusal({"--port", "70000"}), "Valor inválido para --port: \"70000\" (de 0 a 65535).");
  EXPECT_EQ(refusal({"--threads"}), "Falta o valor de --threads.");
  EXPECT_EQ(refusal({"--max-connections", "8"}),
            "Valor inválido para --max-connections: \"8\" (de 16 a 1000000).");
  EXPECT_EQ(refusal({"--log-max-size", "1000000"}),
            "--log-max-size renova um arquivo de registro: informe-o com --log.");
  EXPECT_EQ(refusal({"--config", "/nao/existe.conf"}),
            "Não foi possível ler o arquivo de configuração /nao/existe.conf.");
  std::ofstream(path) << "port 9000\n";
  EXPECT_EQ(refusal({"--config", path.string()}), path.string() + ", linha 1: esperado \"chave = valor\".");
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace ped::server
