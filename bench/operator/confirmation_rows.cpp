// Confirmar on a 10,000-order list of every status: the settlement of 1 and
// of 100 open orders not settled before, marked and justified beforehand
// (untimed), the questions answered yes. The settled orders stay listed, so
// the list keeps 10,000. Branch 0003 moves no stock; on branch 0001 each
// chosen order's open items get an allocation row at a stock position with
// room for them, and the confirmation moves that stock.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

#include "action_row.h"
#include "core/allocation_packet.h"
#include "domain/status_codes.h"
#include "operator/operator_screen.h"

namespace ped::bench {
namespace {

using core::testing::AllocationRow;

// An allocation row for each open item of `order` for its whole quantity,
// at a position with room for it on a lot still valid; false when some item
// finds none. `taken`: what the rows already chosen take from each position.
bool allocateFromStock(OperatorScreen& o, const std::string& branch, const std::string& order,
                       std::vector<AllocationRow>& rows, std::map<std::string, double>& taken) {
  const auto answer = [&](const char* method, const std::vector<netclient::Arg>& args,
                          engine::DataSet& into) {
    const hostlib::RemoteResult r = o.s.netLiquidaItem.call(method, args);
    if (!r.ok || !r.at(0)) o.fail(std::string(method) + " falhou: " + r.error);
    into.loadPacket(*r.at(0));
  };
  const double today = operatorServer().server->info().today;
  engine::DataSet items;
  answer("GetItem", {branch, order}, items);
  std::vector<AllocationRow> mine;
  std::map<std::string, double> mineTaken = taken;
  for (items.first(); !items.eof(); items.next()) {
    const std::string status = items.field("IDSITITEMPED").asString();
    if (status != "1" && status != "2" && status != "3" && status != "7") continue;
    const std::string item = items.field("NRITEMPED").asString();
    const double quantity = items.field("QTITEMPED").asFloat();
    engine::DataSet positions;
    answer("GetPosEstq", {branch, order, items.field("CDPRODUTO").asString(), "", "", item, "N", "", ""},
           positions);
    bool found = false;
    for (positions.first(); !found && !positions.eof(); positions.next()) {
      std::string position;
      for (const char* key : {"CDPRODUTO", "CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE"})
        position += positions.field(key).asString() + '|';
      double& used = mineTaken[position];
      // Free stock only: what the items' own reservations give back is not counted.
      const engine::Field& validUntil = positions.field("DTVALILOTE");
      if (positions.field("QTDISPONIVEL").asFloat() - used < quantity ||
          (!validUntil.isNull() && validUntil.asDateTime() < today))
        continue;
      used += quantity;
      AllocationRow row = {
          {"CDFILIAL", branch}, {"NRPEDIDO", order}, {"NRITEMPED", item}, {"QTEXP", quantity}};
      for (const char* key : {"CDPRODUTO", "CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE"})
        row.emplace_back(key, positions.field(key).asString());
      mine.push_back(std::move(row));
      found = true;
    }
    if (!found) return false;
  }
  rows.insert(rows.end(), mine.begin(), mine.end());
  taken = std::move(mineTaken);
  return true;
}

// The first `count` open orders (status 2) of the list, unmarked; on a branch
// that moves stock, those whose items find stock, with their allocation rows.
std::vector<std::string> chooseOrders(OperatorScreen& o, const std::string& branch, bool movesStock,
                                      std::size_t count) {
  const engine::DataSet& list = o.s.cdsPedido;
  const std::size_t number = list.field("NRPEDIDO").index(), status = list.field("IDSITPEDIDO").index();
  std::vector<std::string> out;
  std::vector<AllocationRow> rows;
  std::map<std::string, double> taken;
  for (std::size_t row = 0; row < list.recordCount() && out.size() < count; ++row) {
    if (list.displayTextAt(row, status) != "2") continue;
    const std::string order = list.displayTextAt(row, number);
    if (!movesStock || allocateFromStock(o, branch, order, rows, taken)) out.push_back(order);
  }
  if (movesStock) core::testing::loadAllocationRows(o.s.cdsEvolEst, rows);
  return out;
}

// args: the branch (1 or 3), the orders settled at once.
void BM_ConfirmSettlement(benchmark::State& state) {
  const bool movesStock = state.range(0) == 1;
  const std::string branch = movesStock ? "0001" : "0003";
  OperatorScreen o(branch, "3526");
  core::TfrmLiquidaItem& s = o.s;
  const auto orders = static_cast<std::size_t>(state.range(1));
  ActionTimes times(state);
  long calls = 0;
  for (auto _ : state) {
    const std::vector<std::string> chosen = chooseOrders(o, branch, movesStock, orders);
    if (chosen.size() != orders) o.fail("faltam pedidos em aberto");
    for (const std::string& number : chosen) {
      o.run([&] { s.cdsPedido.locate("NRPEDIDO", {engine::Value(number)}); }, "ir ao pedido");
      o.clickMark("marcar o pedido");
    }
    o.run([&] { s.click(s.mnuJustExcl); }, "página de justificativa");
    o.run([&] { s.typeCdJust("0003"); }, "justificativa");
    o.shown();
    o.answer(true);
    if (movesStock) o.answer(true);  // the stock will be moved
    const std::size_t othersOpen = o.count(domain::mark::Unmarked, "2");
    const CallCount count;
    times.time([&] { o.run([&] { s.click(s.sbtConfirmar); }, "Confirmar"); });
    calls += count.since();
    if (o.count(domain::mark::Marked) != 0 || o.count(domain::mark::Unmarked, "2") != othersOpen ||
        o.orders() != kListedOrders)
      o.fail("a confirmação não liquidou os pedidos marcados");
    o.shown();
  }
  times.report("confirm a settlement of " + std::to_string(orders) + (orders == 1 ? " order" : " orders") +
               (movesStock ? ", branch 0001 (stock moved)" : ", branch 0003"));
  state.counters["calls_per_iter"] = static_cast<double>(calls) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ConfirmSettlement)
    ->ArgNames({"branch", "orders"})
    ->Args({3, 1})
    ->Args({3, 100})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseManualTime();
// Each reload of a list that moves stock takes seconds (README): fewer turns.
BENCHMARK(BM_ConfirmSettlement)
    ->ArgNames({"branch", "orders"})
    ->Args({1, 1})
    ->Args({1, 100})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseManualTime();

}  // namespace
}  // namespace ped::bench
