#include "server/app/server_options.h"

#include <charconv>
#include <fstream>
#include <stdexcept>

#include "engine/value_text.h"
#include "rpc/loopback_address.h"

namespace ped::server {
namespace {

std::size_t count(const std::string& key, const std::string& value, std::size_t min, std::size_t max) {
  std::size_t n = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
  if (ec != std::errc() || end != value.data() + value.size() || n < min || n > max)
    throw std::runtime_error("Valor inválido para --" + key + ": \"" + value + "\" (de " +
                             std::to_string(min) + " a " + std::to_string(max) + ").");
  return n;
}

bool isFlag(const std::string& key) { return key == "insecure-plain-http"; }

bool yesNo(const std::string& key, const std::string& value) {
  if (value == "sim" || value == "s" || value == "true" || value == "1") return true;
  if (value == "não" || value == "nao" || value == "n" || value == "false" || value == "0") return false;
  throw std::runtime_error("Valor inválido para --" + key + ": \"" + value + "\" (use sim ou não).");
}

// The session token travels in every call: it leaves this machine only
// encrypted, unless the operator says otherwise in so many words.
void checkTransport(const ServerOptions& o) {
  if (o.tlsCert.empty() != o.tlsKey.empty())
    throw std::runtime_error("Para HTTPS informe --tls-cert e --tls-key, os dois.");
  if (!o.tlsCert.empty() || o.insecurePlainHttp || rpc::isLoopbackAddress(o.listen)) return;
  throw std::runtime_error("O endereço " + o.listen +
                           " não é local e o HTTP sem TLS exporia as sessões na rede: informe o "
                           "certificado e a chave do servidor com --tls-cert ARQUIVO e --tls-key "
                           "ARQUIVO (ou use --insecure-plain-http para aceitar o risco).");
}

void set(ServerOptions& o, const std::string& key, const std::string& value);

void readConfig(ServerOptions& o, const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("Não foi possível ler o arquivo de configuração " + path + ".");
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (const auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    const std::string trimmed = engine::value_text::trim(line);
    if (trimmed.empty()) continue;
    const auto eq = trimmed.find('=');
    if (eq == std::string::npos)
      throw std::runtime_error(path + ", linha " + std::to_string(number) + ": esperado \"chave = valor\".");
    const std::string key = engine::value_text::trim(trimmed.substr(0, eq));
    if (key == "config") throw std::runtime_error(path + ": um arquivo de configuração não inclui outro.");
    set(o, key, engine::value_text::trim(trimmed.substr(eq + 1)));
  }
}

void set(ServerOptions& o, const std::string& key, const std::string& value) {
  if (key == "listen")
    o.listen = value;
  else if (key == "port")
    o.port = static_cast<int>(count(key, value, 0, 65535));
  else if (key == "database")
    o.database = value;
  else if (key == "threads")
    o.threads = count(key, value, 1, 4096);
  else if (key == "connections")
    o.connections = count(key, value, 1, 1024);
  else if (key == "max-body")
    o.maxBodyBytes = count(key, value, 1024, std::size_t{1} << 30);
  else if (key == "max-orders")
    o.maxOrderRows = count(key, value, 1, 10000000);
  else if (key == "statement-timeout")
    o.statementTimeoutMs = static_cast<int>(count(key, value, 100, 3600000));
  else if (key == "max-connections")
    o.maxConnections = count(key, value, 16, 1000000);
  else if (key == "max-per-address")
    o.maxConnectionsPerPeer = count(key, value, 1, 1000000);
  else if (key == "request-timeout")
    o.requestTimeoutMs = static_cast<int>(count(key, value, 100, 600000));
  else if (key == "log")
    o.logFile = value;
  else if (key == "log-max-size")
    o.logMaxSize = count(key, value, 0, std::size_t{1} << 40);
  else if (key == "log-files")
    o.logFiles = count(key, value, 1, 1000);
  else if (key == "backup")
    o.backupTo = value;
  else if (key == "tls-cert")
    o.tlsCert = value;
  else if (key == "tls-key")
    o.tlsKey = value;
  else if (key == "insecure-plain-http")
    o.insecurePlainHttp = yesNo(key, value);
  else if (key == "config")
    readConfig(o, value);
  else
    throw std::runtime_error("Opção desconhecida: --" + key + ". Veja --help.");
  if (value.empty() && key != "log") throw std::runtime_error("Valor vazio para --" + key + ".");
}

}  // namespace

std::string usage() {
  return "Uso: ped00800-server [opções]\n"
         "Servidor de aplicação da Liquidação Manual (PED00800): JSON-RPC 2.0 sobre HTTP(S) em\n"
         "POST /Ped00800.rdmLiquidaItem; GET /health (vivo), GET /ready (pronto para atender) e\n"
         "GET /metrics (métricas no formato de texto do Prometheus).\n\n"
         "  --listen ENDEREÇO     endereço de escuta (padrão 127.0.0.1)\n"
         "  --port N              porta (padrão 8800; 0 escolhe uma porta livre)\n"
         "  --database ALVO       arquivo SQLite, ou conexão PostgreSQL (\"host=... dbname=...\" ou\n"
         "                        \"postgresql://...\"); padrão dados/ped00800.db\n"
         "  --config ARQUIVO      lê opções de um arquivo (\"chave = valor\" por linha, # comenta)\n"
         "  --threads N           telas atendidas ao mesmo tempo sem espera (padrão 64)\n"
         "  --connections N       conexões com o banco de dados (padrão 16)\n"
         "  --max-body BYTES      tamanho máximo de uma requisição (padrão 16 MiB)\n"
         "  --max-orders N        máximo de pedidos numa consulta (padrão 200000)\n"
         "  --statement-timeout MS  tempo máximo de um comando no banco de dados (padrão 30000)\n"
         "  --max-connections N   conexões abertas ao mesmo tempo (padrão 10000)\n"
         "  --max-per-address N   conexões abertas de um mesmo endereço (padrão 256)\n"
         "  --request-timeout MS  tempo máximo para uma requisição chegar inteira (padrão 10000)\n"
         "  --log ARQUIVO         registro das chamadas (padrão: saída de erro)\n"
         "  --log-max-size BYTES  com --log, renova o arquivo ao passar deste tamanho (padrão 0:\n"
         "                        nunca); os anteriores ficam numerados ao lado (servidor.log:\n"
         "                        servidor.1.log, o mais recente, servidor.2.log...)\n"
         "  --log-files N         arquivos renovados guardados (padrão 5)\n"
         "  --version             mostra a versão e sai\n"
         "  --backup DESTINO      copia o banco SQLite para DESTINO, mesmo com o servidor em\n"
         "                        execução, e termina (PostgreSQL: use pg_dump)\n"
         "  --tls-cert ARQUIVO    certificado do servidor (PEM, com a cadeia): atende HTTPS\n"
         "  --tls-key ARQUIVO     chave privada do certificado (PEM, sem senha)\n"
         "  --insecure-plain-http aceita HTTP sem TLS num endereço que não é local (inseguro:\n"
         "                        as sessões trafegam às claras na rede)\n"
         "  --help                mostra esta ajuda\n";
}

ServerOptions parseServerOptions(const std::vector<std::string>& args) {
  ServerOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "--help" || arg == "-h") {
      o.help = true;
      continue;
    }
    if (arg == "--version") {
      o.version = true;
      continue;
    }
    if (!arg.starts_with("--")) throw std::runtime_error("Argumento inesperado: " + arg + ". Veja --help.");
    std::string value;
    if (const auto eq = arg.find('='); eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
    } else if (isFlag(arg.substr(2))) {
      value = "sim";
    } else {
      if (i + 1 >= args.size()) throw std::runtime_error("Falta o valor de " + arg + ".");
      value = args[++i];
    }
    set(o, arg.substr(2), value);
  }
  if (o.logMaxSize > 0 && o.logFile.empty())
    throw std::runtime_error("--log-max-size renova um arquivo de registro: informe-o com --log.");
  // A backup or a version asks nothing of the transport.
  if (!o.help && !o.version && o.backupTo.empty()) checkTransport(o);
  return o;
}

}  // namespace ped::server
