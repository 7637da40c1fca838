#pragma once
// Steps of the settlement road shared by the window tests that walk it on a
// demo server of their own: finding orders by their allocation rows, and
// allocating an item's whole quantity in the allocation grid.

#include <QLineEdit>
#include <QToolButton>
#include <map>
#include <optional>
#include <vector>

#include "domain/status_rules.h"
#include "engine/data_set.h"
#include "netclient/net_connection.h"
#include "views/allocation_cell_editor.h"
#include "views/allocation_grid_view.h"
#include "views/host_steps.h"

namespace ped::views::testing {

inline int rowOf(const QTableView* grid, const QString& order) {
  for (int r = 0; r < grid->model()->rowCount(); ++r)
    if (cell(grid, r, QStringLiteral("Nº Pedido")) == order) return r;
  return -1;
}

// The screen opened in `host` (its window 1000 × 720, maximized), branch
// 0001 typed and left and the filter confirmed: `orders` lists its orders.
inline void listOrdersOf0001(DemoHost& host, QWidget*& screen, QTableView*& orders) {
  host.open();
  screen = host.screen();
  ASSERT_NE(screen, nullptr);
  host.runtime->window().resize(1000, 720);
  screen->parentWidget()->showMaximized();
  orders = part<QTableView>(screen, "dbgPadrao");
  EXPECT_SOON(focusInWindowOf(screen) == QStringLiteral("medCdFilial"));
  static int filters = 0;  // outlives a dialog that opens after a failure here
  confirmNextFilter(&filters);
  QTest::keyClick(part<QLineEdit>(screen, "medCdFilial"), Qt::Key_Tab);
  ASSERT_SOON(orders->model()->rowCount() > 0);
}

// A connection of the test's own to `server`, logged in as GERENTE.
inline void logInAside(netclient::TNetConnection& net, const ped::testing::DemoServer& server) {
  net.Port = server.port;
  net.Open();
  ASSERT_TRUE(net.Login("GERENTE", "gerente123").ok);
}

struct LackingItem {
  std::string item;
  double quantity = 0;
};

// The items of `order` (branch 0001) that marking the order would refuse
// for want of allocation rows, as the server delivers them: each has none at
// all. nullopt when an item is allocated in part or cannot take rows, or the
// server answers nothing.
inline std::optional<std::vector<LackingItem>> lackingItems(netclient::TNetConnection& net,
                                                            const std::string& order) {
  const hostlib::RemoteResult items = net.call("GetItem", {"0001", order});
  const hostlib::RemoteResult rows =
      net.call("GetEvolEstq",
               {netclient::Arg::packet(R"({"fields":[{"name":"CDFILIAL","type":"string","size":4},)"
                                       R"({"name":"NRPEDIDO","type":"string","size":10}],"rows":[["0001",")" +
                                       order + R"("]]})")});
  if (!items.ok || !rows.ok || !items.at(0) || !rows.at(0)) return std::nullopt;
  engine::DataSet item, row;
  item.loadPacket(*items.at(0));
  row.loadPacket(*rows.at(0));
  std::map<std::string, double> allocated;
  for (row.first(); !row.eof(); row.next())
    allocated[row.field("NRITEMPED").asString()] += row.field("QTEXP").asFloat();
  std::vector<LackingItem> lacking;
  for (item.first(); !item.eof(); item.next()) {
    // The items that marking the whole order checks.
    const std::string status = item.field("IDSITITEMPED").asString();
    if (status == domain::item_status::Settled || status == domain::item_status::Cancelled ||
        status == domain::item_status::SettledByHand)
      continue;
    const std::string number = item.field("NRITEMPED").asString();
    const double wanted = item.field("QTITEMPED").asFloat();
    if (std::abs(allocated[number] - wanted) < 0.0005) continue;
    if (allocated[number] > 0 || !domain::takesAllocationRows(status)) return std::nullopt;
    lacking.push_back({number, wanted});
  }
  return lacking;
}

// The liquidable order (status "2") of the list lacking the allocation of
// exactly one item, the one with the smallest such item; "" when none.
inline QString orderLackingOneItem(const QTableView* orders, netclient::TNetConnection& net,
                                   LackingItem& lacking) {
  QString order;
  for (int r = 0; r < orders->model()->rowCount(); ++r) {
    const QString number = cell(orders, r, QStringLiteral("Nº Pedido"));
    if (cell(orders, r, QStringLiteral("Sit.")) != QStringLiteral("2")) continue;
    const auto found = lackingItems(net, number.toStdString());
    if (found && found->size() == 1 && (order.isEmpty() || found->front().quantity < lacking.quantity)) {
      order = number;
      lacking = found->front();
    }
  }
  return order;
}

// On the items page, with item `item` current and no allocation row yet:
// Incluir, the first stock position picked with "...", and the item's whole
// quantity typed; the row is posted.
inline void allocateWholeItem(QWidget* screen, const LackingItem& item) {
  auto* items = part<QTableView>(screen, "dbgItemPedido");
  ASSERT_SOON(items->isVisible() && items->model()->rowCount() > 0);
  int itemRow = -1;
  for (int r = 0; r < items->model()->rowCount(); ++r)
    if (cell(items, r, QStringLiteral("Nº Item Pedido")).toStdString() == item.item) itemRow = r;
  ASSERT_GE(itemRow, 0);
  items->setCurrentIndex(items->model()->index(itemRow, 2));
  auto* grid = part<AllocationGridView>(screen, "dbgLiqEst");
  ASSERT_SOON(grid->isVisible());
  EXPECT_EQ(grid->model()->rowCount(), 0);
  screen->window()->activateWindow();
  grid->setFocus(Qt::MouseFocusReason);
  ASSERT_SOON(part<QToolButton>(screen, "sbtIncluir")->isEnabled());
  QTest::mouseClick(part<QToolButton>(screen, "sbtIncluir"), Qt::LeftButton);
  ASSERT_SOON(grid->openEditor() != nullptr && grid->openEditor()->button()->isVisible());
  const int row = grid->currentIndex().row();
  chooseInNextSearch(0);
  grid->openEditor()->button()->click();
  ASSERT_SOON(!cell(grid, row, QStringLiteral("Almoxarifado")).isEmpty());
  screen->window()->activateWindow();  // offscreen, nothing does it when the list closes
  ASSERT_GE(quantity(cell(grid, row, QStringLiteral("Qtde. Disp."))), item.quantity);
  const int qtexp = columnTitled(grid, QStringLiteral("Qtde. a Liquidar"));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    grid->visualRect(grid->model()->index(row, qtexp)).center());
  ASSERT_SOON(grid->currentIndex().column() == qtexp);
  const QString typed = QString::number(item.quantity).replace(QLatin1Char('.'), QLatin1Char(','));
  QTest::keyClick(grid, typed.at(0).toLatin1());
  ASSERT_NE(grid->openEditor(), nullptr);
  QTest::keyClicks(grid->openEditor(), typed.mid(1));
  QTest::keyClick(grid->openEditor(), Qt::Key_Return);
  ASSERT_SOON(grid->openEditor() == nullptr && grid->currentIndex().isValid());
  EXPECT_EQ(quantity(cell(grid, grid->currentIndex().row(), QStringLiteral("Qtde. a Liquidar"))),
            item.quantity);
}

// Marks `order` with a click on its mark cell; the mark is then `mark`.
inline void clickOrderMark(QTableView* orders, const QString& order, const QString& mark) {
  const QModelIndex index = orders->model()->index(rowOf(orders, order), 0);
  orders->scrollTo(index);
  QTest::mouseClick(orders->viewport(), Qt::LeftButton, {}, orders->visualRect(index).center());
  ASSERT_SOON(orders->model()->index(rowOf(orders, order), 0).data().toString() == mark);
}

// The justification page's code typed and left: its description shows.
inline void justifyWith(QWidget* screen, const QString& justification) {
  part<QTabWidget>(screen, "pgcPadrao")->setCurrentIndex(2);
  auto* code = part<QLineEdit>(screen, "edtCdJust");
  ASSERT_SOON(code->isVisible());
  code->setFocus();
  QTest::keyClicks(code, justification);
  QTest::keyClick(code, Qt::Key_Tab);
  ASSERT_SOON(!part<QLineEdit>(screen, "edtDsJust")->text().isEmpty());
}

// Answers the next `count` question boxes Sim, noting their texts; `then`
// runs after the last one.
inline void yesToQuestions(int count, QStringList* asked, std::function<void(QMessageBox*)> each = {},
                           std::function<void()> then = {}) {
  onNextMessage([count, asked, each, then](QMessageBox* box) {
    asked->append(box->text());
    if (each) each(box);
    // Polls from 50 ms on: this box is gone by then.
    if (count > 1)
      yesToQuestions(count - 1, asked, each, then);
    else if (then)
      then();
    QAbstractButton* yes = box->button(QMessageBox::Yes);
    if (yes)
      yes->click();
    else
      box->close();
  });
}

}  // namespace ped::views::testing
