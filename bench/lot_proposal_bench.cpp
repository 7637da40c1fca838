// "Propor lotes" for an item whose product has 1,000 stock positions on
// branch 0001, from the click to the filled rows: the real screen core,
// headless, against a demo server of its own over loopback HTTP. Every fifth
// lot is expired; each position holds an eighth of the item's quantity, so a
// click posts 8 rows, each through the post checks and their look-ups.
// Between clicks the item's rows are emptied again, outside the timing.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "action_row.h"
#include "core/filter_steps.h"
#include "core/screen_harness.h"
#include "domain/status_rules.h"
#include "engine/date_time.h"
#include "engine/value_text.h"
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

  // The item's product: its former stock emptied, then 1,000 lots of its
  // own at the branch's six locations.
  void layOutPositions() {
    const TfrmLiquidaItem& s = h.screen();
    const std::string product = engine::value_text::trim(s.cdsItemPedido.field("CDPRODUTO").asString());
    const std::string unit = engine::value_text::trim(s.cdsItemPedido.field("SGUNIDADE").asString());
    const auto db = sql::open(server.info().database);
    db->execute("DELETE FROM RESERVAITEM WHERE CDFILIAL = '0001' AND CDPRODUTO = :P", {{"P", product}});
    db->execute("UPDATE POSESTOQUE SET QTESTOQUE = 0 WHERE CDFILIAL = '0001' AND CDPRODUTO = :P",
                {{"P", product}});
    const char* places[][2] = {{"ALM01", "LC0101"}, {"ALM01", "LC0102"}, {"ALM01", "LC0201"},
                               {"ALM01", "LC0202"}, {"ALM02", "DC0001"}, {"ALM02", "DC0002"}};
    const double today = h.clock.today();
    db->executeScript("BEGIN");
    for (int i = 0; i < kPositions; ++i) {
      char lot[16];
      std::snprintf(lot, sizeof lot, "BENCH%04d", i);
      const double validUntil = i % 5 == 0 ? today - 1 - i % 30 : today + (i * 37) % 700;
      db->execute("INSERT INTO LOTE (CDPRODUTO, NRLOTEESTQ, DTVALILOTE, DTENTRLOTE) VALUES (:P, :L, :V, :E)",
                  {{"P", product},
                   {"L", lot},
                   {"V", engine::date_time::toIso(validUntil)},
                   {"E", engine::date_time::toIso(today - 30 - i % 90)}});
      db->execute(
          "INSERT INTO POSESTOQUE (CDFILIAL, CDPRODUTO, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE,"
          " SGUNIDADE, QTESTOQUE) VALUES ('0001', :P, :A, :C, :L, '01', :U, :Q)",
          {{"P", product},
           {"A", places[i % 6][0]},
           {"C", places[i % 6][1]},
           {"L", lot},
           {"U", unit},
           {"Q", ordered / kRowsWanted}});
    }
    db->executeScript("COMMIT");
  }
};

ProposalScreen& screen() {
  static ProposalScreen p;
  return p;
}

void BM_ProposeLots1000Positions(benchmark::State& state) {
  ProposalScreen& p = screen();
  TfrmLiquidaItem& s = p.h.screen();
  ped::bench::ActionTimes times(state);
  for (auto _ : state) {
    bool proposed = false;
    times.time([&] { proposed = s.handle([&] { s.click(s.sbtProporLotes); }); });
    if (!proposed) {
      state.SkipWithError("the proposal was refused");
      break;
    }
    if (s.cdsEvolEst.recordCount() != kRowsWanted) {
      state.SkipWithError("the proposal did not fill the item's quantity in 8 rows");
      break;
    }
    s.handle([&] { s.cdsEvolEst.copyFrom(p.emptyRows); });
    s.handle([&] { s.cdsItemPedidoAfterScroll(); });
  }
  times.report("lot proposal: 1,000 positions, 8 rows");
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

BENCHMARK(BM_ProposeLots1000Positions)->Unit(benchmark::kMillisecond)->MinTime(2)->UseManualTime();
BENCHMARK(BM_LookUp1000Positions)->Unit(benchmark::kMillisecond)->MinTime(1)->Arg(0)->Arg(1)->Arg(2);

BENCHMARK_MAIN();
