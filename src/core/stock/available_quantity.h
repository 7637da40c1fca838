#pragma once
// Available quantities as a row stores them: at the quantities' precision,
// and what is within half a thousandth of nothing is nothing (never a
// negative dust such as -1e-10 that a later comparison would refuse).

#include "domain/quantities.h"

namespace ped::core {

inline double storedAvailable(double quantity) {
  return domain::sameQuantity(quantity, 0) ? 0.0 : domain::roundQuantity(quantity);
}

}  // namespace ped::core
