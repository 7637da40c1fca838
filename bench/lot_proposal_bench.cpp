// "Propor lotes" for an item whose product has 1,000 stock positions on
// branch 0001, from the click to the filled rows: the real screen core,
// headless, against a demo server of its own over loopback HTTP. Every fifth
// lot is expired; each position holds an eighth of the item's quantity, so a
// click posts 8 rows, each through the post checks and their look-ups.
// Between clicks the item's rows are emptied again, outside the timing.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "core/filter_steps.h"
#include "core/screen_harness.h"
#include "domain/status_rules.h"
#include "engine/date_time.h"
#include "engine/value_text.h"
#include "lot_positions.h"
#include "sql/connection.h"
#include "support/demo_server.h"

namespace {

using namespace ped;
using core::TfrmLiquidaItem;

constexpr int kPositions = 1000, kRowsWanted = 8;

struct ProposalScreen {
  ped::testing::RunningDemoServer server;
  core::testing::ScreenHarness h{server.info()};
  engine::DataSet emptyRows;  // the allocation rows before any click
  double ordered = 0;

  ProposalScreen() {
    h.toolkit.inFilter = [](core::TfrmFiltroLiquidaItem& f) { core::testing::everyOrder(f, "0001"); };
    core::testing::showFilter(h, "0001");
    TfrmLiquidaItem& s = h.screen();
    if (!s.handle([&] { s.sbtVerificarClick(); })) std::abort();
    s.handle([&] { s.pgcPadrao.choosePage(s.tshItemPedido); });
    if (!onItemWithoutRows()) std::abort();
    ordered = s.cdsItemPedido.field("QTITEMPED").asFloat();
    layOutPositions();
    emptyRows.copyFrom(s.cdsEvolEst);
    if (!s.handle([&] { s.enterGrid(s.dbgLiqEst); }) || !s.sbtProporLotes.usable()) std::abort();
    h.host.take();
  }

  bool onItemWithoutRows() {
    TfrmLiquidaItem& s = h.screen();
    for (s.handle([&] { s.cdsPedido.first(); }); !s.cdsPedido.eof(); s.handle([&] { s.cdsPedido.next(); }))
      for (s.handle([&] { s.cdsItemPedido.first(); }); !s.cdsItemPedido.eof();
           s.handle([&] { s.cdsItemPedido.next(); }))
        if (domain::takesAllocationRows(s.cdsItemPedido.field("IDSITITEMPED").asString()) &&
            s.cdsEvolEst.isEmpty())
          return true;
    return false;
  }

  void layOutPositions() {
    const TfrmLiquidaItem& s = h.screen();
    ped::bench::layOutPositions(server.info().database,
                                engine::value_text::trim(s.cdsItemPedido.field("CDPRODUTO").asString()),
                                engine::value_text::trim(s.cdsItemPedido.field("SGUNIDADE").asString()),
                                kPositions, ordered / kRowsWanted, h.clock.today());
  }
};

ProposalScreen& screen() {
  static ProposalScreen p;
  return p;
}

void BM_ProposeLots1000Positions(benchmark::State& state) {
  ProposalScreen& p = screen();
  TfrmLiquidaItem& s = p.h.screen();
  for (auto _ : state) {
    if (!s.handle([&] { s.click(s.sbtProporLotes); })) {
      state.SkipWithError("the proposal was refused");
      break;
    }
    state.PauseTiming();
    if (s.cdsEvolEst.recordCount() != kRowsWanted) {
      state.SkipWithError("the proposal did not fill the item's quantity in 8 rows");
      break;
    }
    s.handle([&] { s.cdsEvolEst.copyFrom(p.emptyRows); });
    s.handle([&] { s.cdsItemPedidoAfterScroll(); });
    state.ResumeTiming();
  }
  state.counters["rows"] = kRowsWanted;
  state.counters["positions"] = kPositions;
}

// Where the time goes, the calls alone (HTTP, JSON-RPC, the server's query):
// arg 0, the proposal's one look-up of the product's 1,000 positions; arg 1,
// a row's warehouse check, which reads the warehouse's 667 positions; arg 2,
// a row's lot check (one position).
void BM_LookUp1000Positions(benchmark::State& state) {
  TfrmLiquidaItem& s = screen().h.screen();
  const engine::DataSet& item = s.cdsItemPedido;
  const std::int64_t narrow = state.range(0);
  const std::string warehouse = narrow ? "ALM01" : "", location = narrow == 2 ? "LC0101" : "",
                    lot = narrow == 2 ? "BENCH0006" : "";
  const std::vector<netclient::Arg> args = {item.field("CDFILIAL").asString(),
                                            item.field("NRPEDIDO").asString(),
                                            item.field("CDPRODUTO").asString(),
                                            warehouse,
                                            location,
                                            item.field("NRITEMPED").asString(),
                                            std::string("N"),
                                            lot,
                                            std::string()};
  std::size_t positions = 0;
  for (auto _ : state) {
    const hostlib::RemoteResult r = s.netLiquidaItem.call("GetPosEstq", args);
    if (!r.ok) {
      state.SkipWithError("the look-up failed");
      break;
    }
    positions = r.at(0) ? r.at(0)->size() : 0;
  }
  state.counters["answer_bytes"] = static_cast<double>(positions);
}

}  // namespace

BENCHMARK(BM_ProposeLots1000Positions)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_LookUp1000Positions)->Unit(benchmark::kMillisecond)->MinTime(1)->Arg(0)->Arg(1)->Arg(2);

BENCHMARK_MAIN();
