// The whole road of a manual liquidation in the real window, offscreen, on
// branch 0001 of a demo server of the test's own: the order marked with the
// mouse, its items and allocation rows looked at, the justification typed on
// its page, Confirmar, both questions answered Sim, and the list reloaded
// with the server's new status. Pictures of each step go to screens/road_*.

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <map>
#include <optional>

#include "domain/status_rules.h"
#include "engine/data_set.h"
#include "netclient/net_connection.h"
#include "sql/connection.h"
#include "views/allocation_cell_editor.h"
#include "views/allocation_grid_view.h"
#include "views/host_steps.h"

namespace ped::views {
namespace {

using testing::cell;
using testing::columnTitled;
using testing::confirmNextFilter;
using testing::DemoHost;
using testing::part;
using testing::quantity;

int rowOf(const QTableView* grid, const QString& order) {
  for (int r = 0; r < grid->model()->rowCount(); ++r)
    if (cell(grid, r, QStringLiteral("Nº Pedido")) == order) return r;
  return -1;
}

// An order whose open items all have allocation rows adding up to their
// quantity, as the server delivers them, but one item that has none: the
// operator allocates that one.
struct OneItemShort {
  std::string item;
  double quantity = 0;
};

std::optional<OneItemShort> oneItemShort(netclient::TNetConnection& net, const std::string& order) {
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
  std::optional<OneItemShort> shortItem;
  for (item.first(); !item.eof(); item.next()) {
    if (!domain::takesAllocationRows(item.field("IDSITITEMPED").asString())) continue;
    const std::string number = item.field("NRITEMPED").asString();
    const double wanted = item.field("QTITEMPED").asFloat();
    if (std::abs(allocated[number] - wanted) < 0.0005) continue;
    if (allocated[number] > 0 || shortItem) return std::nullopt;
    shortItem = OneItemShort{number, wanted};
  }
  return shortItem;
}

void save(QWidget* screen, const char* name) {
  QDir().mkpath(QStringLiteral("screens"));
  // A few hundred colours at most: a palette keeps the picture small.
  const QImage shot = screen->grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
  EXPECT_TRUE(shot.save(QStringLiteral("screens/road_%1.png").arg(QLatin1String(name))));
}

// Answers the next `count` question boxes Sim, noting their texts.
void yesToQuestions(int count, QStringList* asked) {
  testing::onNextMessage([count, asked](QMessageBox* box) {
    asked->append(box->text());
    if (count > 1) yesToQuestions(count - 1, asked);  // polls from 50 ms on: this box is gone by then
    QAbstractButton* yes = box->button(QMessageBox::Yes);
    if (yes)
      yes->click();
    else
      box->close();
  });
}

TEST(SettlementRoadWindow, AnOrderMarkedJustifiedAndConfirmedComesBackWithTheServersNewStatus) {
  // More orders than the shared server's: more of them short of one item's allocation.
  ped::testing::RunningDemoServer server({.orders = 120});
  DemoHost host(false, server.info());
  host.open();
  QWidget* screen = host.screen();
  ASSERT_NE(screen, nullptr);
  host.runtime->window().resize(1000, 720);
  screen->parentWidget()->showMaximized();
  auto* orders = part<QTableView>(screen, "dbgPadrao");
  EXPECT_SOON(testing::focusInWindowOf(screen) == QStringLiteral("medCdFilial"));
  int filters = 0;
  confirmNextFilter(&filters);
  QTest::keyClick(part<QLineEdit>(screen, "medCdFilial"), Qt::Key_Tab);
  ASSERT_SOON(orders->model()->rowCount() > 0);

  // A liquidable order of which one item lacks its allocation: the smallest such.
  netclient::TNetConnection net;
  net.Port = server.info().port;
  net.Open();
  ASSERT_TRUE(net.Login("GERENTE", "gerente123").ok);
  QString order;
  OneItemShort lacking;
  for (int r = 0; r < orders->model()->rowCount(); ++r) {
    const QString number = cell(orders, r, QStringLiteral("Nº Pedido"));
    if (cell(orders, r, QStringLiteral("Sit.")) != QStringLiteral("2")) continue;
    const std::optional<OneItemShort> found = oneItemShort(net, number.toStdString());
    if (found && (order.isEmpty() || found->quantity < lacking.quantity)) {
      order = number;
      lacking = *found;
    }
  }
  ASSERT_FALSE(order.isEmpty()) << "no order of 0001 short of one item's allocation";

  // That item's allocation: Incluir, the position picked with "...", its whole quantity.
  auto* pages = part<QTabWidget>(screen, "pgcPadrao");
  orders->setCurrentIndex(orders->model()->index(rowOf(orders, order), 2));
  pages->setCurrentIndex(1);
  auto* items = part<QTableView>(screen, "dbgItemPedido");
  ASSERT_SOON(items->isVisible() && items->model()->rowCount() > 0);
  int itemRow = -1;
  for (int r = 0; r < items->model()->rowCount(); ++r)
    if (cell(items, r, QStringLiteral("Nº Item Pedido")).toStdString() == lacking.item) itemRow = r;
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
  testing::chooseInNextSearch(0);
  grid->openEditor()->button()->click();
  ASSERT_SOON(!cell(grid, row, QStringLiteral("Almoxarifado")).isEmpty());
  screen->window()->activateWindow();  // offscreen, nothing does it when the list closes
  ASSERT_GE(quantity(cell(grid, row, QStringLiteral("Qtde. Disp."))), lacking.quantity);
  const int qtexp = columnTitled(grid, QStringLiteral("Qtde. a Liquidar"));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    grid->visualRect(grid->model()->index(row, qtexp)).center());
  ASSERT_SOON(grid->currentIndex().column() == qtexp);
  const QString typed = QString::number(lacking.quantity).replace(QLatin1Char('.'), QLatin1Char(','));
  QTest::keyClick(grid, typed.at(0).toLatin1());
  ASSERT_NE(grid->openEditor(), nullptr);
  QTest::keyClicks(grid->openEditor(), typed.mid(1));
  QTest::keyClick(grid->openEditor(), Qt::Key_Return);
  ASSERT_SOON(grid->openEditor() == nullptr && grid->currentIndex().isValid());
  EXPECT_EQ(quantity(cell(grid, grid->currentIndex().row(), QStringLiteral("Qtde. a Liquidar"))),
            lacking.quantity);
  QTest::qWait(100);
  save(screen, "1_allocation");
  pages->setCurrentIndex(0);
  ASSERT_SOON(orders->isVisible());

  // Marked with the mouse.
  const QModelIndex mark = orders->model()->index(rowOf(orders, order), 0);
  orders->scrollTo(mark);
  QTest::mouseClick(orders->viewport(), Qt::LeftButton, {}, orders->visualRect(mark).center());
  ASSERT_SOON(orders->model()->index(rowOf(orders, order), 0).data().toString() == QStringLiteral("S"));
  QTest::qWait(100);
  save(screen, "2_marked");

  // The justification typed on its page; leaving the code shows its description.
  pages->setCurrentIndex(2);
  auto* code = part<QLineEdit>(screen, "edtCdJust");
  auto* description = part<QLineEdit>(screen, "edtDsJust");
  ASSERT_SOON(code->isVisible());
  code->setFocus();
  QTest::keyClicks(code, QStringLiteral("4"));
  QTest::keyClick(code, Qt::Key_Tab);
  EXPECT_SOON(code->text() == QStringLiteral("0004"));
  EXPECT_SOON(description->text().compare(QStringLiteral("Mercadoria entregue sem baixa no sistema"),
                                          Qt::CaseInsensitive) == 0);
  QTest::qWait(100);
  save(screen, "3_justification");

  // Confirmar: liquidation, then the stock movement, both Sim.
  QStringList asked;
  yesToQuestions(2, &asked);
  auto* confirm = part<QToolButton>(screen, "sbtConfirmar");
  ASSERT_TRUE(confirm->isEnabled());
  confirm->click();
  EXPECT_EQ(asked,
            (QStringList{QStringLiteral("Confirma liquidação dos itens dos pedidos informados?"),
                         QStringLiteral("A liquidação manual do pedido implicará na baixa de estoque, sem "
                                        "possibilidade de devolução. Deseja continuar?")}));

  // The list again from the server, the order with the status the database
  // now gives it; nothing marked.
  ASSERT_SOON(pages->currentIndex() == 0);
  const sql::Result stored =
      sql::open(server.info().database)
          ->query("SELECT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = :N",
                  {{"N", order.toStdString()}});
  ASSERT_EQ(stored.rowCount(), 1u);
  const QString status = QString::fromStdString(std::string(stored.text(0, "IDSITPEDIDO")));
  EXPECT_NE(status, QStringLiteral("2"));
  ASSERT_SOON(rowOf(orders, order) >= 0 &&
              cell(orders, rowOf(orders, order), QStringLiteral("Sit.")) == status);
  for (int r = 0; r < orders->model()->rowCount(); ++r)
    EXPECT_NE(orders->model()->index(r, 0).data().toString(), QStringLiteral("S")) << r;
  EXPECT_TRUE(code->text().isEmpty());
  orders->scrollTo(orders->model()->index(rowOf(orders, order), 0));
  QTest::qWait(100);
  save(screen, "4_reloaded");
  EXPECT_TRUE(screen->window()->updatesEnabled());
}

}  // namespace
}  // namespace ped::views
