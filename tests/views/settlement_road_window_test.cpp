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

#include "sql/connection.h"
#include "views/road_steps.h"

namespace ped::views {
namespace {

using testing::cell;
using testing::columnTitled;
using testing::DemoHost;
using testing::part;
using testing::quantity;
using testing::rowOf;
using testing::yesToQuestions;

void save(QWidget* screen, const char* name) {
  QDir().mkpath(QStringLiteral("screens"));
  // A few hundred colours at most: a palette keeps the picture small.
  const QImage shot = screen->grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
  EXPECT_TRUE(shot.save(QStringLiteral("screens/road_%1.png").arg(QLatin1String(name))));
}

TEST(SettlementRoadWindow, AnOrderMarkedJustifiedAndConfirmedComesBackWithTheServersNewStatus) {
  // More orders than the shared server's: more of them short of one item's allocation.
  ped::testing::RunningDemoServer server({.orders = 120});
  DemoHost host(false, server.info());
  QWidget* screen = nullptr;
  QTableView* orders = nullptr;
  testing::listOrdersOf0001(host, screen, orders);
  if (HasFatalFailure()) return;

  // A liquidable order of which one item lacks its allocation: the smallest such.
  netclient::TNetConnection net;
  testing::logInAside(net, server.info());
  if (HasFatalFailure()) return;
  testing::LackingItem lacking;
  const QString order = testing::orderLackingOneItem(orders, net, lacking);
  ASSERT_FALSE(order.isEmpty()) << "no order of 0001 short of one item's allocation";

  // That item's allocation: Incluir, the position picked with "...", its whole quantity.
  auto* pages = part<QTabWidget>(screen, "pgcPadrao");
  orders->setCurrentIndex(orders->model()->index(rowOf(orders, order), 2));
  pages->setCurrentIndex(1);
  testing::allocateWholeItem(screen, lacking);
  if (HasFatalFailure()) return;
  QTest::qWait(100);
  save(screen, "1_allocation");
  pages->setCurrentIndex(0);
  ASSERT_SOON(orders->isVisible());

  // Marked with the mouse.
  testing::clickOrderMark(orders, order, QStringLiteral("S"));
  if (HasFatalFailure()) return;
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
