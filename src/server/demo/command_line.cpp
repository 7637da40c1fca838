#include "server/demo/command_line.h"

#include <charconv>
#include <optional>

#include "server/demo/generator.h"

namespace ped::server::demo {
namespace {

template <typename T>
std::optional<T> wholeNumber(const std::string& text) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

std::string usageText() {
  return std::string(
             "Uso: ped00800-demo --database <banco> [--seed N] [--orders N] [--force]\n"
             "\n"
             "Cria o esquema do servidor e preenche o banco com dados de demonstração da\n"
             "Liquidação Manual (PED00800): filiais, operadores, vendedores, clientes,\n"
             "produtos, estoque e pedidos datados em relação à data de hoje.\n"
             "\n"
             "  --database <banco>  arquivo SQLite (criado se não existir) ou string de\n"
             "                      conexão PostgreSQL (\"postgresql://...\" ou \"host=... dbname=...\")\n"
             "  --seed N            semente dos dados (padrão 1): a mesma semente, no mesmo dia,\n"
             "                      gera os mesmos dados\n"
             "  --orders N          quantidade de pedidos, de ") +
         std::to_string(kMinimumOrders) + " a " + std::to_string(kMaximumOrders) +
         " (padrão 2000)\n"
         "  --force             apaga os dados existentes antes de gerar; sem esta opção,\n"
         "                      um banco que já tem dados é recusado sem alteração\n"
         "  --version           mostra a versão e sai\n"
         "  --help              mostra esta ajuda\n";
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine out;
  const auto fail = [&](std::string message) {
    out.error = std::move(message);
    return out;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    const bool takesValue = name == "--database" || name == "--seed" || name == "--orders";
    if (takesValue && !value) {
      if (i + 1 >= args.size()) return fail(std::string("Falta o valor de ") + name + ".");
      value = args[++i];
    }
    if (!takesValue && value) return fail(std::string("A opção ") + name + " não recebe valor.");
    if (name == "--help" || name == "-h") {
      out.help = true;
    } else if (name == "--version") {
      out.version = true;
    } else if (name == "--force") {
      out.force = true;
    } else if (name == "--database") {
      if (value->empty()) return fail("Informe o banco de dados em --database.");
      out.database = *value;
    } else if (name == "--seed") {
      const auto seed = wholeNumber<std::uint64_t>(*value);
      if (!seed)
        return fail(std::string("Semente inválida: \"") + *value +
                    "\". Informe um número inteiro não negativo.");
      out.seed = *seed;
    } else if (name == "--orders") {
      const auto orders = wholeNumber<int>(*value);
      if (!orders || *orders < kMinimumOrders || *orders > kMaximumOrders)
        return fail(std::string("Quantidade de pedidos inválida: \"") + *value + "\". Informe um número de " +
                    std::to_string(kMinimumOrders) + " a " + std::to_string(kMaximumOrders) + ".");
      out.orders = *orders;
    } else {
      return fail(std::string("Opção desconhecida: ") + name + ".");
    }
  }
  if (!out.help && !out.version && out.database.empty())
    return fail("Informe o banco de dados com --database.");
  return out;
}

}  // namespace ped::server::demo
