#include "core/orders/order_stock_checks.h"

#include <map>
#include <string_view>

#include "core/orders/order_keys_packet.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/parameters.h"
#include "core/shell/remote_call.h"
#include "core/stock/allocation_totals.h"
#include "core/stock/stock_position_lookup.h"
#include "domain/status_codes.h"

namespace ped::core {
namespace {

// The statuses checkOrderStock leaves out.
bool checked(std::string_view status) {
  namespace item = domain::item_status;
  return status != item::Settled && status != item::Cancelled && status != item::SettledByHand;
}

}  // namespace

OrderStockChecks::OrderStockChecks(TfrmLiquidaItem& s, const std::vector<Order>& orders) {
  if (orders.empty() || !parameterSet(s.cdsParamPedido, "IDEVOLESTLIQMAN") || allocationPending(s)) return;
  const AllocationTotals totals(s);
  std::map<std::string_view, std::vector<OrderKey>> byBranch;
  for (const Order& o : orders) byBranch[o.first].emplace_back(o.first, o.second);
  for (const auto& [branch, keys] : byBranch) {
    engine::DataSet items;
    callServer(s, "GetItensPedidos", {std::string(branch), netclient::Arg::packet(orderKeysPacket(keys))},
               {&items});
    const auto at = [&items](const char* name) { return items.field(name).index(); };
    const std::size_t b = at("CDFILIAL"), o = at("NRPEDIDO"), i = at("NRITEMPED"), st = at("IDSITITEMPED"),
                      q = at("QTITEMPED");
    for (std::size_t row = 0; row < items.recordCount(); ++row) {
      const auto text = [&](std::size_t field) { return items.cellAt(row, field).text; };
      if (!checked(text(st))) continue;
      const engine::CellView quantity = items.cellAt(row, q);
      if (!totals.passes(text(b), text(o), text(i), quantity.isNull() ? 0 : quantity.number))
        failing_.emplace(std::string(text(b)), std::string(text(o)));
    }
  }
}

}  // namespace ped::core
