#pragma once
// Allocation rows as the server delivers them: loaded whole from a packet,
// so no row goes through the screen's post checks.

#include <string>
#include <utility>
#include <vector>

#include "engine/data_set.h"

namespace ped::core::testing {

using AllocationRow = std::vector<std::pair<std::string, engine::Value>>;

// Replaces the content of `rows` (an allocation data set) with `values`, one
// entry per row, fields not named left empty.
inline void loadAllocationRows(engine::DataSet& rows, const std::vector<AllocationRow>& values) {
  engine::DataSet packet;
  for (std::size_t i = 0; i < rows.fieldCount(); ++i) packet.addField(rows.field(i).definition());
  packet.open();
  for (const AllocationRow& row : values) {
    packet.append();
    for (const auto& [field, value] : row) packet.field(field).setValue(value);
    packet.post();
  }
  rows.loadPacket(packet.toPacket());
}

}  // namespace ped::core::testing
