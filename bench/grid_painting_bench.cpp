// The grids' cells on a 100,000-order list: the screen's description of the
// cells of one screenful of rows (what to draw, not the drawing: Qt's layout
// and paint are in operator_bench's BM_PaintOrderList), and the live model's
// row count (the view asks for it on every layout; it must not copy or walk
// the rows).

#include <benchmark/benchmark.h>

#include <cstdio>

#include "core/items/item_grid_painting.h"
#include "core/orders/order_grid_painting.h"
#include "core/shell/screen_data_sets.h"
#include "core/shell/screen_messages.h"
#include "views/grid_model.h"

namespace {

using namespace ped;

constexpr int kOrders = 100'000;
constexpr std::size_t kVisibleRows = 40;  // a maximised window's worth

struct OrderList {
  core::ScreenDataSets sets;
  hostlib::Grid grid{"dbgPadrao"};
  OrderList() {
    grid.dataSource = &sets.cdsPedido;
    for (const char* f : {"IDCHECK", "IDSITPEDIDO", "NRPEDIDO", "NMFANTCLIE", "DTPEDIDO", "DTENTPED"})
      grid.columns.push_back({.fieldName = f});
    engine::DataSet& ds = sets.cdsPedido;
    ds.open();
    const char* statuses[] = {"2", "3", "5", "6"};
    const char* marks[] = {"N", "S", "B"};
    char number[16];
    for (int i = 0; i < kOrders; ++i) {
      std::snprintf(number, sizeof number, "%010d", i + 1);
      ds.append();
      ds.field("IDSITPEDIDO").setString(statuses[i % 4]);
      ds.field("IDCHECK").setString(marks[i % 3]);
      ds.field("NRPEDIDO").setString(number);
      ds.field("NMFANTCLIE").setString("Comercial Exemplo Ltda");
      ds.field("DTPEDIDO").setDateTime(45600 + i % 300);
      ds.field("DTENTPED").setDateTime(45610 + i % 300);
      ds.post();
    }
  }
};

OrderList& orders() {
  static OrderList list;
  return list;
}

void BM_DescribeVisibleOrderCells100k(benchmark::State& state) {
  OrderList& list = orders();
  const hostlib::TMessages& messages = core::liquidaItemMessages();
  const std::size_t top = kOrders / 2;
  for (auto _ : state) {
    for (std::size_t row = top; row < top + kVisibleRows; ++row)
      for (std::size_t column = 0; column < list.grid.columns.size(); ++column)
        benchmark::DoNotOptimize(core::paintOrderCell(list.sets.cdsPedido, list.grid, messages, row, column,
                                                      {.selected = row == top}));
  }
  state.counters["cells"] = static_cast<double>(kVisibleRows * list.grid.columns.size());
}
BENCHMARK(BM_DescribeVisibleOrderCells100k)->Unit(benchmark::kMicrosecond);

void BM_DescribeVisibleItemCells(benchmark::State& state) {
  core::ScreenDataSets sets;
  hostlib::Grid grid{"dbgItemPedido"};
  grid.dataSource = &sets.cdsItemPedido;
  for (const char* f : {"IDCHECK", "IDSITITEMPED", "NRITEMPED", "CDARVPROD", "NMPRODUTO", "QTITEMPED",
                        "SGUNIDADE", "VRPREUNITPED", "VRDESITPED", "VrTotal"})
    grid.columns.push_back({.fieldName = f});
  engine::DataSet& ds = sets.cdsItemPedido;
  ds.open();
  for (std::size_t i = 0; i < kVisibleRows; ++i) {
    ds.append();
    ds.field("IDSITITEMPED").setString(std::to_string(1 + i % 7));
    ds.field("IDCHECK").setString("N");
    ds.field("CDARVPROD").setString("0102003");
    ds.field("NMPRODUTO").setString("Parafuso sextavado");
    ds.field("QTITEMPED").setFloat(1234.5);
    ds.field("VRPREUNITPED").setFloat(10.25);
    ds.field("VRDESITPED").setFloat(1.239);
    ds.post();
  }
  const hostlib::TMessages& messages = core::liquidaItemMessages();
  for (auto _ : state) {
    for (std::size_t row = 0; row < kVisibleRows; ++row)
      for (std::size_t column = 0; column < grid.columns.size(); ++column)
        benchmark::DoNotOptimize(core::paintItemCell(ds, grid, messages, "99.99.999;0;_", row, column, {}));
  }
  state.counters["cells"] = static_cast<double>(kVisibleRows * grid.columns.size());
}
BENCHMARK(BM_DescribeVisibleItemCells)->Unit(benchmark::kMicrosecond);

void BM_OrderModelRowCount100k(benchmark::State& state) {
  OrderList& list = orders();
  for (auto _ : state) {
    views::GridModel model(list.grid);
    benchmark::DoNotOptimize(model.rowCount());
  }
}
BENCHMARK(BM_OrderModelRowCount100k)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
