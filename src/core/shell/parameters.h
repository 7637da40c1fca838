#pragma once
// Reading the one-row data sets the server sends as parameters and context
// (cdsParamPedido, cdsParamFilial, cdsVendLog): a closed or empty one holds
// no value.

#include <string>
#include <string_view>

#include "engine/data_set.h"

namespace ped::core {

// The text of `field` in the current row; empty when the data set is closed
// or has no row. REQUIRES: the data set has the field.
inline std::string parameterText(const engine::DataSet& parameters, std::string_view field) {
  if (!parameters.active() || parameters.isEmpty()) return {};
  return parameters.field(field).asString();
}

// A flag parameter counts as set only when it is exactly "S".
inline bool parameterSet(const engine::DataSet& parameters, std::string_view field) {
  return parameterText(parameters, field) == "S";
}

}  // namespace ped::core
