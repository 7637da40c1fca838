#pragma once
// The branch and number of orders as a packet (CDFILIAL, NRPEDIDO): what the
// server needs to know of a list of orders, without the rest of their rows.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/data_set.h"

namespace ped::core {

using OrderKey = std::pair<std::string_view, std::string_view>;  // branch, number

std::string orderKeysPacket(const std::vector<OrderKey>& orders);
// Every order of the list, in list order. REQUIRES: `orders` active.
std::string orderKeysPacket(const engine::DataSet& orders);

}  // namespace ped::core
