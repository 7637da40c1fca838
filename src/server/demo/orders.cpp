// Sales orders and their items, each order's status the one the shared rule
// derives from its items':
//   '2' in progress  - every item open (1, 2, 3 or 7);
//   '6' partly served - some items settled (4 or 6), some open;
//   '3' liquidated   - nothing open, nothing settled by hand (items 4 or 5);
//   '5' liquidated by hand - nothing open, at least one item 6.
// Items settled by hand (6) carry who settled them and why, with the
// settlement in the history.

#include <algorithm>
#include <map>

#include "server/demo/generation_steps.h"

namespace ped::server::demo {
namespace {

constexpr char kOpenStatuses[] = {'1', '2', '3', '7'};

char openStatus(Random& random) { return kOpenStatuses[random.weighted({30, 35, 25, 10})]; }

// The item statuses of an order of `status` with `count` items.
// REQUIRES: count >= 2 for status '6'.
std::vector<char> itemStatuses(Random& random, char status, int count) {
  std::vector<char> out;
  for (int i = 0; i < count; ++i) {
    switch (status) {
      case '2':
        out.push_back(openStatus(random));
        break;
      case '3':
        out.push_back(random.chance(85) ? '4' : '5');
        break;
      case '5':
        out.push_back("645"[random.weighted({50, 35, 15})]);
        break;
      default: {
        const std::size_t kind = random.weighted({55, 20, 20, 5});
        out.push_back(kind == 0 ? openStatus(random) : "645"[kind - 1]);
      }
    }
  }
  const auto has = [&](auto test) { return std::any_of(out.begin(), out.end(), test); };
  if (status == '3' && !has([](char s) { return s == '4'; })) out.front() = '4';
  if (status == '5' && !has([](char s) { return s == '6'; })) out.front() = '6';
  if (status == '6') {
    if (!has(isSettledItemStatus)) out.front() = random.chance(50) ? '6' : '4';
    if (!has(isOpenItemStatus)) {
      // Over a cancelled item if there is one; else over the last of two or more settled ones.
      const auto cancelled = std::find(out.rbegin(), out.rend(), '5');
      *(cancelled != out.rend() ? cancelled : out.rbegin()) = openStatus(random);
    }
  }
  return out;
}

// A few orders dated today on every branch show each status with a known
// mix of items, whatever the count asked for.
struct Showcase {
  char status;
  std::vector<char> items;
};
const std::vector<Showcase>& showcases() {
  static const std::vector<Showcase> v = {{'2', {'1', '2', '3', '7'}},
                                          {'6', {'6', '4', '3', '1'}},
                                          {'3', {'4', '5', '4'}},
                                          {'5', {'6', '5', '4'}}};
  return v;
}

double orderedQuantity(Random& random, const Product& product) {
  if (soldByMeasure(product.unit) && random.chance(40))
    return static_cast<double>(random.between(2, 120)) / 4;
  return static_cast<double>(random.chance(75) ? random.between(1, 12) : random.between(13, 120));
}

double priceFactor(const Seller& seller) {
  if (seller.priceTableCode == "02") return 0.92;  // wholesale
  if (seller.priceTableCode == "03") return 0.95;
  return 1.0;
}

// Who settled an item by hand: an operator allowed to see the order.
const Operator& settler(const DemoData& data, Random& random, const Order& order) {
  std::vector<const Operator*> allowed;
  for (const Operator& op : data.operators)
    if (op.seesAllSellers || (op.seller && *op.seller == order.seller)) allowed.push_back(&op);
  return *allowed[random.below(allowed.size())];
}

double timestamp(double day, Random& random) {
  return day + static_cast<double>(random.between(8 * 60, 18 * 60 - 1)) / (24 * 60);
}

void addItems(DemoData& data, Random& random, const Order& order, const std::vector<char>& statuses,
              double today) {
  const Seller& seller = *std::find_if(data.sellers.begin(), data.sellers.end(),
                                       [&](const Seller& s) { return s.code == order.seller; });
  std::vector<std::size_t> used;
  for (std::size_t n = 0; n < statuses.size(); ++n) {
    std::size_t p = random.below(data.products.size());
    while (std::find(used.begin(), used.end(), p) != used.end()) p = (p + 1) % data.products.size();
    used.push_back(p);
    const Product& product = data.products[p];
    Item item{.branch = order.branch,
              .order = order.number,
              .number = std::to_string(n + 1),
              .product = product.code};
    item.quantity = orderedQuantity(random, product);
    item.unit = product.unit;
    item.unitPrice = cents(product.listPrice * priceFactor(seller));
    if (random.chance(25)) {
      const double discount =
          cents(item.quantity * item.unitPrice * static_cast<double>(random.between(2, 10)) / 100);
      if (discount > 0 && discount < item.quantity * item.unitPrice) item.discount = discount;
    }
    item.status = statuses[n];
    if (item.status == '6') {
      const Operator& by = settler(data, random, order);
      const std::string& why = random.pick(data.justifications).code;
      item.settledBy = by.code;
      item.justification = why;
      const double day = std::min(today, order.date + static_cast<double>(random.between(0, 10)));
      data.settlements.push_back({.branch = order.branch,
                                  .order = order.number,
                                  .item = item.number,
                                  .operation = 'L',
                                  .operatorCode = by.code,
                                  .when = timestamp(day, random),
                                  .justification = why,
                                  .previousStatus = openStatus(random),
                                  .newStatus = '6',
                                  .quantity = item.quantity});
    }
    data.items.push_back(std::move(item));
  }
}

}  // namespace

void addOrders(DemoData& data, Random& random, const GeneratorOptions& options) {
  struct Draft {
    Order order;
    std::vector<char> items;
  };
  std::vector<Draft> drafts;
  for (const Branch& branch : data.branches)
    for (const Showcase& s : showcases())
      drafts.push_back({{.branch = branch.code,
                         .client = random.pick(data.clients).code,
                         .seller = data.sellers.front().code,
                         .date = options.today - static_cast<double>(random.between(0, 2)),
                         .priority = "01234"[random.weighted({5, 10, 20, 50, 15})],
                         .status = s.status},
                        s.items});
  while (static_cast<int>(drafts.size()) < options.orders) {
    Draft d;
    d.order.branch = data.branches[random.weighted({50, 30, 20})].code;
    d.order.client = random.pick(data.clients).code;
    d.order.seller = random.pick(data.sellers).code;
    // The screen opens on the last 7 days: many orders fall there.
    d.order.date =
        options.today - static_cast<double>(random.chance(45) ? random.between(0, 6) : random.between(7, 60));
    d.order.priority = "01234"[random.weighted({5, 10, 20, 50, 15})];
    d.order.status = "2635"[random.weighted({40, 20, 22, 18})];
    int count = static_cast<int>(random.weighted({10, 18, 20, 17, 13, 10, 7, 5})) + 1;
    if (d.order.status == '6') count = std::max(count, 2);
    d.items = itemStatuses(random, d.order.status, count);
    drafts.push_back(std::move(d));
  }
  // Order numbers grow with the date on each branch.
  std::stable_sort(drafts.begin(), drafts.end(),
                   [](const Draft& a, const Draft& b) { return a.order.date < b.order.date; });
  std::map<std::string, std::int64_t> lastNumber;
  for (Draft& d : drafts) {
    Order& order = d.order;
    order.number = zeroPadded(1000 + ++lastNumber[order.branch], 10);
    if (random.chance(85)) order.delivery = order.date + static_cast<double>(random.between(1, 20));
    // The drafts aim at their status; the shared rule has the last word.
    order.status = orderStatusOf(d.items);
    addItems(data, random, order, d.items, options.today);
    data.orders.push_back(std::move(order));
  }
}

}  // namespace ped::server::demo
