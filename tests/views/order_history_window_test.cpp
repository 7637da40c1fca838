// "Histórico" in the real host with the screen's module, on a demo server of
// the test's own: an order settled on the window with an item's stock
// allocated there, that item's settlement excluded by another desk, then the
// order's history opened from the order list with Ctrl+H. Its picture goes
// into the operator's guide.

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>

#include "hostlib_qt/list_window.h"
#include "sql/connection.h"
#include "views/road_steps.h"

namespace ped::views {
namespace {

using namespace testing;

std::string packetOf(const char* fields, const std::string& rows) {
  return std::string(R"({"fields":[)") + fields + R"(],"rows":[)" + rows + "]}";
}

TEST(OrderHistoryWindow, ShowsTheSettlementWithItsStockAndTheExclusionThatReversedIt) {
  ped::testing::RunningDemoServer server({.orders = 120});
  DemoHost host(false, server.info());
  QWidget* screen = nullptr;
  QTableView* orders = nullptr;
  listOrdersOf0001(host, screen, orders);
  if (HasFatalFailure()) return;

  // The road: an item's stock allocated, the order marked, justified and
  // confirmed; then another desk excludes that item's settlement.
  netclient::TNetConnection desk;
  logInAside(desk, server.info());
  if (HasFatalFailure()) return;
  LackingItem lacking;
  const QString order = orderLackingOneItem(orders, desk, lacking);
  ASSERT_FALSE(order.isEmpty());
  auto* pages = part<QTabWidget>(screen, "pgcPadrao");
  orders->setCurrentIndex(orders->model()->index(rowOf(orders, order), 2));
  pages->setCurrentIndex(1);
  allocateWholeItem(screen, lacking);
  if (HasFatalFailure()) return;
  pages->setCurrentIndex(0);
  ASSERT_SOON(orders->isVisible());
  clickOrderMark(orders, order, QStringLiteral("S"));
  if (HasFatalFailure()) return;
  justifyWith(screen, QStringLiteral("4"));
  if (HasFatalFailure()) return;
  QStringList asked;
  yesToQuestions(2, &asked);
  part<QToolButton>(screen, "sbtConfirmar")->click();
  ASSERT_EQ(asked.size(), 2);
  ASSERT_SOON(pages->currentIndex() == 0 && rowOf(orders, order) >= 0);
  const std::string n = order.toStdString(), first = lacking.item;
  const hostlib::RemoteResult r =
      desk.call("SetDesfazLiq",
                {netclient::Arg::packet(packetOf(R"({"name":"IDCHECK","type":"string","size":1},)"
                                                 R"({"name":"NRITEMPED","type":"string","size":10},)"
                                                 R"({"name":"IDSITITEMPED","type":"string","size":1},)"
                                                 R"({"name":"NRPEDIDO","type":"string","size":10},)"
                                                 R"({"name":"CDFILIAL","type":"string","size":4})",
                                                 R"(["S",")" + first + R"(","6",")" + n + R"(","0001"])")),
                 "GERENTE", "0001"});
  ASSERT_TRUE(r.ok && !r.at(1)) << r.error;
  const std::int64_t events =
      sql::open(server.info().database)
          ->query("SELECT COUNT(*) AS N FROM HISTLIQMAN WHERE CDFILIAL = '0001' AND NRPEDIDO = :N",
                  {{"N", n}})
          .integer(0, "N");

  // Ctrl+H on the order list.
  orders->setCurrentIndex(orders->model()->index(rowOf(orders, order), 2));
  screen->window()->activateWindow();
  orders->setFocus();
  bool shown = false;
  onNextModal([&](QWidget* window) {
    auto* list = dynamic_cast<hostlib_qt::ListWindowDialog*>(window);
    ASSERT_NE(list, nullptr);
    shown = true;
    EXPECT_EQ(list->windowTitle(), QStringLiteral("Histórico do Pedido ") + order);
    QTableWidget* rows = list->table();
    ASSERT_EQ(rows->rowCount(), events);
    auto text = [rows](int row, int column) { return rows->item(row, column)->text(); };
    // Newest first: the exclusion, naming the settlement it reversed.
    EXPECT_EQ(text(0, 2), QStringLiteral("Exclusão da Liquidação"));
    EXPECT_EQ(text(0, 3), QString::fromStdString(first));
    EXPECT_EQ(text(0, 6), QStringLiteral("6 - Liquidado manualmente"));  // the status before
    EXPECT_TRUE(text(0, 9).startsWith(QStringLiteral("Estorna a liquidação de "))) << text(0, 9);
    EXPECT_EQ(list->detail()->rowCount(), 0);  // an exclusion gives no stock back
    int settled = -1;
    for (int row = 1; row < rows->rowCount(); ++row) {
      EXPECT_EQ(text(row, 2), QStringLiteral("Liquidação"));
      EXPECT_TRUE(text(row, 1).startsWith(QStringLiteral("GERENTE - "))) << text(row, 1);
      EXPECT_TRUE(text(row, 8).startsWith(QStringLiteral("0004 - "))) << text(row, 8);
      if (text(row, 3) == QString::fromStdString(first)) settled = row;
    }
    ASSERT_GT(settled, 0);
    EXPECT_TRUE(text(settled, 9).startsWith(QStringLiteral("Excluída em "))) << text(settled, 9);
    // The keyboard walks down to the excluded settlement: its stock shows beneath.
    for (int row = 0; row < settled; ++row) QTest::keyClick(rows, Qt::Key_Down);
    EXPECT_EQ(rows->currentRow(), settled);
    ASSERT_GT(list->detail()->rowCount(), 0);
    EXPECT_TRUE(list->detail()->item(0, 0)->text().contains(QStringLiteral(" - ")));  // its warehouse, named
    EXPECT_EQ(quantity(list->detail()->item(0, 4)->text()), lacking.quantity);  // the quantity allocated
    QApplication::processEvents();
    QDir().mkpath(QStringLiteral(PED_GUIDE_PICTURES_DIR));
    const QImage shot = list->grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    EXPECT_TRUE(shot.save(QStringLiteral(PED_GUIDE_PICTURES_DIR "/historico-do-pedido.png")));
    QTest::keyClick(rows, Qt::Key_Escape);
  });
  QTest::keyClick(orders, Qt::Key_H, Qt::ControlModifier);
  EXPECT_TRUE(shown);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace ped::views
