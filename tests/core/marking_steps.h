#pragma once
// Marking as the operator does it in the tests: a branch's orders listed,
// clicks on the cells and titles of the order and item grids and the space
// bar, as the window forwards them, each one event; the marks read back
// without moving any cursor.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/allocation_packet.h"
#include "core/filter_steps.h"
#include "core/orders/marking_state.h"
#include "hostlib/consiste.h"
#include "hostlib/keys.h"

namespace ped::core::testing {

class MarkingTest : public ::testing::Test {
 protected:
  using Lines = std::vector<std::string>;

  MarkingTest() = default;
  // The screen on a server of the test's own, for tests that change orders.
  explicit MarkingTest(const ped::testing::DemoServer& server) : h_(server) {}

  TfrmLiquidaItem& s() const { return h_.screen(); }

  // Opens the screen on `branch` and lists its orders of the given statuses
  // (IDSITPEDIDO codes, "3526": all) with their items of `itemStatuses`
  // (IDSITITEMPED codes), the order page showing.
  TfrmLiquidaItem& listOrders(const std::string& branch, const std::string& statuses = "3526",
                              const std::string& itemStatuses = "1234657") {
    h_.toolkit.inFilter = [branch, statuses, itemStatuses](TfrmFiltroLiquidaItem& f) {
      everyOrder(f, branch);
      f.stStatusPedido = statuses;
      f.stStatusItemPedido = itemStatuses;
    };
    // Not openOnBranch: it would confirm the dialog with every status.
    h_.open();
    h_.enterBranchField();
    h_.typeBranch(branch);
    h_.leaveBranchField();
    TfrmLiquidaItem& screen = h_.screen();
    EXPECT_TRUE(screen.handle([&] { screen.sbtVerificarClick(); }));
    h_.host.take();
    return screen;
  }

  // The operator puts the grid's cursor on order `number` (NRPEDIDO).
  bool toOrder(const std::string& number) {
    bool found = false;
    return run([&] { found = s().cdsPedido.locate("NRPEDIDO", {engine::Value(number)}); }) && found;
  }
  // The item page showing, the cursor on item `number` (NRITEMPED).
  bool toItem(const std::string& number) {
    TfrmLiquidaItem& screen = s();
    bool found = false;
    return run([&] { screen.pgcPadrao.choosePage(screen.tshItemPedido); }) &&
           run([&] { found = screen.cdsItemPedido.locate("NRITEMPED", {engine::Value(number)}); }) && found;
  }

  // ---- Clicks and keys, as the window forwards them. Each returns whether
  // the handler ran to its end (a refusal aborts it).
  bool clickOrder(const char* field = "IDCHECK") {
    return run([&] { s().dbgPadraoCellClick(column(s().dbgPadrao, field)); });
  }
  bool titleOrders(const char* field = "IDCHECK") {
    return run([&] { s().dbgPadraoTitleClick(column(s().dbgPadrao, field)); });
  }
  bool keyOrders(bool ctrl = false, int key = hostlib::kKeySpace) {
    return run([&] { s().dbgPadraoKeyDown(key, ctrl ? hostlib::ssCtrl : 0u); });
  }
  bool clickItem(const char* field = "IDCHECK") {
    return run([&] { s().dbgItemPedidoCellClick(column(s().dbgItemPedido, field)); });
  }
  bool titleItems(const char* field = "IDCHECK") {
    return run([&] { s().dbgItemPedidoTitleClick(column(s().dbgItemPedido, field)); });
  }
  bool keyItems(bool ctrl = false, int key = hostlib::kKeySpace) {
    return run([&] { s().dbgItemPedidoKeyDown(key, ctrl ? hostlib::ssCtrl : 0u); });
  }
  // A pop-up menu's entry, chosen after the menu opened.
  bool choose(hostlib::Control& entry) {
    return run([&] { s().click(entry); });
  }

  // ---- What the operator sees
  // "NRPEDIDO status mark" of every order, in list order (mark "-" when empty).
  Lines orderMarks() const { return marks(s().cdsPedido, "NRPEDIDO", "IDSITPEDIDO"); }
  Lines itemMarks() const { return marks(s().cdsItemPedido, "NRITEMPED", "IDSITITEMPED"); }
  // The marking's counts (orders marked/unmarked/blocked, items
  // marked/unmarked/unmarkable) and the operation Confirmar would carry out.
  std::string markingState() const {
    static const char* const names[] = {"nenhuma", "liquidar pedidos", "excluir pedidos", "liquidar itens",
                                        "excluir itens"};
    return marking.summary() +
           " op=" + names[static_cast<int>(marking.operation(s().cdsPedido, s().cdsItemPedido))];
  }
  std::string currentOrder() const { return s().cdsPedido.field("NRPEDIDO").asString(); }
  std::string currentItem() const { return s().cdsItemPedido.field("NRITEMPED").asString(); }
  // What the host showed since the last look, the busy indicator left out.
  Lines messages() {
    Lines out;
    for (std::string& line : h_.host.take())
      if (!line.starts_with("aguarde")) out.push_back(std::move(line));
    return out;
  }

  // The orders' items as the server has them (GetItem), without touching
  // the screen's lists.
  void itemsOf(const std::string& branch, const std::string& order, engine::DataSet& items) {
    const hostlib::RemoteResult r = s().netLiquidaItem.call("GetItem", {branch, order});
    ASSERT_TRUE(r.ok && !r.packets.empty() && r.packets[0]);
    items.loadPacket(*r.packets[0]);
  }
  // Replaces the allocation rows with one row per open item of `orders`
  // (each of them on `branch`) for its whole quantity, plus `extra` rows;
  // the stock check then passes for every item of those orders that has no
  // extra row.
  void allocateWhole(const std::string& branch, const std::vector<std::string>& orders,
                     std::vector<AllocationRow> extra = {}) {
    std::vector<AllocationRow> rows = std::move(extra);
    for (const std::string& order : orders) {
      engine::DataSet items;
      itemsOf(branch, order, items);
      for (items.first(); !items.eof(); items.next())
        rows.push_back({{"CDFILIAL", branch},
                        {"NRPEDIDO", order},
                        {"NRITEMPED", items.field("NRITEMPED").asString()},
                        {"CDALMOXARIFE", "ALM01"},
                        // Appended, not prefixed: GCC 12 warns falsely on "L" + text here.
                        {"NRLOTEESTQ", std::string("L").append(items.field("NRITEMPED").asString())},
                        {"QTEXP", items.field("QTITEMPED").asFloat()}});
    }
    loadAllocationRows(s().cdsEvolEst, rows);
  }

  ScreenHarness h_;

 private:
  bool run(const std::function<void()>& move) { return s().handle(move); }
  static std::size_t column(const hostlib::Grid& grid, const char* field) {
    const int c = hostlib::consiste::IndiceCol(grid, field);
    EXPECT_GE(c, 0) << field;
    return static_cast<std::size_t>(c);
  }
  static Lines marks(const engine::DataSet& ds, const char* key, const char* status) {
    Lines out;
    if (!ds.active()) return out;
    const std::size_t k = ds.field(key).index(), st = ds.field(status).index(),
                      m = ds.field("IDCHECK").index();
    for (std::size_t row = 0; row < ds.recordCount(); ++row) {
      const std::string mark = ds.displayTextAt(row, m);
      out.push_back(ds.displayTextAt(row, k) + " " + ds.displayTextAt(row, st) + " " +
                    (mark.empty() ? "-" : mark));
    }
    return out;
  }
};

}  // namespace ped::core::testing
