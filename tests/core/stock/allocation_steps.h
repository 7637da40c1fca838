#pragma once
// The allocation grid as the operator meets it in the tests: a branch's
// orders listed, the item page showing, an item current and the grid
// focused; the operator's moves in the grid go through the screen's moves,
// as the window forwards them.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/allocation_packet.h"
#include "core/allocation_steps.h"
#include "core/filter_steps.h"
#include "hostlib/consiste.h"

namespace ped::core::testing {

class AllocationTest : public ::testing::Test {
 protected:
  using Lines = std::vector<std::string>;

  // The branch chosen and every order of it listed, then the item page.
  TfrmLiquidaItem& onBranch(const std::string& branch) {
    TfrmLiquidaItem& s = openOnBranch(h_, branch);
    EXPECT_TRUE(s.handle([&] { s.sbtVerificarClick(); }));
    EXPECT_TRUE(s.handle([&] { s.pgcPadrao.choosePage(s.tshItemPedido); }));
    h_.host.take();
    return s;
  }

  // Walks the orders and their items to the first item still open for
  // settlement (status up to 3) for which `wanted` holds; the grid focused.
  bool onItem(const std::function<bool()>& wanted = [] { return true; }) {
    TfrmLiquidaItem& s = h_.screen();
    for (s.handle([&] { s.cdsPedido.first(); }); !s.cdsPedido.eof(); s.handle([&] { s.cdsPedido.next(); })) {
      for (s.handle([&] { s.cdsItemPedido.first(); }); !s.cdsItemPedido.eof();
           s.handle([&] { s.cdsItemPedido.next(); })) {
        if (std::stoi(s.cdsItemPedido.field("IDSITITEMPED").asString()) <= 3 && wanted()) {
          h_.host.take();
          return run([&] { s.enterGrid(s.dbgLiqEst); }) && s.focused() == &s.dbgLiqEst;
        }
      }
    }
    return false;
  }
  bool itemHasRows() const { return !h_.screen().cdsEvolEst.isEmpty(); }

  // ---- The operator's moves in the allocation grid, as the window forwards
  // them: the toolbar, the cell cursor, typing, Enter and Esc.
  bool include() { return click(h_.screen().sbtIncluir); }
  bool alter() { return click(h_.screen().sbtAlterar); }
  // Goes to `field`'s cell (leaving the current one runs its check) and
  // types `value` as the operator writes it.
  bool type(const char* field, const engine::Value& value) {
    TfrmLiquidaItem& s = h_.screen();
    const std::size_t column = columnOf(s, field);
    const std::string typed = rows().field(field).asStringOf(value);
    return select(field) && run([&] { s.typeLiqEstCell(column, typed); });
  }
  // Leaves `field`'s cell for the next column, its check running.
  bool leave(const char* field) {
    TfrmLiquidaItem& s = h_.screen();
    return select(field) && run([&] { s.moveLiqEstColumn(columnOf(s, field) + 1); });
  }
  // The ellipsis button of `field`'s cell; the operator chooses row `recNo`
  // of the list (0: leaves it).
  bool pick(const char* field, std::size_t recNo) {
    if (!select(field)) return false;
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

  ScreenHarness h_;

 private:
  bool run(const std::function<void()>& move) { return h_.screen().handle(move); }
  bool click(hostlib::Control& button) {
    return run([&] { h_.screen().click(button); });
  }
  // The cell cursor to `field`'s column as the operator moves it: the cell
  // left is checked first, and a refusal keeps the cursor.
  bool select(const char* field) {
    TfrmLiquidaItem& s = h_.screen();
    const std::size_t column = columnOf(s, field);
    return s.dbgLiqEst.selectedColumn == column ||
           (run([&] { s.moveLiqEstColumn(column); }) && s.dbgLiqEst.selectedColumn == column);
  }
};

}  // namespace ped::core::testing
