// Marking whole orders on long lists, as the operator does it: the real
// screen core on the real application server over loopback, on a SQLite
// demo database of 90,000 orders generated for the run.
//
//   mark all: the mark column's title click on 1,000 liquidable orders of a
//     branch that moves stock, every item's allocation rows adding up.
//   click that blocks: one order marked on a 10,000-order list, blocking
//     the 3,000 or so orders of the other kind.
//   clear all: the title click that unmarks 10,000 marked orders.
//
// Every benchmark reports the GetItem round trips of one timed click
// (`getitem_per_iter`, counted by the server as it answers), all calls
// (`calls_per_iter`) and what setting it up took (`setup_s`). Marks are put
// back between iterations, outside the timing, the way the operator would.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/allocation_packet.h"
#include "core/filter_steps.h"
#include "core/screen_harness.h"
#include "core/shell/remote_call.h"
#include "domain/status_codes.h"
#include "engine/date_time.h"
#include "hostlib/consiste.h"
#include "rpc/dispatcher.h"
#include "sql/connection.h"
#include "support/demo_server.h"

namespace {

using namespace ped;
using Clock = std::chrono::steady_clock;
using core::TfrmLiquidaItem;
using core::testing::ScreenHarness;

// Enough that branch 0003 (a fifth of the orders) holds 10,000 orders of
// statuses 3, 5 and 6, and 10,000 of statuses 2 and 6.
constexpr int kDemoOrders = 90'000;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The application server on its own database, counting the calls it answers.
struct MarkingServer {
  std::atomic<long> getItemCalls{0}, allCalls{0};
  double buildSeconds = 0;
  std::unique_ptr<testing::RunningDemoServer> server;
  const testing::DemoServer* info = nullptr;

  MarkingServer() {
    const auto start = Clock::now();
    server = std::make_unique<testing::RunningDemoServer>(
        testing::DemoServerOptions{.orders = kDemoOrders,
                                   .today = engine::date_time::fromCivil({2026, 12, 7}),
                                   .callSink = [this](const rpc::CallRecord& call) {
                                     ++allCalls;
                                     if (call.method == "GetItem") ++getItemCalls;
                                   }});
    info = &server->info();
    buildSeconds = seconds(start);
  }

  // The number range holding the first `count` orders of `branch` with one
  // of `statuses` (IDSITPEDIDO codes), in number order.
  std::pair<std::string, std::string> rangeOf(const std::string& branch, const std::string& statuses,
                                              int count) const {
    std::string in;
    for (char c : statuses) in += std::string(in.empty() ? "'" : ",'") + c + "'";
    const std::string where =
        " FROM PEDIDO WHERE CDFILIAL = '" + branch + "' AND IDSITPEDIDO IN (" + in + ")";
    auto db = sql::open(info->database, {});
    const auto first = db->query("SELECT NRPEDIDO" + where + " ORDER BY NRPEDIDO LIMIT 1");
    const auto last = db->query("SELECT NRPEDIDO" + where + " ORDER BY NRPEDIDO LIMIT 1 OFFSET " +
                                std::to_string(count - 1));
    if (first.rowCount() == 0 || last.rowCount() == 0) std::abort();
    return {std::string(first.text(0, "NRPEDIDO")), std::string(last.text(0, "NRPEDIDO"))};
  }
};

MarkingServer& markingServer() {
  static MarkingServer s;
  return s;
}

// GetItem calls and all calls the server answered while it lived.
struct CallCount {
  MarkingServer& server;
  long getItem = server.getItemCalls, all = server.allCalls;
  long getItemSince() const { return server.getItemCalls - getItem; }
  long allSince() const { return server.allCalls - all; }
};

// One screen on the bench's server, its order list holding the orders of
// `branch` with `statuses` in the number range [from, to].
struct MarkingScreen {
  ScreenHarness h;
  TfrmLiquidaItem& s;

  MarkingScreen(const std::string& branch, const std::string& statuses,
                std::pair<std::string, std::string> range)
      : h(*markingServer().info, core::testing::kGerente, false, branch),
        s(list(h, branch, statuses, range)) {
    h.host.take();
  }

  static TfrmLiquidaItem& list(ScreenHarness& h, const std::string& branch, const std::string& statuses,
                               const std::pair<std::string, std::string>& range) {
    h.toolkit.inFilter = [=](core::TfrmFiltroLiquidaItem& f) {
      core::testing::everyOrder(f, branch);
      f.stStatusPedido = statuses;
      f.stTNrPedido.clear();
      f.stDeIntervalo = range.first;
      f.stAteIntervalo = range.second;
    };
    core::testing::showFilter(h, branch);
    TfrmLiquidaItem& s = h.screen();
    if (!s.handle([&] { s.sbtVerificarClick(); })) std::abort();
    return s;
  }

  [[noreturn]] void fail(const std::string& what) {
    for (const std::string& line : h.host.take()) std::fprintf(stderr, "  %s\n", line.c_str());
    std::fprintf(stderr, "marking_bench: %s\n", what.c_str());
    std::abort();
  }

  std::size_t markColumn() const {
    return static_cast<std::size_t>(hostlib::consiste::IndiceCol(s.dbgPadrao, "IDCHECK"));
  }
  bool titleClick() {
    return s.handle([&] { s.dbgPadraoTitleClick(markColumn()); });
  }
  bool cellClick() {
    return s.handle([&] { s.dbgPadraoCellClick(markColumn()); });
  }

  // Orders of the list whose mark is `mark`, and those of them with `status`
  // (any status when empty), read without moving the cursor.
  std::size_t count(std::string_view mark, std::string_view status = {}) const {
    const engine::DataSet& orders = s.cdsPedido;
    const std::size_t m = orders.field("IDCHECK").index(), st = orders.field("IDSITPEDIDO").index();
    std::size_t n = 0;
    for (std::size_t row = 0; row < orders.recordCount(); ++row)
      if (orders.displayTextAt(row, m) == mark && (status.empty() || orders.displayTextAt(row, st) == status))
        ++n;
    return n;
  }
  std::size_t orders() const { return s.cdsPedido.recordCount(); }
};

void reportCalls(benchmark::State& state, long getItem, long all, double setup) {
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["getitem_per_iter"] = static_cast<double>(getItem) / iterations;
  state.counters["calls_per_iter"] = static_cast<double>(all) / iterations;
  state.counters["setup_s"] = setup;
}

// Gives every item of the listed orders that the stock check looks at (all
// but statuses 4, 5 and 6) two allocation rows adding up to its quantity, on
// lots valid well past today; then checks a sample the way marking does.
struct Allocation {
  std::size_t rows = 0, itemsChecked = 0;
};
Allocation allocateEveryItem(MarkingScreen& m) {
  TfrmLiquidaItem& s = m.s;
  std::vector<core::testing::AllocationRow> rows;
  struct Checked {
    std::string order, item;
    double quantity;
  };
  std::vector<Checked> sample;
  const double validUntil = m.h.clock.today() + 200;
  for (s.cdsPedido.first(); !s.cdsPedido.eof(); s.cdsPedido.next()) {
    const std::string branch = s.cdsPedido.field("CDFILIAL").asString();
    const std::string order = s.cdsPedido.field("NRPEDIDO").asString();
    const hostlib::RemoteResult r = s.netLiquidaItem.call("GetItem", {branch, order});
    if (!r.ok || r.packets.empty() || !r.packets[0]) m.fail("GetItem falhou ao preparar " + order);
    engine::DataSet items;
    items.loadPacket(*r.packets[0]);
    for (items.first(); !items.eof(); items.next()) {
      const std::string status = items.field("IDSITITEMPED").asString();
      if (status == "4" || status == "5" || status == "6") continue;
      const std::string item = items.field("NRITEMPED").asString();
      const double quantity = items.field("QTITEMPED").asFloat();
      const double first = quantity / 2;
      for (const double part : {first, quantity - first})
        rows.push_back({{"CDFILIAL", branch},
                        {"NRPEDIDO", order},
                        {"NRITEMPED", item},
                        {"CDALMOXARIFE", "ALM01"},
                        {"NRLOTEESTQ", "L" + item},
                        {"DTVALILOTE", engine::Value(validUntil)},
                        {"QTEXP", part}});
      if (rows.size() % 97 < 2) sample.push_back({order, item, quantity});
    }
  }
  s.cdsPedido.first();
  core::testing::loadAllocationRows(s.cdsEvolEst, rows);
  if (s.cdsParamPedido.field("IDEVOLESTLIQMAN").asString() != "S") m.fail("a filial não confere o estoque");
  const std::string branch = s.cdsPedido.field("CDFILIAL").asString();
  if (sample.empty() || !s.handle([&] {
        for (const Checked& c : sample) s.Vd_EvolEstq(branch, c.order, c.item, c.quantity);
      }))
    m.fail("a verificação de estoque recusou um item completo");
  // The check does look at the rows: one unit more is refused.
  if (s.handle([&] { s.Vd_EvolEstq(branch, sample[0].order, sample[0].item, sample[0].quantity + 1); }))
    m.fail("a verificação de estoque aceitou uma quantidade que não fecha");
  m.h.host.take();
  s.handle([&] {
    s.pgcPadrao.choosePage(s.tshPadrao);
    s.cdsPedido.first();
  });
  return {rows.size(), sample.size()};
}

void BM_DemoDatabase(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(markingServer().info->port);
  state.counters["build_s"] = markingServer().buildSeconds;
  state.counters["orders"] = kDemoOrders;
}
// First, so that the database's build is reported on its own and not in a
// benchmark's setup.
BENCHMARK(BM_DemoDatabase)->Iterations(1);

void BM_MarkAll(benchmark::State& state) {
  const auto start = Clock::now();
  MarkingServer& server = markingServer();
  MarkingScreen m("0001", "26", server.rangeOf("0001", "26", static_cast<int>(state.range(0))));
  const Allocation allocation = allocateEveryItem(m);
  const double setup = seconds(start);
  if (m.count(domain::mark::Unmarked) != m.orders()) m.fail("pedidos da lista já marcados");
  long getItem = 0, all = 0;
  for (auto _ : state) {
    const CallCount calls{server};
    if (!m.titleClick()) m.fail("marcar todos foi recusado");
    getItem += calls.getItemSince();
    all += calls.allSince();
    state.PauseTiming();
    if (m.count(domain::mark::Marked) != m.orders()) m.fail("marcar todos deixou pedidos sem marca");
    if (!m.titleClick() || m.count(domain::mark::Unmarked) != m.orders()) m.fail("limpar as marcas falhou");
    m.h.host.take();
    state.ResumeTiming();
  }
  reportCalls(state, getItem, all, setup);
  state.counters["orders"] = static_cast<double>(m.orders());
  state.counters["allocation_rows"] = static_cast<double>(allocation.rows);
  state.counters["items_checked"] = static_cast<double>(allocation.itemsChecked);
}
BENCHMARK(BM_MarkAll)
    ->ArgName("orders")
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

void BM_ClickBlocks3000(benchmark::State& state) {
  const auto start = Clock::now();
  MarkingServer& server = markingServer();
  // Statuses 3, 5 and 6 listed: a partly served order (6) blocks the
  // reversible ones (5), the settled ones (3) stay as they are.
  MarkingScreen m("0003", "356", server.rangeOf("0003", "356", 10'000));
  m.s.batchItemReads = state.range(0) != 0;
  const double setup = seconds(start);
  const std::size_t reversible = m.count(domain::mark::Unmarked, "5");
  if (!m.s.handle([&] { m.s.cdsPedido.locate("IDSITPEDIDO", {engine::Value("6")}); }) ||
      m.s.cdsPedido.field("IDSITPEDIDO").asString() != "6")
    m.fail("nenhum pedido parcialmente atendido na lista");
  long getItem = 0, all = 0;
  for (auto _ : state) {
    const CallCount calls{server};
    if (!m.cellClick()) m.fail("a marcação do pedido foi recusada");
    getItem += calls.getItemSince();
    all += calls.allSince();
    state.PauseTiming();
    if (m.count(domain::mark::Blocked) != reversible || m.count(domain::mark::Marked) != 1)
      m.fail("o clique não bloqueou os pedidos do outro tipo");
    // Unmarking the only marked order releases them again.
    if (!m.cellClick() || m.count(domain::mark::Blocked) != 0) m.fail("desmarcar não liberou os pedidos");
    m.h.host.take();
    state.ResumeTiming();
  }
  reportCalls(state, getItem, all, setup);
  state.counters["orders"] = static_cast<double>(m.orders());
  state.counters["blocked"] = static_cast<double>(reversible);
}
// defer:1 as the screen runs; defer:0 fetches the items of every order a
// walk assigns, blocked or unmarked, as each mark is written.
BENCHMARK(BM_ClickBlocks3000)
    ->ArgName("defer")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

void BM_ClearAll10000(benchmark::State& state) {
  const auto start = Clock::now();
  MarkingServer& server = markingServer();
  // Branch 0003 moves no stock: marking all needs no allocation rows.
  MarkingScreen m("0003", "26", server.rangeOf("0003", "26", 10'000));
  m.s.batchItemReads = state.range(0) != 0;
  const double setup = seconds(start);
  long getItem = 0, all = 0;
  double markAllSeconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const auto marking = Clock::now();
    if (!m.titleClick() || m.count(domain::mark::Marked) != m.orders()) m.fail("marcar todos falhou");
    markAllSeconds += seconds(marking);
    m.h.host.take();
    const CallCount calls{server};
    state.ResumeTiming();
    if (!m.titleClick()) m.fail("limpar as marcas foi recusado");
    getItem += calls.getItemSince();
    all += calls.allSince();
    state.PauseTiming();
    if (m.count(domain::mark::Unmarked) != m.orders()) m.fail("limpar as marcas deixou pedidos marcados");
    state.ResumeTiming();
  }
  reportCalls(state, getItem, all, setup);
  state.counters["orders"] = static_cast<double>(m.orders());
  // Marking them beforehand, outside the timing: two round trips per order.
  state.counters["mark_all_s"] = markAllSeconds / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ClearAll10000)
    ->ArgName("defer")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// What one round trip of the rules costs, split: the client's bare call, and
// the same call as the rules make it (callServer, the answer loaded into the
// item list with its handlers), over the orders of one branch in turn.
void itemFetches(benchmark::State& state, const char* branch, bool intoItemList) {
  MarkingServer& server = markingServer();
  MarkingScreen m(branch, "26", server.rangeOf(branch, "26", 1000));
  TfrmLiquidaItem& s = m.s;
  std::vector<std::string> orders;
  for (s.cdsPedido.first(); !s.cdsPedido.eof(); s.cdsPedido.next())
    orders.push_back(s.cdsPedido.field("NRPEDIDO").asString());
  const std::string code = branch;
  std::size_t next = 0;
  for (auto _ : state) {
    const std::string& order = orders[next++ % orders.size()];
    if (intoItemList) {
      if (!s.handle([&] { core::callServer(s, "GetItem", {code, order}, {&s.cdsItemPedido}); }))
        m.fail("GetItem falhou");
    } else if (!s.netLiquidaItem.call("GetItem", {code, order}).ok) {
      m.fail("GetItem falhou");
    }
  }
  m.h.host.take();
}
void BM_GetItemCall(benchmark::State& state) { itemFetches(state, "0003", false); }
void BM_GetItemIntoItemList(benchmark::State& state) { itemFetches(state, "0003", true); }
// On a branch that moves stock, loading the items also narrows the
// allocation rows to the current item.
void BM_GetItemIntoItemListStock(benchmark::State& state) { itemFetches(state, "0001", true); }
BENCHMARK(BM_GetItemCall)->Unit(benchmark::kMicrosecond)->Iterations(5000)->UseRealTime();
BENCHMARK(BM_GetItemIntoItemList)->Unit(benchmark::kMicrosecond)->Iterations(5000)->UseRealTime();
BENCHMARK(BM_GetItemIntoItemListStock)->Unit(benchmark::kMicrosecond)->Iterations(5000)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
