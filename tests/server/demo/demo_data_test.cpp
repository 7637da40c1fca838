// The demo data as generated in memory: documents, determinism, dating.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "engine/date_time.h"
#include "engine/text.h"
#include "server/demo/command_line.h"
#include "server/demo/documents.h"
#include "server/demo/generator.h"
#include "server/support/demo_expectations.h"

namespace ped::server::demo {
namespace {

double day(int y, int m, int d) { return engine::date_time::fromCivil({y, m, d}); }

TEST(Documents, CheckDigitsFollowTheModulus11Rule) {
  EXPECT_EQ(completeCpf("529982247"), "52998224725");
  EXPECT_EQ(completeCpf("111444777"), "11144477735");
  EXPECT_EQ(completeCnpj("112223330001"), "11222333000181");
  EXPECT_EQ(completeCnpj("000000000001"), "00000000000191");  // a check digit whose rest is below 2

  EXPECT_TRUE(isValidCpf("52998224725"));
  EXPECT_TRUE(isValidCnpj("11222333000181"));
  for (const char* bad : {"52998224724", "52998224752", "5299822472", "529982247250", "5299822472a",
                          "11111111111", "00000000000", ""})
    EXPECT_FALSE(isValidCpf(bad)) << bad;
  for (const char* bad : {"11222333000180", "11222333000118", "1122233300018", "11.222.333/0001-81",
                          "00000000000000", "11222333000181 "})
    EXPECT_FALSE(isValidCnpj(bad)) << bad;
}

class Generated : public ::testing::Test {
 protected:
  static constexpr int kOrders = 400;
  GeneratorOptions options(std::uint64_t seed, double today) {
    return {.seed = seed, .orders = kOrders, .today = today};
  }
  const double today_ = day(2026, 3, 15);
};

TEST_F(Generated, TheSameSeedAndDayGiveTheSameData) {
  const DemoData a = generateDemoData(options(42, today_));
  EXPECT_TRUE(a == generateDemoData(options(42, today_)));
  const DemoData other = generateDemoData(options(43, today_));
  EXPECT_FALSE(a.orders == other.orders);
  EXPECT_FALSE(a.clients == other.clients);
  EXPECT_EQ(a.orders.size(), static_cast<std::size_t>(kOrders));
  EXPECT_EQ(a.clients.size(), 50u);
  EXPECT_EQ(generateDemoData({.seed = 1, .orders = 2000, .today = today_}).clients.size(), 200u);
}

TEST_F(Generated, OrderStatusesAgreeWithTheirItemsWhateverTheSeed) {
  for (std::uint64_t seed = 1; seed <= 40; ++seed) {
    const DemoData data = generateDemoData(options(seed, today_));
    std::map<std::pair<std::string, std::string>, std::vector<char>> items;
    for (const Item& i : data.items) items[{i.branch, i.order}].push_back(i.status);
    for (const Order& o : data.orders)
      EXPECT_EQ(orderStatusProblem(o.status, items[{o.branch, o.number}]), "")
          << "seed " << seed << ", order " << o.branch << "/" << o.number;
  }
}

TEST_F(Generated, EverythingIsDatedRelativeToToday) {
  const DemoData now = generateDemoData(options(5, today_));
  const DemoData later = generateDemoData(options(5, today_ + 30));
  ASSERT_EQ(now.orders.size(), later.orders.size());
  for (std::size_t i = 0; i < now.orders.size(); ++i) {
    EXPECT_EQ(later.orders[i].date, now.orders[i].date + 30);
    EXPECT_EQ(later.orders[i].number, now.orders[i].number);
  }
  ASSERT_EQ(now.lots.size(), later.lots.size());
  for (std::size_t i = 0; i < now.lots.size(); ++i)
    if (now.lots[i].validUntil) {
      EXPECT_EQ(*later.lots[i].validUntil, *now.lots[i].validUntil + 30);
    }

  int lastWeek = 0;
  for (const Order& o : now.orders) {
    EXPECT_LE(o.date, today_);
    EXPECT_GE(o.date, today_ - 60);
    if (o.delivery) {
      EXPECT_GT(*o.delivery, o.date);
    }
    lastWeek += o.date > today_ - 7;
  }
  EXPECT_GT(lastWeek, kOrders / 4) << "the screen opens on the last 7 days";
}

TEST_F(Generated, ProductsAndClientsAreWellFormed) {
  const DemoData data = generateDemoData(options(9, today_));
  EXPECT_GE(data.products.size(), 200u);
  std::vector<std::string> trees;
  for (const Product& p : data.products) {
    EXPECT_LE(p.code.size(), 10u);
    ASSERT_EQ(p.treeCode.size(), 7u) << p.name;
    EXPECT_TRUE(std::all_of(p.treeCode.begin(), p.treeCode.end(), [](char c) {
      return c >= '0' && c <= '9';
    })) << p.treeCode;
    EXPECT_NE(p.treeCode.substr(4), "000") << "item numbers start at 001";
    EXPECT_GT(p.listPrice, 0) << p.name;
    trees.push_back(p.treeCode);
  }
  std::sort(trees.begin(), trees.end());
  EXPECT_EQ(std::adjacent_find(trees.begin(), trees.end()), trees.end()) << "tree codes are unique";

  int people = 0, companies = 0;
  for (const Client& c : data.clients) {
    if (c.personType == 'F') {
      ++people;
      EXPECT_TRUE(isValidCpf(c.document)) << c.document;
    } else {
      ++companies;
      EXPECT_TRUE(isValidCnpj(c.document)) << c.document;
    }
    ASSERT_FALSE(c.addresses.empty());
    EXPECT_EQ(c.addresses.front().type, 'P');
  }
  EXPECT_GT(people, 0);
  EXPECT_GT(companies, 0);

  // Long names turn up once there are thousands of clients: they must still
  // fit their 50-character columns (PostgreSQL refuses the whole write).
  for (std::uint64_t seed : {1, 9})
    for (const Client& c : generateDemoData({.seed = seed, .orders = 20000, .today = today_}).clients) {
      EXPECT_LE(engine::text::length(c.tradeName), 50u) << c.tradeName;
      EXPECT_LE(engine::text::length(c.legalName), 50u) << c.legalName;
    }
}

TEST(DemoCommandLine, ReadsOptionsAndRefusesWhatItCannotUse) {
  const CommandLine ok =
      parseCommandLine({"--database", "/tmp/x.db", "--seed=7", "--orders", "150", "--force"});
  EXPECT_EQ(ok.error, "");
  EXPECT_EQ(ok.database, "/tmp/x.db");
  EXPECT_EQ(ok.seed, 7u);
  EXPECT_EQ(ok.orders, 150);
  EXPECT_TRUE(ok.force);
  EXPECT_TRUE(parseCommandLine({"--help"}).help);

  const auto error = [](std::vector<std::string> args) { return parseCommandLine(args).error; };
  EXPECT_EQ(error({}), "Informe o banco de dados com --database.");
  EXPECT_EQ(error({"--database"}), "Falta o valor de --database.");
  EXPECT_NE(error({"--database", "x", "--orders", "11"}).find("de 12 a 1000000"), std::string::npos);
  EXPECT_NE(error({"--database", "x", "--orders", "12abc"}).find("inválida"), std::string::npos);
  EXPECT_NE(error({"--database", "x", "--seed", "-1"}).find("Semente inválida"), std::string::npos);
  EXPECT_EQ(error({"--database", "x", "--limpar"}), "Opção desconhecida: --limpar.");
  EXPECT_EQ(error({"--database", "x", "--force=sim"}), "A opção --force não recebe valor.");
}

}  // namespace
}  // namespace ped::server::demo
