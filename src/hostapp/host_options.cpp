#include "hostapp/host_options.h"

#include <charconv>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <utility>

#include "engine/value_text.h"
#include "hostapp/screen_code.h"

namespace ped::hostapp {
namespace {

using engine::value_text::trim;

struct Setting {
  std::string key;
  std::optional<std::string> value;  // none: a flag given bare on the command line
};

bool isFlag(const std::string& key) {
  return key == "bind-branch" || key == "no-bind-branch" || key == "help" || key == "insecure-plain-http";
}

bool takesValue(const std::string& key) {
  for (const char* known : {"server", "database", "operator", "password-file", "branch", "open",
                            "modules-dir", "config", "ca-file"})
    if (key == known) return true;
  return false;
}

std::runtime_error unknownOption(const std::string& key) {
  return std::runtime_error("Opção desconhecida: --" + key + ". Veja --help.");
}

bool yesNo(const std::string& key, const std::string& value) {
  if (value == "sim" || value == "s" || value == "true" || value == "1") return true;
  if (value == "não" || value == "nao" || value == "n" || value == "false" || value == "0") return false;
  throw std::runtime_error("Valor inválido para --" + key + ": \"" + value + "\" (use sim ou não).");
}

// "host:port", "http://host:port" or "https://host:port".
void parseServer(HostOptions& o, const std::string& given) {
  std::string value = given;
  bool tls = false;
  if (value.starts_with("https://")) {
    tls = true;
    value.erase(0, 8);
  } else if (value.starts_with("http://")) {
    value.erase(0, 7);
  }
  if (value.ends_with('/')) value.pop_back();
  const auto colon = value.rfind(':');
  if (colon == std::string::npos || colon == 0 || value.find('/') != std::string::npos)
    throw std::runtime_error(
        "Valor inválido para --server: \"" + given +
        "\" (esperado endereço:porta, http://endereço:porta ou https://endereço:porta).");
  std::string host = value.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  const std::string port = value.substr(colon + 1);
  int n = 0;
  const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), n);
  if (ec != std::errc() || end != port.data() + port.size() || n < 1 || n > 65535)
    throw std::runtime_error("Porta inválida em --server: \"" + port + "\" (de 1 a 65535).");
  o.serverHost = host;
  o.serverPort = n;
  o.serverTls = tls;
}

void apply(HostOptions& o, const Setting& s) {
  const std::string& key = s.key;
  if (!isFlag(key) && !takesValue(key)) throw unknownOption(key);
  if (isFlag(key)) {
    const bool on = s.value ? yesNo(key, *s.value) : true;
    if (key == "help")
      o.help = on;
    else if (key == "insecure-plain-http")
      o.insecurePlainHttp = on;
    else
      o.bindBranch = (key == "bind-branch") == on;
    return;
  }
  if (!s.value) throw std::runtime_error("Falta o valor de --" + key + ".");
  const std::string& value = *s.value;
  if (value.empty()) throw std::runtime_error("Valor vazio para --" + key + ".");
  if (key == "server")
    parseServer(o, value);
  else if (key == "database")
    o.database = value;
  else if (key == "operator")
    o.operatorCode = trim(value);
  else if (key == "password-file")
    o.passwordFile = value;
  else if (key == "branch")
    o.branch = trim(value);
  else if (key == "modules-dir")
    o.modulesDir = value;
  else if (key == "ca-file")
    o.caFile = value;
  else if (key == "open") {
    const auto code = normalizeScreenCode(value);
    if (!code) throw std::runtime_error("Código de tela inválido em --open: \"" + value + "\".");
    o.screens.push_back(*code);
  }
}

std::vector<Setting> readConfig(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("Não foi possível ler o arquivo de configuração " + path + ".");
  std::vector<Setting> settings;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (const auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    const std::string text = trim(line);
    if (text.empty()) continue;
    const auto eq = text.find('=');
    if (eq == std::string::npos)
      throw std::runtime_error(path + ", linha " + std::to_string(number) + ": esperado \"chave = valor\".");
    Setting s{trim(text.substr(0, eq)), trim(text.substr(eq + 1))};
    if (s.key == "config") throw std::runtime_error(path + ": um arquivo de configuração não inclui outro.");
    settings.push_back(std::move(s));
  }
  return settings;
}

std::vector<Setting> readCommandLine(const std::vector<std::string>& args) {
  std::vector<Setting> settings;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "-h") arg = "--help";
    if (!arg.starts_with("--")) throw std::runtime_error("Argumento inesperado: " + arg + ". Veja --help.");
    Setting s;
    if (const auto eq = arg.find('='); eq != std::string::npos) {
      s.key = arg.substr(2, eq - 2);
      s.value = arg.substr(eq + 1);
    } else {
      s.key = arg.substr(2);
      if (!isFlag(s.key) && !takesValue(s.key)) throw unknownOption(s.key);
      if (!isFlag(s.key)) {
        if (i + 1 >= args.size()) throw std::runtime_error("Falta o valor de " + arg + ".");
        s.value = args[++i];
      }
    }
    settings.push_back(std::move(s));
  }
  return settings;
}

}  // namespace

std::string hostUsage() {
  return "Uso: ped-host [opções]\n"
         "Aplicação de vendas: entrada do operador e abertura das telas (Liquidação Manual, PED00800).\n\n"
         "  --server ENDEREÇO:PORTA  servidor de aplicação (padrão 127.0.0.1:8800); com https://\n"
         "                           na frente, por HTTPS (http:// é o padrão)\n"
         "  --ca-file ARQUIVO        autoridade certificadora (PEM) que assina o certificado do\n"
         "                           servidor (padrão: as do sistema)\n"
         "  --insecure-plain-http    permite HTTP sem TLS com um servidor que não é local (inseguro:\n"
         "                           senha e sessão trafegam às claras na rede)\n"
         "  --database ALVO          banco de consultas: arquivo SQLite ou conexão PostgreSQL\n"
         "                           (padrão dados/ped00800.db)\n"
         "  --operator CÓDIGO        operador (preenche a tela de entrada)\n"
         "  --password-file ARQUIVO  senha na primeira linha do arquivo; com --operator entra sem\n"
         "                           a tela de entrada (uma falha sai com código 1)\n"
         "  --branch CÓDIGO          filial de trabalho (padrão: a primeira filial cadastrada)\n"
         "  --bind-branch            telas vinculadas à filial de trabalho\n"
         "  --no-bind-branch         telas não vinculadas à filial (padrão)\n"
         "  --open CÓDIGO            tela aberta após a entrada (pode repetir)\n"
         "  --modules-dir PASTA      pasta dos módulos de tela (padrão: $PED_MODULES_DIR, senão\n"
         "                           ../lib/ped00800/modules ao lado do executável)\n"
         "  --config ARQUIVO         lê opções de um arquivo (\"chave = valor\" por linha, # comenta);\n"
         "                           a linha de comando prevalece sobre o arquivo\n"
         "  --version                mostra a versão e sai\n"
         "  --help                   mostra esta ajuda\n";
}

HostOptions parseHostOptions(const std::vector<std::string>& args) {
  std::vector<Setting> command = readCommandLine(args);
  HostOptions o;
  for (const Setting& s : command) {
    if (s.key != "config") continue;
    if (!s.value || s.value->empty()) throw std::runtime_error("Falta o valor de --config.");
    for (const Setting& fromFile : readConfig(*s.value)) apply(o, fromFile);
  }
  // Screens named on the command line replace the file's list rather than add to it.
  bool commandOpens = false;
  for (const Setting& s : command) {
    if (s.key == "config") continue;
    if (s.key == "open" && !std::exchange(commandOpens, true)) o.screens.clear();
    apply(o, s);
  }
  if (!o.passwordFile.empty() && o.operatorCode.empty())
    throw std::runtime_error("--password-file exige --operator.");
  return o;
}

std::string readPasswordFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("Não foi possível ler o arquivo de senha " + path + ".");
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace ped::hostapp
