// ped00800-demo: fills a server database with demo data (see README,
// "Dados de demonstração").

#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "buildinfo/build_info.h"
#include "engine/date_time.h"
#include "engine/text.h"
#include "server/demo/command_line.h"
#include "server/demo/generator.h"
#include "server/demo/writer.h"
#include "sql/connection.h"

namespace {

using namespace ped::server::demo;

// 12345 -> "12.345"
std::string grouped(std::int64_t n) {
  const std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
    out += digits[i];
  }
  return out;
}

void printSummary(const DemoSummary& s, double seconds) {
  const std::pair<const char*, std::int64_t> lines[] = {{"Filiais", s.branches},
                                                        {"Operadores", s.operators},
                                                        {"Vendedores", s.sellers},
                                                        {"Clientes", s.clients},
                                                        {"Produtos", s.products},
                                                        {"Lotes", s.lots},
                                                        {"Posições de estoque", s.positions},
                                                        {"Pedidos", s.orders},
                                                        {"Itens de pedido", s.items},
                                                        {"Reservas", s.reservations},
                                                        {"Liquidações manuais", s.settlements}};
  std::cout << "Dados de demonstração gerados:\n";
  for (const auto& [label, count] : lines) {
    const std::string number = grouped(count);
    // Widths in characters: the labels are UTF-8.
    const std::size_t used = ped::engine::text::length(label) + number.size();
    std::cout << "  " << label << std::string(used < 32 ? 32 - used : 1, ' ') << number << '\n';
  }
  std::printf("Tempo: %.2f s\n", seconds);
}

}  // namespace

int main(int argc, char** argv) {
  const CommandLine args = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (args.help) {
    std::cout << usageText();
    return 0;
  }
  if (args.version && args.error.empty()) {
    std::cout << ped::buildinfo::versionLine("ped00800-demo") << '\n';
    return 0;
  }
  if (!args.error.empty()) {
    std::cerr << "ped00800-demo: " << args.error << "\nUse --help para ver as opções.\n";
    return 2;
  }
  try {
    const auto start = std::chrono::steady_clock::now();
    ped::sql::OpenOptions options;
    options.create = true;
    auto db = ped::sql::open(args.database, options);
    const GeneratorOptions generator{
        .seed = args.seed, .orders = args.orders, .today = ped::engine::SystemClock().today()};
    const DemoSummary summary = writeDemoData(*db, generateDemoData(generator), args.force);
    printSummary(summary, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return 0;
  } catch (const DemoError& e) {
    std::cerr << "ped00800-demo: " << e.what() << '\n';
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "ped00800-demo: " << e.what() << "\nNenhum dado foi gravado.\n";
    return 1;
  }
}
