// "Propor lotes" on the 10,000-order list of branch 0001: an open item
// without allocation rows made current in the focused allocation grid, its
// product's stock replaced by 1,000 positions each holding an eighth of its
// quantity (lot_positions.h), so a click posts 8 rows through the post
// checks and their look-ups. The rows are put back between clicks, untimed.

#include <benchmark/benchmark.h>

#include "action_row.h"
#include "domain/status_rules.h"
#include "engine/value_text.h"
#include "lot_positions.h"
#include "operator/operator_screen.h"

namespace ped::bench {
namespace {

constexpr int kPositions = 1000, kRowsWanted = 8;

// The first item of the list's orders that takes allocation rows and has none.
bool toItemWithoutRows(OperatorScreen& o) {
  core::TfrmLiquidaItem& s = o.s;
  o.run([&] { s.pgcPadrao.choosePage(s.tshItemPedido); }, "página de itens");
  for (o.run([&] { s.cdsPedido.first(); }, "primeiro pedido"); !s.cdsPedido.eof();
       o.run([&] { s.cdsPedido.next(); }, "próximo pedido"))
    for (o.run([&] { s.cdsItemPedido.first(); }, "primeiro item"); !s.cdsItemPedido.eof();
         o.run([&] { s.cdsItemPedido.next(); }, "próximo item"))
      if (domain::takesAllocationRows(s.cdsItemPedido.field("IDSITITEMPED").asString()) &&
          s.cdsEvolEst.isEmpty())
        return true;
  return false;
}

void BM_ProposeLots(benchmark::State& state) {
  OperatorScreen o("0001", "26");
  core::TfrmLiquidaItem& s = o.s;
  if (!toItemWithoutRows(o)) o.fail("nenhum item sem linhas de estoque");
  const engine::DataSet& item = s.cdsItemPedido;
  layOutPositions(operatorServer().server->info().database,
                  engine::value_text::trim(item.field("CDPRODUTO").asString()),
                  engine::value_text::trim(item.field("SGUNIDADE").asString()), kPositions,
                  item.field("QTITEMPED").asFloat() / kRowsWanted, operatorServer().server->info().today);
  engine::DataSet before;
  before.copyFrom(s.cdsEvolEst);
  o.run([&] { s.enterGrid(s.dbgLiqEst); }, "grade de estoque");
  if (!s.sbtProporLotes.usable()) o.fail("Propor lotes indisponível");
  o.shown();
  ActionTimes times(state);
  long calls = 0;
  for (auto _ : state) {
    const CallCount count;
    times.time([&] { o.run([&] { s.click(s.sbtProporLotes); }, "Propor lotes"); });
    calls += count.since();
    if (s.cdsEvolEst.recordCount() != kRowsWanted) o.fail("a proposta não preencheu 8 linhas");
    o.run([&] { s.cdsEvolEst.copyFrom(before); }, "linhas de volta");
    o.run([&] { s.cdsItemPedidoAfterScroll(); }, "item de volta");
    o.shown();
  }
  times.report("lot proposal: 1,000 positions, 8 rows");
  state.counters["calls_per_iter"] = static_cast<double>(calls) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ProposeLots)->Unit(benchmark::kMillisecond)->Iterations(20)->UseManualTime();

}  // namespace
}  // namespace ped::bench
