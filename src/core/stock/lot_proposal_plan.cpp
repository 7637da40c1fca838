#include "core/stock/lot_proposal_plan.h"

#include <algorithm>
#include <tuple>

#include "domain/quantities.h"
#include "engine/date_time.h"

namespace ped::core {
namespace {

// Earlier first; a missing date after every date.
bool earlier(const std::optional<double>& a, const std::optional<double>& b) {
  if (a && b) return *a < *b;
  return a.has_value() && !b.has_value();
}

bool proposedBefore(const CandidatePosition& a, const CandidatePosition& b) {
  if (earlier(a.validUntil, b.validUntil)) return true;
  if (earlier(b.validUntil, a.validUntil)) return false;
  if (earlier(a.enteredOn, b.enteredOn)) return true;
  if (earlier(b.enteredOn, a.enteredOn)) return false;
  return std::tie(a.warehouse, a.location, a.lot, a.subLot) <
         std::tie(b.warehouse, b.location, b.lot, b.subLot);
}

bool expired(const CandidatePosition& p, double today) {
  return p.validUntil && today > engine::date_time::datePart(*p.validUntil);
}

}  // namespace

ProposalPlan planLotProposal(std::vector<CandidatePosition> positions, double wanted, double today) {
  std::erase_if(positions, [today](const CandidatePosition& p) {
    return expired(p, today) || !domain::moreQuantity(p.available, 0);
  });
  std::stable_sort(positions.begin(), positions.end(), proposedBefore);
  ProposalPlan plan;
  double left = domain::roundQuantity(wanted);
  for (const CandidatePosition& p : positions) {
    if (!domain::moreQuantity(left, 0)) break;
    const double take = domain::roundQuantity(std::min(p.available, left));
    plan.takes.push_back({p.source, take});
    left = domain::roundQuantity(left - take);
  }
  plan.missing = domain::moreQuantity(left, 0) ? left : 0;
  return plan;
}

}  // namespace ped::core
