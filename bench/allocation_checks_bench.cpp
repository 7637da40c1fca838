// The screen's allocation checks among 1,000,000 allocation rows (250,000
// items of four rows besides the demo's own), on a real screen logged in on
// the demo server:
//
//   per-item check: Vd_EvolEstq of one item, the shadow copy included.
//   row post: insert a row, fill it, set its quantity, post - the post checks
//     without server look-ups (the duplicate check and the booking of the
//     quantity), the change log merged and the controls enabled after it;
//     the first post, which builds indexes once, is reported apart.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "core/filter_steps.h"
#include "core/screen_harness.h"
#include "hostlib/consiste.h"

namespace {

using namespace ped;
using core::TfrmLiquidaItem;

constexpr int kOrders = 62'500, kItemsPerOrder = 4, kRowsPerItem = 4;
constexpr double kRowQuantity = 1.5;

std::string syntheticOrder(int order) {
  char number[16];
  std::snprintf(number, sizeof number, "9%09d", order);
  return number;
}

// The screen on branch 0001 with its allocation rows grown to 1,000,000.
struct BigAllocation {
  core::testing::ScreenHarness h;
  BigAllocation() {
    h.toolkit.inFilter = [](core::TfrmFiltroLiquidaItem& f) { core::testing::everyOrder(f, "0001"); };
    core::testing::showFilter(h, "0001");
    TfrmLiquidaItem& s = h.screen();
    // The orders with their allocation rows, and the item page on the first item.
    if (!s.handle([&] { s.sbtVerificarClick(); })) std::abort();
    s.handle([&] { s.pgcPadrao.choosePage(s.tshItemPedido); });
    if (!s.cdsEvolEst.active() || s.cdsItemPedido.isEmpty()) std::abort();
    engine::DataSet rows;
    rows.copyFrom(s.cdsEvolEst);  // the demo's own rows, then the synthetic ones
    const double validUntil = h.clock.today() + 200;
    const char* warehouses[] = {"01", "02", "03", "04"};
    for (int o = 0; o < kOrders; ++o) {
      const std::string order = syntheticOrder(o);
      for (int i = 1; i <= kItemsPerOrder; ++i) {
        for (int r = 0; r < kRowsPerItem; ++r) {
          rows.append();
          rows.field("CDFILIAL").setString("0001");
          rows.field("NRPEDIDO").setString(order);
          rows.field("NRITEMPED").setString(std::to_string(i));
          rows.field("CDPRODUTO").setString("000101");
          rows.field("CDALMOXARIFE").setString(warehouses[r]);
          rows.field("DSALMOXARIFE").setString("Almoxarifado");
          rows.field("CDLOCALESTOQ").setString("LC01");
          rows.field("DSLOCALESTOQ").setString("Corredor 1");
          // Appended, not prefixed: GCC 12 warns falsely on "L" + text here.
          rows.field("NRLOTEESTQ").setString(std::string("L").append(std::to_string(o % 997)));
          rows.field("NRSUBLOTE").setString("01");
          rows.field("SGUNIDADE").setString("UN");
          rows.field("QTDISPONIVEL").setFloat(10);
          rows.field("QTRESPRODPED").setFloat(kRowQuantity);
          rows.field("QTEXP").setFloat(kRowQuantity);
          rows.field("DTVALILOTE").setDateTime(validUntil);
          rows.field("DTENTRLOTE").setDateTime(validUntil - 400);
          rows.post();
        }
      }
    }
    s.handle([&] { s.cdsEvolEst.copyFrom(rows); });
    h.host.take();
  }
};

BigAllocation& screen() {
  static BigAllocation big;
  return big;
}

void setParameter(engine::DataSet& parameters, const char* field, const char* value) {
  parameters.edit();
  parameters.field(field).setString(value);
  parameters.post();
}

void BM_ItemCheck1M(benchmark::State& state) {
  BigAllocation& big = screen();
  TfrmLiquidaItem& s = big.h.screen();
  setParameter(s.cdsParamPedido, "IDEVOLESTLIQMAN", "S");
  std::mt19937 rng(1);
  for (auto _ : state) {
    const std::string order = syntheticOrder(static_cast<int>(rng() % kOrders));
    const std::string item = std::to_string(1 + rng() % kItemsPerOrder);
    try {
      s.Vd_EvolEstq("0001", order, item, kRowQuantity * kRowsPerItem);
    } catch (const hostlib::Abort&) {
      state.SkipWithError("the per-item check refused a complete item");
      break;
    }
  }
  state.counters["rows"] = static_cast<double>(s.cdsEvolEstAux.recordCount());
}

// `lots` "S": the duplicate check counts rows on the shadow copy; the look-ups
// of the keys are kept off the server by the order parameter. "N": the keys
// are not in use at all, as on a branch without warehouses or lots.
void postRows(benchmark::State& state, const char* lots) {
  BigAllocation& big = screen();
  TfrmLiquidaItem& s = big.h.screen();
  setParameter(s.cdsParamPedido, "IDEVOLESTLIQMAN", "N");
  setParameter(s.cdsParamFilial, "IDUTILALMOX", "N");
  setParameter(s.cdsParamFilial, "IDUTILLCESTQ", "N");
  setParameter(s.cdsParamFilial, "IDUTILLOTE", lots);
  engine::DataSet& rows = s.cdsEvolEst;
  int n = 0;
  auto postRow = [&] {
    rows.insert();
    rows.field("CDALMOXARIFE").setString("09");
    rows.field("CDLOCALESTOQ").setString("Z1");
    rows.field("NRLOTEESTQ").setString(std::string(lots) + std::to_string(++n));
    rows.field("NRSUBLOTE").setString("1");
    rows.field("QTDISPONIVEL").setFloat(10);
    rows.field("QTEXP").setFloat(1);
    rows.post();
  };
  // The first post of a loaded data set builds the equality indexes of the
  // key columns the duplicate count filters on: measured apart.
  const auto start = std::chrono::steady_clock::now();
  postRow();
  state.counters["first_post_ms"] =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  for (auto _ : state) {
    try {
      postRow();
    } catch (const hostlib::Abort&) {
      state.SkipWithError("a new position's post was refused");
      break;
    }
  }
  state.counters["item_rows"] = static_cast<double>(rows.recordCount());
  setParameter(s.cdsParamPedido, "IDEVOLESTLIQMAN", "S");
}

void BM_PostRowDuplicateCheck1M(benchmark::State& state) { postRows(state, "S"); }
void BM_PostRowKeysNotInUse1M(benchmark::State& state) { postRows(state, "N"); }

}  // namespace

BENCHMARK(BM_ItemCheck1M)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PostRowDuplicateCheck1M)->Unit(benchmark::kMicrosecond)->Iterations(1000);
BENCHMARK(BM_PostRowKeysNotInUse1M)->Unit(benchmark::kMicrosecond)->Iterations(1000);

BENCHMARK_MAIN();
