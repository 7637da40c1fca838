#include "server/app/server_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "sql/connection.h"

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
  EXPECT_EQ(refusal({"--log-max-size", "1000000"}),
            "--log-max-size renova um arquivo de registro: informe-o com --log.");
  EXPECT_EQ(refusal({"--config", "/nao/existe.conf"}),
            "Não foi possível ler o arquivo de configuração /nao/existe.conf.");
  std::ofstream(path) << "port 9000\n";
  EXPECT_EQ(refusal({"--config", path.string()}), path.string() + ", linha 1: esperado \"chave = valor\".");
  std::filesystem::remove(path);
}

// The executable copies the configured database and exits, in both outcomes.
TEST(ServerOptions, BackupRunsFromTheConfigurationAndReportsRefusals) {
  const auto dir = std::filesystem::temp_directory_path() / "ped00800-backup-option-test";
  std::filesystem::create_directories(dir);
  sql::OpenOptions create;
  create.create = true;
  sql::open((dir / "dados.db").string(), create)
      ->executeScript("CREATE TABLE T (X INTEGER); INSERT INTO T VALUES (7)");
  std::ofstream(dir / "servidor.conf") << "database = " << (dir / "dados.db").string() << "\n";
  auto run = [](const std::string& args, std::string& out) {
    out.clear();
    FILE* pipe = popen((std::string(PED_SERVER_EXE) + " " + args + " 2>&1").c_str(), "r");
    char buffer[512];
    while (const auto n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    return WEXITSTATUS(pclose(pipe));
  };
  std::string out;
  EXPECT_EQ(
      run("--config " + (dir / "servidor.conf").string() + " --backup " + (dir / "copia.db").string(), out),
      0);
  EXPECT_TRUE(out.starts_with("Cópia de segurança de " + (dir / "dados.db").string() + " gravada em " +
                              (dir / "copia.db").string()))
      << out;
  EXPECT_EQ(sql::open((dir / "copia.db").string(), {})->query("SELECT X FROM T").integer(0, "X"), 7);
  EXPECT_EQ(run("--database 'host=db dbname=ped' --backup " + (dir / "outra.db").string(), out), 1);
  EXPECT_NE(out.find("Use pg_dump"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(dir / "outra.db"));
  std::filesystem::remove_all(dir);
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
