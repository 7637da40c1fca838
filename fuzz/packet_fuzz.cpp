// The packet decoder on arbitrary bytes: a PacketError or a table, never a
// crash; the full parser reads what the one-pass reader took alike; and a
// decoded table written and read again writes the same text.

#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <string_view>

#include "engine/error.h"
#include "engine/packet.h"
#include "engine/packet_internal.h"

using namespace ped::engine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view json(reinterpret_cast<const char*>(data), size);
  std::vector<FieldSpec> layout;
  Table table;
  try {
    table = decodePacket(json, layout);
  } catch (const PacketError&) {
    return 0;
  }
  std::vector<RowId> order(table.physicalRows());
  std::iota(order.begin(), order.end(), RowId{0});
  const std::string once = encodePacket(layout, table, order);
  std::vector<FieldSpec> fullLayout;  // the full parser must read it alike
  const Table full = packet_internal::decodeWithDocument(json, fullLayout);
  if (encodePacket(fullLayout, full, order) != once) std::abort();
  std::vector<FieldSpec> again;
  const Table reread = decodePacket(once, again);  // what we wrote must read back
  std::vector<RowId> order2(reread.physicalRows());
  std::iota(order2.begin(), order2.end(), RowId{0});
  if (encodePacket(again, reread, order2) != once) std::abort();
  return 0;
}
