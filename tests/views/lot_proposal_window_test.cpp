// "Propor lotes" in the real host, offscreen: an order lacking one item's
// allocation, the item's rows proposed with the shortcut, the order marked,
// justified and confirmed, and the server settling it. The picture of the
// proposed rows goes into the operator's guide.

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "sql/connection.h"
#include "views/road_steps.h"

namespace ped::views {
namespace {

using testing::cell;
using testing::part;
using testing::quantity;
using testing::rowOf;

// What `item` of `order` may take from its product's stock, expired lots
// left out: a proposal without a shortfall needs at least its quantity.
double usableStock(netclient::TNetConnection& net, const std::string& order, const std::string& item,
                   double today) {
  const hostlib::RemoteResult items = net.call("GetItem", {"0001", order});
  if (!items.ok || !items.at(0)) return 0;
  engine::DataSet list;
  list.loadPacket(*items.at(0));
  if (!list.locate("NRITEMPED", {item})) return 0;
  const hostlib::RemoteResult r =
      net.call("GetPosEstq", {"0001", order, list.field("CDPRODUTO").asString(), "", "", item, "N", "", ""});
  if (!r.ok || !r.at(0)) return 0;
  engine::DataSet positions;
  positions.loadPacket(*r.at(0));
  double total = 0;
  for (positions.first(); !positions.eof(); positions.next())
    if (positions.field("DTVALILOTE").isNull() || positions.field("DTVALILOTE").asDateTime() >= today)
      total += positions.field("QTDISPONIVEL").asFloat() + positions.field("QTRESPRODPED").asFloat();
  return total;
}

TEST(LotProposalWindow, TheShortcutFillsTheItemsRowsAndTheServerSettlesThem) {
  ped::testing::RunningDemoServer server({.orders = 120});
  testing::DemoHost host(false, server.info());
  QWidget* screen = nullptr;
  QTableView* orders = nullptr;
  testing::listOrdersOf0001(host, screen, orders);
  if (HasFatalFailure()) return;
  netclient::TNetConnection net;
  testing::logInAside(net, server.info());
  if (HasFatalFailure()) return;
  testing::LackingItem lacking;
  const QString order = testing::orderLackingOneItem(orders, net, lacking);
  ASSERT_FALSE(order.isEmpty());
  ASSERT_GE(usableStock(net, order.toStdString(), lacking.item, server.info().today), lacking.quantity);

  // The item current, the allocation grid focused, the shortcut pressed.
  auto* pages = part<QTabWidget>(screen, "pgcPadrao");
  orders->setCurrentIndex(orders->model()->index(rowOf(orders, order), 2));
  pages->setCurrentIndex(1);
  auto* items = part<QTableView>(screen, "dbgItemPedido");
  ASSERT_SOON(items->isVisible() && items->model()->rowCount() > 0);
  for (int r = 0; r < items->model()->rowCount(); ++r)
    if (cell(items, r, QStringLiteral("Nº Item Pedido")).toStdString() == lacking.item)
      items->setCurrentIndex(items->model()->index(r, 2));
  auto* grid = part<QTableView>(screen, "dbgLiqEst");
  ASSERT_SOON(grid->isVisible() && grid->model()->rowCount() == 0);
  screen->window()->activateWindow();
  grid->setFocus(Qt::MouseFocusReason);
  auto* button = part<QToolButton>(screen, "sbtProporLotes");
  ASSERT_SOON(button->isVisible() && button->isEnabled());
  QTest::keyClick(grid, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_SOON(grid->model()->rowCount() > 0);
  double proposed = 0;
  for (int r = 0; r < grid->model()->rowCount(); ++r)
    proposed += quantity(cell(grid, r, QStringLiteral("Qtde. a Liquidar")));
  EXPECT_NEAR(proposed, lacking.quantity, 0.0005);
  EXPECT_TRUE(screen->window()->updatesEnabled());
  QTest::qWait(100);
  QDir().mkpath(QStringLiteral(PED_GUIDE_PICTURES_DIR));
  const QImage shot = screen->grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
  EXPECT_TRUE(shot.save(QStringLiteral(PED_GUIDE_PICTURES_DIR "/propor-lotes.png")));

  // Marked, justified and confirmed: the server takes the proposed rows.
  pages->setCurrentIndex(0);
  ASSERT_SOON(orders->isVisible());
  testing::clickOrderMark(orders, order, QStringLiteral("S"));
  if (HasFatalFailure()) return;
  testing::justifyWith(screen, QStringLiteral("4"));
  if (HasFatalFailure()) return;
  QStringList asked;
  testing::yesToQuestions(2, &asked);
  part<QToolButton>(screen, "sbtConfirmar")->click();
  EXPECT_EQ(asked.size(), 2);
  const sql::Result stored = sql::open(server.info().database)
                                 ->query(
                                     "SELECT IDSITITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND "
                                     "NRPEDIDO = :N AND NRITEMPED = :I",
                                     {{"N", order.toStdString()}, {"I", lacking.item}});
  ASSERT_EQ(stored.rowCount(), 1u);
  EXPECT_EQ(std::string(stored.text(0, "IDSITITEMPED")), std::string(domain::item_status::SettledByHand));
}

}  // namespace
}  // namespace ped::views
