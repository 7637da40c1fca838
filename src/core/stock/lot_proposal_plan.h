#pragma once
// Which stock positions a proposal takes for an item, and how much of each:
// earliest lot validity first, never an expired lot nor a position with
// nothing left. Pure arithmetic on plain values, so the order and the split
// are checked without a screen.

#include <optional>
#include <string>
#include <vector>

namespace ped::core {

// One stock position as the proposal sees it.
struct CandidatePosition {
  std::string warehouse, location, lot, subLot;
  std::optional<double> validUntil;  // the lot's last valid day; none: no validity
  std::optional<double> enteredOn;   // the lot's entry date
  double available = 0;              // what the item may still take there
  std::size_t source = 0;            // the caller's index of the position
};

struct ProposedTake {
  std::size_t source;  // CandidatePosition::source
  double quantity;
};

struct ProposalPlan {
  std::vector<ProposedTake> takes;  // in the order the rows are to be posted
  double missing = 0;               // what the positions could not cover; 0 when covered
};

// Orders `positions` by validity (earliest first, none last), then entry date
// (none last), then the keys, leaves out lots expired before `today` (a lot
// is good through its last valid day) and positions with nothing available,
// and takes from each in turn at most its available quantity until `wanted`
// is covered. Quantities are rounded to the thousandth.
// REQUIRES: `wanted` > 0.
ProposalPlan planLotProposal(std::vector<CandidatePosition> positions, double wanted, double today);

}  // namespace ped::core
