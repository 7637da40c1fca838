// Confirmar on a 10,000-order list of a branch that moves no stock: the
// settlement of 1 and of 100 orders, marked and justified beforehand
// (untimed), the question answered yes. Each iteration settles orders not
// settled before; the settled ones stay listed, so the list keeps 10,000.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "action_row.h"
#include "domain/status_codes.h"
#include "operator/operator_screen.h"

namespace ped::bench {
namespace {

// The first `count` open orders (status 2) of the list, unmarked.
std::vector<std::string> openOrders(const OperatorScreen& o, std::size_t count) {
  const engine::DataSet& list = o.s.cdsPedido;
  const std::size_t number = list.field("NRPEDIDO").index(), status = list.field("IDSITPEDIDO").index();
  std::vector<std::string> out;
  for (std::size_t row = 0; row < list.recordCount() && out.size() < count; ++row)
    if (list.displayTextAt(row, status) == "2") out.push_back(list.displayTextAt(row, number));
  return out;
}

void BM_ConfirmSettlement(benchmark::State& state) {
  OperatorScreen o("0003", "3526");
  core::TfrmLiquidaItem& s = o.s;
  const auto orders = static_cast<std::size_t>(state.range(0));
  ActionTimes times(state);
  long calls = 0;
  for (auto _ : state) {
    const std::vector<std::string> chosen = openOrders(o, orders);
    if (chosen.size() != orders) o.fail("faltam pedidos em aberto");
    for (const std::string& number : chosen) {
      o.run([&] { s.cdsPedido.locate("NRPEDIDO", {engine::Value(number)}); }, "ir ao pedido");
      o.clickMark("marcar o pedido");
    }
    o.run([&] { s.click(s.mnuJustExcl); }, "página de justificativa");
    o.run([&] { s.typeCdJust("0003"); }, "justificativa");
    o.shown();
    o.answer(true);
    const std::size_t othersOpen = o.count(domain::mark::Unmarked, "2");
    const CallCount count;
    times.time([&] { o.run([&] { s.click(s.sbtConfirmar); }, "Confirmar"); });
    calls += count.since();
    if (o.count(domain::mark::Marked) != 0 || o.count(domain::mark::Unmarked, "2") != othersOpen ||
        o.orders() != kListedOrders)
      o.fail("a confirmação não liquidou os pedidos marcados");
    o.shown();
  }
  times.report(orders == 1 ? "confirm a settlement of 1 order" : "confirm a settlement of 100 orders");
  state.counters["calls_per_iter"] = static_cast<double>(calls) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ConfirmSettlement)
    ->ArgName("orders")
    ->Arg(1)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseManualTime();

}  // namespace
}  // namespace ped::bench
