// Where the stock sits: warehouses and locations of the branches that use
// them, lots per product, and the positions of each branch at the depth of
// key its parameters ask for.

#include <algorithm>
#include <cmath>
#include <string_view>

#include "server/demo/generation_steps.h"

namespace ped::server::demo {
namespace {

void addPlaces(DemoData& data) {
  data.warehouses = {
      {"0001", "ALM01", "Almoxarifado Central"},
      {"0001", "ALM02", "Almoxarifado de Expedição"},
      {"0002", "ALM01", "Almoxarifado Campinas"},
      {"0002", "ALM02", "Depósito Fechado"},
  };
  data.locations = {
      {"0001", "ALM01", "LC0101", "Corredor 1 - Prateleira A"},
      {"0001", "ALM01", "LC0102", "Corredor 1 - Prateleira B"},
      {"0001", "ALM01", "LC0201", "Corredor 2 - Prateleira A"},
      {"0001", "ALM01", "LC0202", "Corredor 2 - Prateleira B"},
      {"0001", "ALM02", "DC0001", "Doca de Expedição 1"},
      {"0001", "ALM02", "DC0002", "Doca de Expedição 2"},
  };
}

bool perishable(const Product& p) { return p.treeCode.starts_with("04"); }
bool expires(const Product& p) {
  return perishable(p) || p.treeCode.starts_with("05") || p.treeCode.starts_with("06");
}

// The first product of every few has an expired lot, and of every few others
// one that expires today, so both cases are always on screen.
void addLots(DemoData& data, Random& random, double today) {
  for (std::size_t i = 0; i < data.products.size(); ++i) {
    const Product& product = data.products[i];
    const int count = static_cast<int>(random.between(2, 4));
    for (int n = 0; n < count; ++n) {
      Lot lot;
      lot.product = product.code;
      const double entered = today - static_cast<double>(random.between(3, 240));
      lot.enteredOn = entered;
      lot.number =
          zeroPadded(random.between(1, 9999), 4).insert(0, 1, 'L').append("-").append(zeroPadded(n + 1, 2));
      if (n == 0 && (i % 7 == 0 || random.chance(8)))
        lot.validUntil = today - static_cast<double>(random.between(1, 40));
      else if (n == 1 && (i % 11 == 0 || random.chance(3)))
        lot.validUntil = today;
      else if (expires(product))
        lot.validUntil = entered + static_cast<double>(perishable(product) ? random.between(60, 365)
                                                                           : random.between(365, 1000));
      else if (random.chance(30))
        lot.validUntil = entered + static_cast<double>(random.between(700, 1800));
      // Validity stays ahead of entry even for the forced cases.
      if (lot.validUntil && *lot.validUntil < entered) lot.enteredOn = *lot.validUntil - 90;
      data.lots.push_back(std::move(lot));
    }
  }
}

// Generous, growing with the number of orders; a few positions are nearly empty.
double stockQuantity(Random& random, const Product& product, int scale) {
  if (random.chance(6)) {
    static const double kNearlyEmpty[] = {0, 0.5, 1, 2};
    const double q = kNearlyEmpty[random.below(4)];
    return soldByMeasure(product.unit) ? q : std::floor(q);
  }
  const double whole = static_cast<double>(random.between(40, 600) * scale);
  return soldByMeasure(product.unit) && random.chance(40) ? whole + 0.5 : whole;
}

void addPositions(DemoData& data, Random& random, int orders) {
  const int scale = std::max(1, orders / 2000);
  // 0001: warehouse, location, lot and sub-lot.
  for (const Lot& lot : data.lots) {
    const Product& product = productOf(data, lot.product);
    const int places = random.chance(30) ? 2 : 1;
    const std::size_t first = random.below(data.locations.size());
    for (int p = 0; p < places; ++p) {
      const Location& at = data.locations[(first + static_cast<std::size_t>(p) * 3) % data.locations.size()];
      data.positions.push_back({"0001", product.code, at.warehouse, at.code, lot.number, "01", product.unit,
                                stockQuantity(random, product, scale)});
      if (random.chance(15))
        data.positions.push_back({"0001", product.code, at.warehouse, at.code, lot.number, "02", product.unit,
                                  stockQuantity(random, product, scale)});
    }
  }
  for (const Product& product : data.products) {
    // 0002: warehouse only.
    const bool both = random.chance(35);
    const bool second = random.chance(50);
    for (const char* warehouse : {"ALM01", "ALM02"}) {
      const bool isFirst = std::string_view(warehouse) == "ALM01";
      if (both || isFirst != second)
        data.positions.push_back({"0002", product.code, warehouse, "", "", "", product.unit,
                                  stockQuantity(random, product, scale)});
    }
    // 0003 keeps no stock keys: one quantity for the branch, for most products.
    if (random.chance(70))
      data.positions.push_back(
          {"0003", product.code, "", "", "", "", product.unit, stockQuantity(random, product, scale)});
  }
}

}  // namespace

void addStock(DemoData& data, Random& random, double today, int orders) {
  addPlaces(data);
  addLots(data, random, today);
  addPositions(data, random, orders);
}

}  // namespace ped::server::demo
