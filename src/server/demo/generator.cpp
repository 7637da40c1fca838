#include "server/demo/generator.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_set>
#include <utility>

#include "domain/status_rules.h"
#include "engine/text.h"
#include "server/demo/documents.h"
#include "server/demo/generation_steps.h"
#include "server/demo/names.h"

namespace ped::server::demo {
namespace {

void addBranches(DemoData& data) {
  // One branch for each way the settlement treats stock: full stock keys and
  // movement, warehouses only, no stock at all.
  data.branches = {
      {.code = "0001",
       .name = "Matriz São Paulo",
       .usesWarehouse = true,
       .usesLocation = true,
       .usesLot = true,
       .controlsStock = true,
       .movesStockOnSettlement = true,
       .showOrders = '2'},
      {.code = "0002", .name = "Filial Campinas", .usesWarehouse = true, .movesStockOnSettlement = true},
      {.code = "0003", .name = "Filial Belo Horizonte"},
  };
}

std::string personName(Random& random) {
  const bool female = random.chance(50);
  const auto& first = female ? names::femaleFirstNames() : names::maleFirstNames();
  std::string name = random.pick(first);
  if (random.chance(30)) {
    const std::string& second = random.pick(first);
    if (second != name) name.append(" ").append(second);
  }
  name.append(" ").append(random.pick(names::surnames()));
  if (random.chance(60)) {
    const std::string& last = random.pick(names::surnames());
    if (!name.ends_with(last)) name.append(" ").append(last);
  }
  return name;
}

void addSellers(DemoData& data, Random& random) {
  static const std::pair<const char*, const char*> kPriceTables[] = {
      {"01", "Tabela Varejo"}, {"02", "Tabela Atacado"}, {"03", "Tabela Especial"}};
  for (int i = 1; i <= 12; ++i) {
    const auto& [tableCode, tableName] = kPriceTables[i % 3];
    data.sellers.push_back({.code = zeroPadded(i, 4),
                            .name = personName(random),
                            .commissionPercent = static_cast<double>(random.between(3, 10)) / 2,
                            .priceTableCode = tableCode,
                            .priceTableName = tableName});
  }
}

void addOperators(DemoData& data) {
  data.operators = {
      {.code = "ADMIN", .name = "Administrador do Sistema", .password = "admin123", .seesAllSellers = true},
      {.code = "GERENTE",
       .name = "Marta Regina Figueiredo",
       .password = "gerente123",
       .seesAllSellers = true},
      // Without a seller and not released for all: refused where operators see only their seller's orders.
      {.code = "SEMVEND", .name = "Paulo Ricardo Nunes", .password = "semvend123"},
      {.code = "VENDEDOR1",
       .name = data.sellers.front().name,
       .password = "vendedor123",
       .seller = data.sellers.front().code},
  };
}

std::string companyTradeName(Random& random) {
  const std::string& kind = random.pick(names::businessKinds());
  if (random.chance(60)) return kind + " " + random.pick(names::businessNames());
  std::string name = kind + " " + random.pick(names::surnames());
  if (random.chance(15)) name += " & Filhos";
  return name;
}

std::string uniqueDocument(Random& random, bool company, std::unordered_set<std::string>& taken) {
  for (;;) {
    std::string base;
    for (int i = 0; i < (company ? 8 : 9); ++i) base += static_cast<char>('0' + random.below(10));
    if (company) base += random.chance(85) ? "0001" : "0002";
    std::string document = company ? completeCnpj(base) : completeCpf(base);
    const bool valid = company ? isValidCnpj(document) : isValidCpf(document);
    if (valid && taken.insert(document).second) return document;
  }
}

Address address(Random& random, char type, const City& city) {
  std::string street = random.pick(names::streets()) + ", " + std::to_string(random.between(10, 3999));
  if (random.chance(20)) street += random.pick(names::addressComplements());
  return {.type = type, .street = std::move(street), .state = city.state, .cityCode = city.code};
}

// A client's names fit their 50-character columns, cut after a whole word.
std::string fitClientName(std::string name) {
  constexpr std::size_t kWidth = 50;
  if (engine::text::length(name) <= kWidth) return name;
  std::string cut(engine::text::truncate(name, kWidth));
  if (const auto space = cut.rfind(' '); space != std::string::npos && space > 0) cut.resize(space);
  return cut;
}

void addClients(DemoData& data, Random& random, int orders) {
  for (const auto& c : names::cities()) data.cities.push_back({c.state, c.ibgeCode, c.name});
  const int count = std::max(50, orders / 10);
  std::unordered_set<std::string> documents;
  for (int i = 1; i <= count; ++i) {
    Client client;
    client.code = zeroPadded(i, 6);
    const bool company = random.chance(60);
    client.personType = company ? 'J' : 'F';
    client.document = uniqueDocument(random, company, documents);
    if (company) {
      client.tradeName = fitClientName(companyTradeName(random));
      client.legalName = client.tradeName + random.pick(names::legalSuffixes());
      if (engine::text::length(client.legalName) > 50)
        client.legalName = fitClientName(client.tradeName + " Ltda");
    } else {
      client.tradeName = client.legalName = fitClientName(personName(random));
    }
    const City& home = random.pick(data.cities);
    client.addresses.push_back(address(random, 'P', home));
    if (random.chance(25))
      client.addresses.push_back(address(random, 'E', random.chance(70) ? home : random.pick(data.cities)));
    data.clients.push_back(std::move(client));
  }
}

void addProducts(DemoData& data) {
  std::map<std::pair<int, int>, int> lastItem;  // per group and subgroup
  for (const names::CatalogEntry& entry : names::catalog()) {
    const std::size_t variants = std::max<std::size_t>(1, entry.variants.size());
    for (std::size_t v = 0; v < variants; ++v) {
      const int item = ++lastItem[{entry.group, entry.subgroup}];
      std::string name = entry.name;
      if (!entry.variants.empty()) name += std::string(" ") + entry.variants[v];
      data.products.push_back(
          {.code = zeroPadded(static_cast<std::int64_t>(data.products.size()) + 1, 6),
           .treeCode = zeroPadded(entry.group, 2) + zeroPadded(entry.subgroup, 2) + zeroPadded(item, 3),
           .name = std::move(name),
           .unit = entry.unit,
           .listPrice = cents(entry.price + entry.variantStep * static_cast<double>(v))});
    }
  }
}

}  // namespace

const Product& productOf(const DemoData& data, const std::string& code) {
  return *std::lower_bound(data.products.begin(), data.products.end(), code,
                           [](const Product& p, const std::string& c) { return p.code < c; });
}

bool isOpenItemStatus(char status) { return domain::isOpenItem(std::string_view(&status, 1)); }

bool isSettledItemStatus(char status) { return domain::isSettledItem(std::string_view(&status, 1)); }

char orderStatusOf(const std::vector<char>& itemStatuses) {
  std::vector<std::string> statuses;
  for (const char s : itemStatuses) statuses.emplace_back(1, s);
  return domain::orderStatusFromItems(statuses).front();
}

bool soldByMeasure(const std::string& unit) { return unit == "KG" || unit == "LT" || unit == "M"; }

double cents(double value) { return std::round(value * 100) / 100; }

std::string zeroPadded(std::int64_t value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width)
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  return digits;
}

void addRegisters(DemoData& data, Random& random, const GeneratorOptions& options) {
  addBranches(data);
  addSellers(data, random);
  addOperators(data);
  for (const auto& j : names::justifications()) data.justifications.push_back({j.code, j.description});
  addClients(data, random, options.orders);
  addProducts(data);
}

DemoData generateDemoData(const GeneratorOptions& options) {
  DemoData data;
  Random random(options.seed);
  addRegisters(data, random, options);
  addStock(data, random, options.today, options.orders);
  addOrders(data, random, options);
  addReservations(data, random, options.today);
  return data;
}

}  // namespace ped::server::demo
