// Marking on a 10,000-order list of a branch that moves stock, every item
// allocated in full so each mark's stock check passes: one order's mark,
// the mark column title's click marking all, and the click clearing them.
// Marks are put back between iterations, untimed.

#include <benchmark/benchmark.h>

#include "action_row.h"
#include "domain/status_codes.h"
#include "operator/operator_screen.h"

namespace ped::bench {
namespace {

void reportCalls(benchmark::State& state, long calls) {
  state.counters["calls_per_iter"] = static_cast<double>(calls) / static_cast<double>(state.iterations());
}

void BM_MarkOneWithStockCheck(benchmark::State& state) {
  OperatorScreen o("0001", "26");
  o.allocateEveryItem();
  core::TfrmLiquidaItem& s = o.s;
  o.run([&] { s.cdsPedido.setRecNo(kListedOrders / 2); }, "pedido do meio");
  ActionTimes times(state);
  long calls = 0;
  for (auto _ : state) {
    const CallCount count;
    times.time([&] { o.clickMark("marcar o pedido"); });
    calls += count.since();
    if (o.count(domain::mark::Marked) != 1) o.fail("o pedido não ficou marcado");
    o.clickMark("desmarcar o pedido");
    o.shown();
  }
  times.report("mark one order, stock checked");
  reportCalls(state, calls);
}
BENCHMARK(BM_MarkOneWithStockCheck)->Unit(benchmark::kMillisecond)->Iterations(30)->UseManualTime();

// arg 0: the click that marks all (timed), then the one that clears them;
// arg 1: the clearing click timed.
void BM_MarkAll10000(benchmark::State& state) {
  OperatorScreen o("0001", "26");
  o.allocateEveryItem();
  const bool clear = state.range(0) == 1;
  ActionTimes times(state);
  long calls = 0;
  for (auto _ : state) {
    if (clear) o.clickMarkTitle("marcar todos");
    const CallCount count;
    times.time([&] { o.clickMarkTitle(clear ? "limpar as marcas" : "marcar todos"); });
    calls += count.since();
    if (o.count(clear ? domain::mark::Unmarked : domain::mark::Marked) != kListedOrders)
      o.fail(clear ? "limpar deixou pedidos marcados" : "marcar todos deixou pedidos sem marca");
    if (!clear) o.clickMarkTitle("limpar as marcas");
    o.shown();
  }
  times.report(clear ? "clear all marks, 10,000 orders" : "mark all, 10,000 orders, stock checked");
  reportCalls(state, calls);
}
BENCHMARK(BM_MarkAll10000)
    ->ArgName("clear")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseManualTime();

}  // namespace
}  // namespace ped::bench
