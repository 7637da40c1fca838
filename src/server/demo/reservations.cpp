// Stock held for open items on the branches that keep stock by warehouse.
// An item is reserved in full on one position, split over two, in part, or
// not at all; a position never holds more for items than it has, and
// expired lots hold nothing.

#include <cmath>
#include <map>
#include <tuple>

#include "server/demo/generation_steps.h"

namespace ped::server::demo {
namespace {

bool reservesStock(const DemoData& data, const std::string& branch) {
  for (const Branch& b : data.branches)
    if (b.code == branch) return b.usesWarehouse;
  return false;
}

// Whole units, or quarters for goods sold by measure: sums stay exact.
double roundedDown(double q, const std::string& unit) {
  const double steps = soldByMeasure(unit) ? 4 : 1;
  return std::floor(q * steps) / steps;
}

}  // namespace

void addReservations(DemoData& data, Random& random, double today) {
  std::map<std::pair<std::string, std::string>, bool> expiredLot;  // product, lot
  for (const Lot& lot : data.lots)
    expiredLot[{lot.product, lot.number}] = lot.validUntil && *lot.validUntil < today;

  // Positions that may hold stock for an item, per branch and product, with what is still free.
  std::map<std::pair<std::string, std::string>, std::vector<std::size_t>> candidates;
  std::vector<double> free(data.positions.size());
  for (std::size_t i = 0; i < data.positions.size(); ++i) {
    const Position& p = data.positions[i];
    free[i] = p.quantity;
    if (!p.lot.empty() && expiredLot[{p.product, p.lot}]) continue;
    candidates[{p.branch, p.product}].push_back(i);
  }

  for (const Item& item : data.items) {
    if (!isOpenItemStatus(item.status) || !reservesStock(data, item.branch) || !random.chance(65)) continue;
    const auto found = candidates.find({item.branch, item.product});
    if (found == candidates.end()) continue;
    const std::vector<std::size_t>& places = found->second;
    const std::size_t kind = random.weighted({50, 25, 25});  // whole on one, split over two, part
    const int pieces = kind == 1 ? 2 : 1;
    double remaining = kind == 2 ? roundedDown(item.quantity / 2, item.unit) : item.quantity;
    const std::size_t start = random.below(places.size());
    int used = 0;
    for (std::size_t k = 0; k < places.size() && remaining > 0 && used < pieces; ++k) {
      const std::size_t at = places[(start + k) % places.size()];
      double share = used + 1 == pieces ? remaining : roundedDown(remaining / 2, item.unit);
      if (share <= 0) share = remaining;
      const double take = std::min(share, free[at]);
      if (take <= 0) continue;
      const Position& p = data.positions[at];
      data.reservations.push_back({item.branch, item.order, item.number, item.product, p.warehouse,
                                   p.location, p.lot, p.subLot, take});
      free[at] -= take;
      remaining -= take;
      ++used;
    }
  }
}

}  // namespace ped::server::demo
