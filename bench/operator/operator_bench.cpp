// What the operator waits for on a 10,000-order list, each gesture through
// the screen's own handlers (see operator_screen.h): opening the list,
// moving between orders and pages, the history. Marking, confirmation and
// the painted list are in the files beside this one. Every benchmark is a
// row of scripts/bench.sh's table (action_row.h) and counts the server
// calls one gesture makes (`calls_per_iter`).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <functional>
#include <string>

#include "action_row.h"
#include "operator/operator_screen.h"

namespace ped::bench {
namespace {

void BM_DemoDatabase(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(operatorServer().server->info().port);
}
// First, so that the database's build is not counted in a benchmark's setup.
BENCHMARK(BM_DemoDatabase)->Iterations(1);

void reportCalls(benchmark::State& state, long calls) {
  state.counters["calls_per_iter"] = static_cast<double>(calls) / static_cast<double>(state.iterations());
}

// arg: the branch. 0001 moves stock: its list comes with the listed orders'
// allocation rows (GetEvolEstq); 0003's with none.
void BM_OpenListThroughFilter(benchmark::State& state) {
  const std::string branch = state.range(0) == 1 ? "0001" : "0003";
  OperatorScreen o(branch, "26");
  ActionTimes times(state);
  long calls = 0;
  for (auto _ : state)
    o.filterAgain([&](const std::function<void()>& confirm) {
      const CallCount count;
      times.time(confirm);
      calls += count.since();
    });
  times.report("open the list: filter's Confirma, 10,000 orders, branch " + branch);
  reportCalls(state, calls);
}
BENCHMARK(BM_OpenListThroughFilter)
    ->ArgName("branch")
    ->Arg(1)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseManualTime();

void BM_NextOrderWithItems(benchmark::State& state) {
  OperatorScreen o("0001", "26");
  core::TfrmLiquidaItem& s = o.s;
  o.run([&] { s.pgcPadrao.choosePage(s.tshItemPedido); }, "página de itens");
  ActionTimes times(state);
  long calls = 0;
  for (auto _ : state) {
    const CallCount count;
    times.time([&] { o.run([&] { s.cdsPedido.next(); }, "próximo pedido"); });
    calls += count.since();
    if (s.cdsItemPedido.isEmpty()) o.fail("o pedido veio sem itens");
  }
  times.report("next order, its items loaded (item page)");
  reportCalls(state, calls);
}
BENCHMARK(BM_NextOrderWithItems)->Unit(benchmark::kMillisecond)->Iterations(200)->UseManualTime();

// arg 0: orders → items; arg 1: items → orders. The other way untimed.
void BM_PageChange(benchmark::State& state) {
  OperatorScreen o("0001", "26");
  core::TfrmLiquidaItem& s = o.s;
  o.run([&] { s.cdsPedido.setRecNo(kListedOrders / 2); }, "pedido do meio");
  const bool toOrders = state.range(0) == 1;
  hostlib::Control& items = s.tshItemPedido;
  hostlib::Control& orders = s.tshPadrao;
  ActionTimes times(state);
  long calls = 0;
  for (auto _ : state) {
    if (toOrders) o.run([&] { s.pgcPadrao.choosePage(items); }, "página de itens");
    const CallCount count;
    times.time([&] { o.run([&] { s.pgcPadrao.choosePage(toOrders ? orders : items); }, "troca de página"); });
    calls += count.since();
    if (!toOrders) o.run([&] { s.pgcPadrao.choosePage(orders); }, "página de pedidos");
  }
  times.report(toOrders ? "page change: items to orders" : "page change: orders to items");
  reportCalls(state, calls);
}
BENCHMARK(BM_PageChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(200)->UseManualTime();

void BM_OrderHistory(benchmark::State& state) {
  OperatorScreen o("0001", "26");
  core::TfrmLiquidaItem& s = o.s;
  // A partly served order has settlements to show.
  o.run([&] { s.cdsPedido.locate("IDSITPEDIDO", {engine::Value("6")}); }, "pedido parcial");
  o.shown();
  ActionTimes times(state);
  long calls = 0;
  for (auto _ : state) {
    const CallCount count;
    times.time([&] { o.run([&] { s.click(s.mnuHistorico); }, "Histórico"); });
    calls += count.since();
    bool listed = false;
    for (const std::string& line : o.shown()) listed = listed || line.starts_with("janela:");
    if (!listed) o.fail("o histórico não abriu");
  }
  times.report("an order's history: GetHistorico, list built");
  reportCalls(state, calls);
}
BENCHMARK(BM_OrderHistory)->Unit(benchmark::kMillisecond)->Iterations(50)->UseManualTime();

}  // namespace
}  // namespace ped::bench

int main(int argc, char** argv) {
  // The painted list needs a QApplication; no display is used.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
