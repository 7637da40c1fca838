#include "core/stock/screen_bookings.h"

#include "core/shell/Cli_ped00800.h"
#include "engine/filter_expression.h"

namespace ped::core {
namespace {

constexpr const char* kKeys[] = {"CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE"};

double quantityOf(const engine::Field& f) { return f.isNull() ? 0 : f.asFloat(); }

}  // namespace

std::string positionKey(const engine::DataSet& rows) {
  std::string key;
  for (const char* field : kKeys) key.append(rows.field(field).asString()).push_back('\x1f');
  return key;
}

ScreenBookings bookingsOf(TfrmLiquidaItem& s) {
  ScreenBookings out;
  // Only the product's rows at the item's branch: the filter, not a walk
  // over every listed order's rows.
  engine::DataSet& rows = s.cdsEvolEstAux;
  const engine::DataSet& item = s.cdsItemPedido;
  rows.setFilter("CDFILIAL = " + engine::quoteFilterValue(item.field("CDFILIAL").asString()) +
                 " AND CDPRODUTO = " + engine::quoteFilterValue(item.field("CDPRODUTO").asString()));
  rows.setFiltered(true);
  rows.copyFrom(s.cdsEvolEst);
  auto same = [&](const char* field) { return rows.field(field).asString() == item.field(field).asString(); };
  for (rows.first(); !rows.eof(); rows.next()) {
    const std::string key = positionKey(rows);
    const double taken = quantityOf(rows.field("QTEXP"));
    if (same("NRPEDIDO") && same("NRITEMPED")) {
      out.byPosition[key] += taken;
      out.itemPositions.insert(key);
      out.heldByItem += taken;
    } else {
      const double reserved = quantityOf(rows.field("QTRESPRODPED"));
      if (taken > reserved) out.byPosition[key] += taken - reserved;
    }
  }
  // The copy holds an edited row as last posted (always the current
  // item's): what it held there is given back to it.
  const engine::DataSet& edited = s.cdsEvolEst;
  if (edited.state() == engine::DataSetState::Edit) {
    std::string key;
    for (const char* field : kKeys) {
      const engine::Field& f = edited.field(field);
      key.append(f.asStringOf(f.oldValue())).push_back('\x1f');
    }
    const engine::Value before = edited.field("QTEXP").oldValue();
    const double held = before.isFloat() ? before.number() : 0;
    out.byPosition[key] -= held;
    out.heldByItem -= held;
    out.itemPositions.erase(key);
  }
  return out;
}

double availableTo(const engine::DataSet& p, const ScreenBookings& booked) {
  const auto held = booked.byPosition.find(positionKey(p));
  return p.field("QTDISPONIVEL").asFloat() + p.field("QTRESPRODPED").asFloat() -
         (held == booked.byPosition.end() ? 0 : held->second);
}

}  // namespace ped::core
