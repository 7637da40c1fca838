#include "operator/operator_screen.h"

#include <cstdio>
#include <cstdlib>

#include "core/allocation_packet.h"
#include "core/filter_steps.h"
#include "engine/date_time.h"
#include "hostlib/consiste.h"
#include "rpc/dispatcher.h"
#include "sql/connection.h"

namespace ped::bench {

namespace {

// Enough that branch 0001 holds 10,000 open orders (statuses 2 and 6) and
// branch 0003 10,000 orders of every status.
constexpr int kDemoOrders = 90'000;

std::size_t markColumn(const hostlib::Grid& grid) {
  return static_cast<std::size_t>(hostlib::consiste::IndiceCol(grid, "IDCHECK"));
}

}  // namespace

OperatorServer::OperatorServer()
    : server(std::make_unique<ped::testing::RunningDemoServer>(ped::testing::DemoServerOptions{
          .orders = kDemoOrders,
          .seed = 7,
          .today = engine::date_time::fromCivil({2026, 12, 7}),
          .callSink = [this](const rpc::CallRecord& call) {
            ++calls;
            if (traceCalls)
              std::fprintf(stderr, "%.*s %lld us\n", static_cast<int>(call.method.size()), call.method.data(),
                           static_cast<long long>(call.duration.count()));
          }})) {}

OperatorServer& operatorServer() {
  static OperatorServer s;
  return s;
}

std::pair<std::string, std::string> OperatorServer::rangeOf(const std::string& branch,
                                                            std::string_view statuses,
                                                            std::size_t count) const {
  std::string in;
  for (char c : statuses) in += std::string(in.empty() ? "'" : ",'") + c + "'";
  const std::string where = " FROM PEDIDO WHERE CDFILIAL = '" + branch + "' AND IDSITPEDIDO IN (" + in + ")";
  auto db = sql::open(server->info().database, {});
  const auto first = db->query("SELECT NRPEDIDO" + where + " ORDER BY NRPEDIDO LIMIT 1");
  const auto last =
      db->query("SELECT NRPEDIDO" + where + " ORDER BY NRPEDIDO LIMIT 1 OFFSET " + std::to_string(count - 1));
  if (first.rowCount() == 0 || last.rowCount() == 0) {
    std::fprintf(stderr, "operator_bench: a filial %s não tem %zu pedidos\n", branch.c_str(), count);
    std::abort();
  }
  return {std::string(first.text(0, "NRPEDIDO")), std::string(last.text(0, "NRPEDIDO"))};
}

OperatorScreen::OperatorScreen(std::string branch, std::string statuses)
    : branch_(std::move(branch)),
      statuses_(std::move(statuses)),
      range_(operatorServer().rangeOf(branch_, statuses_, kListedOrders)),
      h_(operatorServer().server->info(), core::testing::kGerente, false, branch_),
      s(list()) {}

core::TfrmLiquidaItem& OperatorScreen::list() {
  // Choosing the branch shows the filter dialog.
  h_.toolkit.inFilter = [this](core::TfrmFiltroLiquidaItem& d) {
    fillFilter(d);
    if (!core::testing::act(h_, [&] { d.click(d.sbtConfirma); })) fail("Confirma recusado");
  };
  core::testing::showFilter(h_, branch_);
  h_.toolkit.inFilter = nullptr;
  core::TfrmLiquidaItem& screen = h_.screen();
  if (!screen.cdsPedido.active() || screen.cdsPedido.recordCount() != kListedOrders)
    fail("a lista não tem 10.000 pedidos");
  h_.host.take();
  return screen;
}

void OperatorScreen::fillFilter(core::TfrmFiltroLiquidaItem& d) const {
  d.click(d.sbtLimpa);  // every status, client, product, seller and date
  d.typeRange(d.medDeIntervalo, range_.first);
  d.typeRange(d.medAteIntervalo, range_.second);
  if (statuses_.find('3') == std::string::npos) d.click(d.chbPLiquidado);
}

void OperatorScreen::filterAgain(const std::function<void(const std::function<void()>&)>& confirm) {
  h_.toolkit.inFilter = [&](core::TfrmFiltroLiquidaItem& d) {
    fillFilter(d);
    confirm([&] {
      if (!core::testing::act(h_, [&] { d.click(d.sbtConfirma); })) fail("Confirma recusado");
    });
  };
  run([&] { s.sbtFiltroClick(); }, "Filtrar");
  h_.toolkit.inFilter = nullptr;
  if (orders() != kListedOrders) fail("a lista não tem 10.000 pedidos");
}

void OperatorScreen::run(const std::function<void()>& handler, const char* what) {
  if (!s.handle(handler)) fail(std::string(what) + " recusado");
  h_.toolkit.processEvents();
}

void OperatorScreen::clickMark(const char* what) {
  run([&] { s.dbgPadraoCellClick(markColumn(s.dbgPadrao)); }, what);
}

void OperatorScreen::clickMarkTitle(const char* what) {
  run([&] { s.dbgPadraoTitleClick(markColumn(s.dbgPadrao)); }, what);
}

std::size_t OperatorScreen::count(std::string_view mark, std::string_view status) const {
  const engine::DataSet& list = s.cdsPedido;
  const std::size_t m = list.field("IDCHECK").index(), st = list.field("IDSITPEDIDO").index();
  std::size_t n = 0;
  for (std::size_t row = 0; row < list.recordCount(); ++row)
    if (list.displayTextAt(row, m) == mark && (status.empty() || list.displayTextAt(row, st) == status)) ++n;
  return n;
}

std::size_t OperatorScreen::orders() const { return s.cdsPedido.active() ? s.cdsPedido.recordCount() : 0; }

void OperatorScreen::allocateEveryItem() {
  std::vector<core::testing::AllocationRow> rows;
  const double validUntil = h_.clock.today() + 200;
  for (s.cdsPedido.first(); !s.cdsPedido.eof(); s.cdsPedido.next()) {
    const std::string order = s.cdsPedido.field("NRPEDIDO").asString();
    const hostlib::RemoteResult r = s.netLiquidaItem.call("GetItem", {branch_, order});
    if (!r.ok || !r.at(0)) fail("GetItem falhou para " + order);
    engine::DataSet items;
    items.loadPacket(*r.at(0));
    for (items.first(); !items.eof(); items.next()) {
      const std::string status = items.field("IDSITITEMPED").asString();
      if (status == "4" || status == "5" || status == "6") continue;
      const std::string item = items.field("NRITEMPED").asString();
      rows.push_back({{"CDFILIAL", branch_},
                      {"NRPEDIDO", order},
                      {"NRITEMPED", item},
                      {"CDALMOXARIFE", "ALM01"},
                      {"NRLOTEESTQ", std::string("L").append(item)},
                      {"DTVALILOTE", engine::Value(validUntil)},
                      {"QTEXP", items.field("QTITEMPED").asFloat()}});
    }
  }
  core::testing::loadAllocationRows(s.cdsEvolEst, rows);
  run([&] { s.cdsPedido.first(); }, "primeiro pedido");
  h_.host.take();
}

void OperatorScreen::fail(const std::string& what) {
  for (const std::string& line : h_.host.take()) std::fprintf(stderr, "  %s\n", line.c_str());
  std::fprintf(stderr, "operator_bench: %s\n", what.c_str());
  std::abort();
}

}  // namespace ped::bench
