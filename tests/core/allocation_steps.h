#pragma once
// The allocation grid as the operator meets it in the tests: a branch's
// orders listed, the item page showing, an item current and the grid
// focused; the operator's moves in the grid go through the screen's moves,
// as the window forwards them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/filter_steps.h"
#include "domain/status_rules.h"
#include "hostlib/consiste.h"

namespace ped::core::testing {

class AllocationTest : public ::testing::Test {
 protected:
  using Lines = std::vector<std::string>;

  AllocationTest() = default;
  // On a server of the test's own, whose data it changes.
  explicit AllocationTest(const ped::testing::DemoServer& server) : h_(server) {}

  TfrmLiquidaItem& s() const { return h_.screen(); }

  // The branch chosen and every order of it listed, then the item page.
  TfrmLiquidaItem& onBranch(const std::string& branch) {
    TfrmLiquidaItem& s = openOnBranch(h_, branch);
    EXPECT_TRUE(s.handle([&] { s.sbtVerificarClick(); }));
    EXPECT_TRUE(s.handle([&] { s.pgcPadrao.choosePage(s.tshItemPedido); }));
    h_.host.take();
    return s;
  }

  // Walks the orders and their items to the first item that takes allocation
  // rows and for which `wanted` holds, and enters the grid.
  bool onItem(const std::function<bool()>& wanted = [] { return true; }) {
    TfrmLiquidaItem& s = h_.screen();
    for (s.handle([&] { s.cdsPedido.first(); }); !s.cdsPedido.eof(); s.handle([&] { s.cdsPedido.next(); })) {
      for (s.handle([&] { s.cdsItemPedido.first(); }); !s.cdsItemPedido.eof();
           s.handle([&] { s.cdsItemPedido.next(); })) {
        if (domain::takesAllocationRows(s.cdsItemPedido.field("IDSITITEMPED").asString()) && wanted()) {
          h_.host.take();
          return enterAllocationGrid();
        }
      }
    }
    return false;
  }
  bool itemHasRows() const { return !rows().isEmpty(); }
  // The focus into the allocation grid; whether it has it.
  bool enterAllocationGrid() {
    TfrmLiquidaItem& s = h_.screen();
    return run([&] { s.enterGrid(s.dbgLiqEst); }) && s.focused() == &s.dbgLiqEst;
  }

  // ---- The operator's moves in the allocation grid, as the window forwards
  // them: the toolbar, the cell cursor, typing, Enter and Esc.
  bool include() { return click(h_.screen().sbtIncluir); }
  bool alter() { return click(h_.screen().sbtAlterar); }
  // Excluir, the question answered yes.
  bool remove() {
    h_.host.answer(true);
    return click(h_.screen().sbtExcluir);
  }
  // The cell cursor to `field`'s column as the operator moves it: the cell
  // left is checked first, and a refusal keeps the cursor. Whether it moved
  // (a hidden column hands it on to the next one).
  bool go(const char* field) {
    TfrmLiquidaItem& s = h_.screen();
    const std::size_t column = columnOf(field);
    if (s.dbgLiqEst.selectedColumn == column) return true;
    bool moved = false;
    return run([&] { moved = s.moveLiqEstColumn(column); }) && moved;
  }
  // Tab from the current cell to `field`'s, column by column as the window
  // steps (hidden columns passed over), each cell left checked on the way.
  bool tabTo(const char* field) {
    TfrmLiquidaItem& s = h_.screen();
    const std::vector<hostlib::Grid::Column>& columns = s.dbgLiqEst.columns;
    while (s.dbgLiqEst.selectedColumn < columnOf(field)) {
      std::size_t next = s.dbgLiqEst.selectedColumn + 1;
      while (next < columns.size() && !columns[next].visible) ++next;
      if (!run([&] { s.moveLiqEstColumn(next); }) || s.dbgLiqEst.selectedColumn != next) return false;
    }
    return focus() == field;
  }
  // Goes to `field`'s cell and types `text` as the operator writes it
  // (quantities with a decimal comma).
  bool type(const char* field, std::string_view text) {
    TfrmLiquidaItem& s = h_.screen();
    return go(field) && focus() == field && run([&] { s.typeLiqEstCell(columnOf(field), text); });
  }
  // Leaves `field`'s cell for the next column, its check running.
  bool leave(const char* field) {
    TfrmLiquidaItem& s = h_.screen();
    return go(field) && run([&] { s.moveLiqEstColumn(columnOf(field) + 1); });
  }
  // The ellipsis button of `field`'s cell; the operator chooses row `recNo`
  // of the list (0: leaves it).
  bool pick(const char* field, std::size_t recNo) {
    if (!go(field)) return false;
    if (recNo)
      h_.host.chooseRowNumber(recNo);
    else
      h_.host.leaveSearch();
    return run([this] { h_.screen().dbgLiqEstEditButtonClick(); });
  }
  bool post() {
    return run([this] { h_.screen().postLiqEst(); });
  }
  bool cancel() {
    return run([this] { h_.screen().cancelLiqEst(); });
  }

  // A quantity as the operator types it: three decimals after a comma.
  static std::string typed(double quantity) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", quantity);
    std::string out = text;
    std::replace(out.begin(), out.end(), '.', ',');
    return out;
  }

  // Where the focus is: the grid focused on the field of its cell cursor.
  std::string focus() const {
    const TfrmLiquidaItem& s = h_.screen();
    if (s.focused() != &s.dbgLiqEst) return "elsewhere";
    return s.dbgLiqEst.selectedField();
  }
  // What the operator saw since the last look, the busy indicator left out.
  Lines messages() {
    Lines out;
    for (std::string& line : h_.host.take())
      if (!line.starts_with("aguarde")) out.push_back(std::move(line));
    return out;
  }
  // Whether anything was asked of the server since the last look.
  bool askedServer() {
    const Lines shown = h_.host.take();
    return std::any_of(shown.begin(), shown.end(),
                       [](const std::string& l) { return l.starts_with("aguarde"); });
  }

  engine::DataSet& rows() const { return h_.screen().cdsEvolEst; }
  std::string text(const char* field) const { return rows().field(field).asString(); }
  double number(const char* field) const { return rows().field(field).asFloat(); }
  std::size_t columnOf(std::string_view field) const {
    return static_cast<std::size_t>(hostlib::consiste::IndiceCol(h_.screen().dbgLiqEst, field));
  }

  ScreenHarness h_;

 private:
  bool run(const std::function<void()>& move) { return h_.screen().handle(move); }
  bool click(hostlib::Control& button) {
    return run([&] { h_.screen().click(button); });
  }
};

}  // namespace ped::core::testing
