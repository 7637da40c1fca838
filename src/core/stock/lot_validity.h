#pragma once
// Whether an allocation row's lot may still leave stock.

#include "engine/data_set.h"
#include "engine/date_time.h"

namespace ped::core {

// A lot is good through its last valid day; a row without a validity (no
// lots in use) never expires.
inline bool lotExpiredOn(double validUntil, double today) {
  return today > engine::date_time::datePart(validUntil);
}
inline bool lotExpired(const engine::Field& validUntil, double today) {
  return !validUntil.isNull() && lotExpiredOn(validUntil.asDateTime(), today);
}

}  // namespace ped::core
